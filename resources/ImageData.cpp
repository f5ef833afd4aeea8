#include "resources/ImageData.h"

#include <QBuffer>

std::vector<unsigned char> PngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}
