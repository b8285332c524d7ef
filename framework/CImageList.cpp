#include "CImageList.h"

#include "ImageResource.h"

bool CImageList::Create(int bitmapId, int imageWidth) {
    images.clear();
    const QString file = BitmapFile(bitmapId);
    if (file.isEmpty() || imageWidth <= 0) {
        return false;
    }
    const QPixmap bitmap(file);
    for (int left = 0; left + imageWidth <= bitmap.width(); left += imageWidth) {
        images.push_back(bitmap.copy(left, 0, imageWidth, bitmap.height()));
    }
    return !images.empty();
}

QPixmap CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return {};
    }
    return images[static_cast<std::size_t>(index)];
}
