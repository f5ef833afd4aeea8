// The text of a message shown to the user, formatted as printf formats it. The program runs
// with the C numeric locale, so numbers take a decimal point whatever the user's locale.
#pragma once

#include <string>

// The text of format filled with the arguments; empty when the format cannot be filled.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
