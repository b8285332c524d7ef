#pragma once

#include <QPixmap>
#include <vector>

// A row of equally wide images cut from one bitmap resource, such as the tree's check-box states.
class CImageList {
public:
    // Cuts bitmap bitmapId into images imageWidth pixels wide, left to right, with no colour made
    // transparent. False (and an empty list) when the bitmap does not exist or is narrower than
    // one image.
    bool Create(int bitmapId, int imageWidth);

    int GetImageCount() const { return static_cast<int>(images.size()); }
    // The image at index, or a null pixmap outside the list.
    QPixmap GetImage(int index) const;

private:
    std::vector<QPixmap> images;
};
