#include "ImageResource.h"

#include "resource.h"

QStringList IconFiles(int iconId) {
    if (iconId != IDI_PROGRAM) {
        return {};
    }
    QStringList files;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        files << QStringLiteral(":/tarvasto/icons/program-%1.png").arg(size);
    }
    return files;
}

QString BitmapFile(int bitmapId) {
    if (bitmapId != IDB_CHECKSTATES) {
        return {};
    }
    return QStringLiteral(":/tarvasto/bitmaps/checkstates.png");
}
