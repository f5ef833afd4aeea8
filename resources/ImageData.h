// Pictures the program draws for its image tables, kept as PNG data.
#pragma once

#include <QImage>

#include <vector>

// The PNG file bytes of image.
std::vector<unsigned char> PngBytes(const QImage& image);
