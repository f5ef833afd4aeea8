// Text handed to the chart calls is single-byte Windows-1252 (the degree sign is 0xB0).
#pragma once

#include <QString>
#include <string_view>

// The Unicode text of a Windows-1252 byte string. The five bytes that code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same value.
QString ChartTextFromWindows1252(std::string_view text);
