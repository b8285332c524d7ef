#include "CImageList.h"

#include "ImageResource.h"

bool CImageList::Create(int bitmapId, int imageWidth) {
    images.clear();
    icons.clear();
    const QString file = BitmapFile(bitmapId);
    if (file.isEmpty() || imageWidth <= 0) {
        return false;
    }
    const QPixmap bitmap(file);
    QString sharpFile = file;
    sharpFile.insert(file.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
    QPixmap sharp(sharpFile);
    if (sharp.size() != bitmap.size() * 2) {
        sharp = QPixmap();
    }
    for (int left = 0; left + imageWidth <= bitmap.width(); left += imageWidth) {
        images.push_back(bitmap.copy(left, 0, imageWidth, bitmap.height()));
        QIcon icon(images.back());
        if (!sharp.isNull()) {
            icon.addPixmap(sharp.copy(2 * left, 0, 2 * imageWidth, sharp.height()));
        }
        icons.push_back(icon);
    }
    return !images.empty();
}

QPixmap CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return {};
    }
    return images[static_cast<std::size_t>(index)];
}

QIcon CImageList::GetIcon(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return {};
    }
    return icons[static_cast<std::size_t>(index)];
}
