#pragma once

#include <string>

namespace ckl {

// The bash completion of ckl, made from the table of commands (their options, the values those
// take, the endings of their files) and the table of formats, so that it never lists what the
// tool no longer knows.
std::string BashCompletion();

} // namespace ckl
