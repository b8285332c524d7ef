#pragma once

#include <string>

// Checklist paths are kept as the user and the remembered setting give them, handheld style
// ("\my documents\aviation.ckl"). HostPath turns such a path into the file to open on this
// machine: "\my documents\..." (any letter case) lies in the user's documents folder, any
// other path starting with "\" lies under the user's home folder, with "\" read as the folder
// separator; every other path is used unchanged.
std::string HostPath(const char* path);
