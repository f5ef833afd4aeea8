#include "tools/vasquil-batch/ConvertCommand.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "datalib/HECRASConversion.h"

using VQXHECRASDataLib::ConvertHECRASGeometry;
using VQXHECRASDataLib::VQXConversionRequest;
using VQXHECRASDataLib::VQXConversionResult;
using VQXHECRASDataLib::VQXStartDate;

const char* const ConvertUsage =
    "\n"
    "usage: vasquil-batch convert GEOMETRY MODEL.vqx --depth D --discharge Q [--imperial]\n"
    "                        [--reach \"RIVER,REACH\"]\n"
    "\n"
    "  convert               write the cross sections of one reach of a HEC-RAS geometry file as\n"
    "                        an open-water model: a node per cross section, a discharge boundary\n"
    "                        of Q at the first node, a stage boundary at the last\n"
    "  --depth D             initial water depth above every node's thalweg (greater than 0)\n"
    "  --discharge Q         initial and boundary discharge\n"
    "  --imperial            the geometry file is in feet (stations in miles); metric otherwise\n"
    "  --reach \"RIVER,REACH\" the reach to convert (default: the file's first)\n";

namespace {

constexpr int ConvertOk = 0;
constexpr int ConvertFailed = 1;
constexpr int ConvertBadCommandLine = 2;

void Fail(const std::string& text)
{
    std::fprintf(stderr, "vasquil-batch: %s\n", text.c_str());
}

bool ParseNumber(std::string_view text, double& value)
{
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

VQXStartDate LocalDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

// Returns 0 with the request filled, or 2 after saying why the command line is not understood.
int ParseConvertLine(int argc, char** argv, VQXConversionRequest& request)
{
    std::vector<std::string> files;
    std::optional<double> depth;
    std::optional<double> discharge;
    for (int i = 2; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg.size() < 2 || arg.substr(0, 2) != "--") {
            if (!arg.empty() && arg[0] == '-' && arg != "-") {
                Fail("unknown option '" + std::string(arg) + "' (see vasquil-batch --help)");
                return ConvertBadCommandLine;
            }
            files.emplace_back(arg);
            continue;
        }
        std::string_view value;
        bool hasValue = false;
        if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        const std::string name(arg);
        if (arg == "--imperial") {
            if (hasValue) {
                Fail("option --imperial takes no value");
                return ConvertBadCommandLine;
            }
            request.UnitSystem = 0;
            continue;
        }
        if (arg != "--depth" && arg != "--discharge" && arg != "--reach") {
            Fail("unknown option '" + name + "' (see vasquil-batch --help)");
            return ConvertBadCommandLine;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                Fail("option " + name + " needs a value");
                return ConvertBadCommandLine;
            }
            value = argv[++i];
        }
        const std::string text(value);
        if (arg == "--reach") {
            if (text.find(',') == std::string::npos) {
                Fail("option --reach needs a river and a reach name as \"RIVER,REACH\", not '" + text + "'");
                return ConvertBadCommandLine;
            }
            request.Reach = text;
            continue;
        }
        double number = 0;
        if (!ParseNumber(value, number)) {
            Fail("option " + name + " needs a number, not '" + text + "'");
            return ConvertBadCommandLine;
        }
        if (arg == "--depth") {
            if (!(number > 0)) {
                Fail("option --depth needs a depth greater than 0, not '" + text + "'");
                return ConvertBadCommandLine;
            }
            depth = number;
        } else {
            discharge = number;
        }
    }
    if (files.size() != 2) {
        Fail(files.size() < 2 ? "convert needs a geometry file and a model file (see vasquil-batch --help)"
                              : "unexpected argument '" + files[2] + "': convert takes one geometry file and one "
                                "model file");
        return ConvertBadCommandLine;
    }
    if (!depth || !discharge) {
        Fail(std::string("convert needs ") + (!depth ? "--depth" : "--discharge") + " (see vasquil-batch --help)");
        return ConvertBadCommandLine;
    }
    request.GeometryPath = files[0];
    request.ModelPath = files[1];
    request.InitialDepth = *depth;
    request.InitialDischarge = *discharge;
    return ConvertOk;
}

}  // namespace

int RunConvertCommand(int argc, char** argv)
{
    VQXConversionRequest request;
    if (const int parsed = ParseConvertLine(argc, argv, request); parsed != ConvertOk)
        return parsed;
    request.StartDate = LocalDateNow();
    const VQXConversionResult result = ConvertHECRASGeometry(request);
    if (!result.Ok()) {
        Fail("the HEC-RAS geometry file '" + request.GeometryPath.string() + "' could not be converted: " +
             result.Reason);
        return ConvertFailed;
    }
    for (const std::string& note : result.Notes)
        std::printf("%s\n", note.c_str());
    return ConvertOk;
}
