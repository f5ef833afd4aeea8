// Images read from files (the framework's image class): JPEG, PNG, BMP, GIF and TIFF, decided
// by the file's contents, decoded once into 32-bit RGB and drawn with CDC::StretchBlt.
#pragma once

#include "platform/WinTypes.h"

#include <QImage>

#include <cstdint>
#include <filesystem>

using HRESULT = std::int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr bool SUCCEEDED(HRESULT result)
{
    return result >= 0;
}
constexpr bool FAILED(HRESULT result)
{
    return result < 0;
}

// The largest picture a file may decode into, in megabytes: an 8000 x 8000 map in 32 bits
// takes 256 MB, above Qt's own limit of 128 MB.
constexpr int ImageAllocationLimitMB = 1024;

class CImage
{
public:
    // Reads the whole file as the rows are stored (an orientation tag does not turn it) into
    // 32-bit RGB; transparent parts keep their colour and lose the transparency. S_OK, or
    // E_FAIL when the file is missing, is no image Qt decodes, or would exceed the limit
    // above: the image is null then.
    HRESULT Load(const std::filesystem::path& path);
    bool IsNull() const { return image_.isNull(); }
    // Pixels; 0 for a null image.
    int GetWidth() const { return image_.width(); }
    int GetHeight() const { return image_.height(); }
    // Frees the picture; the image is null.
    void Destroy() { image_ = QImage(); }

    // The decoded picture (Format_RGB32), shared by copies of the image.
    const QImage& Picture() const { return image_; }

private:
    QImage image_;
};
