#pragma once

#include <QIcon>

// The icon iconId of the program's resources in all its sizes; a null icon when there is none.
QIcon LoadIcon(int iconId);
