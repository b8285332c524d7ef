#pragma once

#include <QStringList>

// The resource paths (":/...") of the picture files of an icon, one file per size from small to
// large; empty when the program has no icon of that identifier.
QStringList IconFiles(int iconId);

// The resource path of a bitmap; empty when the program has no bitmap of that identifier.
QString BitmapFile(int bitmapId);
