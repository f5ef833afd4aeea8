// The one crossing between the program's single-byte Windows-1252 strings and Qt's text.
#pragma once

#include <QString>

#include <string>
#include <string_view>

// Every byte becomes one character: 0x80-0x9F as code page 1252 assigns them (the five bytes
// it leaves unassigned as the C1 controls of the same value), every other byte as Latin-1.
QString Cp1252ToQString(std::string_view text);

// Every character becomes one byte; a character that code page 1252 cannot hold becomes '?'.
// So Cp1252ToQString followed by this gives back all 256 bytes unchanged.
std::string QStringToCp1252(const QString& text);
