#include "CImageList.h"

#include "ImageResource.h"

#include <utility>

bool CImageList::Create(int bitmapId, int imageWidth) {
    images.clear();
    versions.clear();
    const QString file = BitmapFile(bitmapId);
    if (file.isEmpty() || imageWidth <= 0) {
        return false;
    }
    const QPixmap bitmap(file);
    // Sharper versions at two and three times the size, drawn on dense screens and for large
    // text; one of any other size is not a version of this bitmap.
    std::vector<std::pair<int, QPixmap>> sharper;
    for (const int times : {2, 3}) {
        QString sharpFile = file;
        sharpFile.insert(file.lastIndexOf(QLatin1Char('.')), QStringLiteral("@%1x").arg(times));
        QPixmap sharp(sharpFile);
        if (sharp.size() == bitmap.size() * times) {
            sharper.emplace_back(times, sharp);
        }
    }
    for (int left = 0; left + imageWidth <= bitmap.width(); left += imageWidth) {
        images.push_back(bitmap.copy(left, 0, imageWidth, bitmap.height()));
        std::vector<QPixmap> sizes{images.back()};
        for (const auto& [times, sharp] : sharper) {
            // Qt reads "@2x" in a name as a density; here a version counts by its pixels.
            QPixmap version = sharp.copy(times * left, 0, times * imageWidth, sharp.height());
            version.setDevicePixelRatio(1);
            sizes.push_back(version);
        }
        versions.push_back(std::move(sizes));
    }
    return !images.empty();
}

QPixmap CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return {};
    }
    return images[static_cast<std::size_t>(index)];
}

std::vector<QPixmap> CImageList::GetVersions(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return {};
    }
    return versions[static_cast<std::size_t>(index)];
}
