#include "LoadIcon.h"

#include "ImageResource.h"

QIcon LoadIcon(int iconId) {
    QIcon icon;
    for (const QString& file : IconFiles(iconId)) {
        icon.addFile(file);
    }
    return icon;
}
