// A list of images of one size, drawn into device contexts by index (cell images of a grid).
#pragma once

#include "platform/WinTypes.h"

#include <QImage>

#include <vector>

class CDC;

// Create flags and draw styles.
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILD_NORMAL = 0x0000;

struct IMAGEINFO
{
    CRect rcImage;  // the image's place in the list's strip: (0, 0) to its size for the first
};

class CImageList
{
public:
    // An empty list of images cx by cy pixels; FALSE for a size below 1. The counts of the
    // window system's call (initial size, growth) only reserve room.
    BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
    // Adds the image, scaled to the list's size when it has another, and returns its index;
    // -1 before Create or for a null image. With ILC_MASK, pixels of mask are transparent.
    int Add(const QImage& image, COLORREF mask);
    int Add(const QImage& image);
    int GetImageCount() const { return int(images_.size()); }
    // The size of an image as its rectangle; FALSE for an index outside the list.
    BOOL GetImageInfo(int index, IMAGEINFO* info) const;
    // Image index as stored (masked pixels transparent); a null image outside the list.
    QImage GetImage(int index) const;
    // Draws image index with its top left corner at point (logical units); FALSE outside.
    BOOL Draw(CDC* dc, int index, CPoint point, UINT style) const;

private:
    int cx_ = 0;
    int cy_ = 0;
    bool masked_ = false;
    std::vector<QImage> images_;
};
