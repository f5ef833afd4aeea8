#include "platform/Image.h"

#include <QImageReader>
#include <QString>

HRESULT CImage::Load(const std::filesystem::path& path)
{
    Destroy();
    QImageReader::setAllocationLimit(ImageAllocationLimitMB);
    QImageReader reader(QString::fromStdString(path.string()));
    reader.setAutoTransform(false);
    reader.setDecideFormatFromContent(true);
    QImage image;
    if (!reader.read(&image) || image.isNull()) return E_FAIL;
    if (image.format() != QImage::Format_RGB32) image.convertTo(QImage::Format_RGB32);
    if (image.isNull() || image.format() != QImage::Format_RGB32) return E_FAIL;
    image_ = std::move(image);
    return S_OK;
}
