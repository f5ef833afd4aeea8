#include "platform/ImageList.h"

#include "platform/DeviceContext.h"

#include <QPainter>

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int)
{
    if (cx < 1 || cy < 1) return FALSE;
    cx_ = cx;
    cy_ = cy;
    masked_ = (flags & ILC_MASK) != 0;
    images_.clear();
    images_.reserve(std::size_t(std::max(initial, 0)));
    return TRUE;
}

int CImageList::Add(const QImage& image, COLORREF mask)
{
    if (cx_ < 1 || image.isNull()) return -1;
    QImage fitted = image.size() == QSize(cx_, cy_) ? image : image.scaled(cx_, cy_);
    fitted = fitted.convertToFormat(QImage::Format_ARGB32);
    if (masked_) {
        const QRgb transparent = qRgb(GetRValue(mask), GetGValue(mask), GetBValue(mask));
        for (int y = 0; y < fitted.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(fitted.scanLine(y));
            for (int x = 0; x < fitted.width(); ++x) {
                if ((line[x] | 0xFF000000u) == transparent) line[x] = 0;
            }
        }
    }
    images_.push_back(std::move(fitted));
    return int(images_.size()) - 1;
}

int CImageList::Add(const QImage& image)
{
    if (cx_ < 1 || image.isNull()) return -1;
    const bool masked = masked_;
    masked_ = false;
    const int index = Add(image, 0);
    masked_ = masked;
    return index;
}

BOOL CImageList::GetImageInfo(int index, IMAGEINFO* info) const
{
    if (index < 0 || index >= GetImageCount() || !info) return FALSE;
    info->rcImage = CRect(index * cx_, 0, (index + 1) * cx_, cy_);
    return TRUE;
}

QImage CImageList::GetImage(int index) const
{
    return index >= 0 && index < GetImageCount() ? images_[std::size_t(index)] : QImage();
}

BOOL CImageList::Draw(CDC* dc, int index, CPoint point, UINT) const
{
    if (!dc || index < 0 || index >= GetImageCount()) return FALSE;
    dc->LPtoDP(&point);
    dc->QtPainter().drawImage(QPoint(point.x, point.y), images_[std::size_t(index)]);
    return TRUE;
}
