#include "datalib/HECRASConversion.h"

#include <vector>

#include "datalib/HECRASMessages.h"
#include "engine/OutputTargets.h"

namespace VQXHECRASDataLib {

namespace {

// Length units per station unit: metres per kilometre, feet per mile.
constexpr double MetricDistanceFactor = 1000.0;
constexpr double ImperialDistanceFactor = 5280.0;
constexpr int ConversionLevels = 100;
constexpr int ImperialUnits = 0;

}  // namespace

VQXConversionResult ConvertHECRASGeometry(const VQXConversionRequest& request, const VQXGoOnQuestion& goOn)
{
    VQXHECRASDataSet data;
    data.UnitSystem = request.UnitSystem == ImperialUnits ? 0 : 1;
    data.DistanceFactor = data.UnitSystem == 1 ? MetricDistanceFactor : ImperialDistanceFactor;
    data.InitialDepth = request.InitialDepth;
    data.InitialDischarge = request.InitialDischarge;
    data.PropertyLevels = ConversionLevels;
    data.ReachChoice = request.Reach;
    if (VQXConversionResult check = data.CheckSettings(); !check.Ok())
        return check;

    VQXHECRASConverter converter(data);
    if (VQXConversionResult parsed = converter.ParseGeometry(request.GeometryPath); !parsed.Ok())
        return parsed;
    // The model must not replace the file it is made from.
    const std::vector<OutputTarget> targets = {{"geometry file", request.GeometryPath, TargetRead},
                                               {"model file", request.ModelPath}};
    if (std::string message; CheckOutputTargets(targets, &message) != TargetOk)
        return ConversionFailure(ConversionTargetRefused, message.c_str());
    if (data.Reaches.size() > 1 && goOn && !goOn(data))
        return ConversionFailure(ConversionCancelled);
    if (VQXConversionResult prepared = data.PrepareNodes(); !prepared.Ok())
        return prepared;
    VQXConversionResult written = data.WriteConvertedModel(request.ModelPath, request.StartDate);
    if (written.Ok())
        written.Notes = data.ConversionNotes();
    return written;
}

}  // namespace VQXHECRASDataLib
