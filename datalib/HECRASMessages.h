// The failure texts of the HEC-RAS conversion, by code (internal to the conversion's files).
#pragma once

#include "datalib/HECRASData.h"

namespace VQXHECRASDataLib {

// A failed result of code, its reason the code's text filled with the arguments as printf
// fills them (each code's text says what it takes).
VQXConversionResult ConversionFailure(int code, ...);

// How messages name a river station: as the file spells it, "(none)" when it is blank.
std::string StationName(const std::string& riverStation);

}  // namespace VQXHECRASDataLib
