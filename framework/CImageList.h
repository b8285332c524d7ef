#pragma once

#include <QPixmap>
#include <vector>

// A row of equally wide images cut from one bitmap resource, such as the tree's check-box states.
// A bitmap may come with sharper versions at twice and three times the size beside it
// ("name@2x.png", "name@3x.png", Qt's naming), which screens of high density and large text then
// draw instead.
class CImageList {
public:
    // Cuts bitmap bitmapId into images imageWidth pixels wide, left to right, with no colour made
    // transparent, and its sharper versions the same way when there are ones of exactly twice and
    // three times the size. False (and an empty list) when the bitmap does not exist or is narrower
    // than one image.
    bool Create(int bitmapId, int imageWidth);

    int GetImageCount() const { return static_cast<int>(images.size()); }
    // The image at index, or a null pixmap outside the list.
    QPixmap GetImage(int index) const;
    // The image at index at every size there is, from the plain one to the sharpest, each a
    // pixmap of its own pixels (a device pixel ratio of 1); empty outside the list.
    std::vector<QPixmap> GetVersions(int index) const;

private:
    std::vector<QPixmap> images;
    std::vector<std::vector<QPixmap>> versions;
};
