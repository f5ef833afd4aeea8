// The whole conversion of a HEC-RAS geometry file into a model file, as the program's command
// and the batch runner make it.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "datalib/HECRASData.h"

namespace VQXHECRASDataLib {

struct VQXConversionRequest {
    std::filesystem::path GeometryPath;
    std::filesystem::path ModelPath;
    int UnitSystem = 1;  // of the geometry file: 1 metric, 0 imperial
    double InitialDepth = 0.0;
    double InitialDischarge = 0.0;
    std::string Reach;   // "RIVER,REACH"; empty for the file's first reach
    VQXStartDate StartDate{};
};

// Asked after the file was read when it holds several reaches, with the data set that tells
// which one is converted; false cancels the conversion.
using VQXGoOnQuestion = std::function<bool(const VQXHECRASDataSet&)>;

// Converts the geometry file of request into its model file: a data set with the request's
// unit system (1000 length units per station unit when metric, 5280 when imperial), depth,
// discharge and reach, and 100 property-table levels; the file parsed, the nodes prepared, the
// model written. Returns the result with the notes of what was converted, or the first
// failure (ConversionCancelled when goOn said no); nothing is written then, and whatever
// stood at the model's path is as it was. A model path that names the geometry file is refused.
VQXConversionResult ConvertHECRASGeometry(const VQXConversionRequest& request, const VQXGoOnQuestion& goOn = {});

}  // namespace VQXHECRASDataLib
