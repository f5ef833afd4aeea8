// Files the reader refuses: each refusal prints one line, returns its code and leaves the
// engine empty (not the previous model, not half of the new one).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

enum class Edit { Replace, CutAfter };

struct Refusal {
    const char* name;
    const char* fixture;
    Edit edit;
    std::string find;
    std::string replace;
    int code;
    std::string message;
};

size_t Occurrences(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::string Apply(const Refusal& r)
{
    std::string text = Fixture(r.fixture);
    EXPECT_EQ(Occurrences(text, r.find), 1u) << r.name << ": anchor must be unique";
    const size_t at = text.find(r.find);
    if (at == std::string::npos) return text;
    if (r.edit == Edit::CutAfter) return text.substr(0, at + r.find.size());
    return text.replace(at, r.find.size(), r.replace);
}

const std::string Digits401(401, '7');

const Refusal Refusals[] = {
    // Header
    {"TooFewNodes", "ft0-metric.vqx", Edit::Replace, "Number of Nodes = 12", "Number of Nodes = 1", 4,
     " Control Variable Error 4: the header gives 1 nodes, fewer than two\n"},
    {"NegativeNodes", "ft0-metric.vqx", Edit::Replace, "Number of Nodes = 12", "Number of Nodes = -12", 4,
     " Control Variable Error 4: the header gives -12 nodes, fewer than two\n"},
    {"NoElements", "ft0-metric.vqx", Edit::Replace, "Number of Elements = 11", "Number of Elements = 0", 5,
     " Control Variable Error 5: the header gives 0 elements, fewer than one\n"},
    {"NoBoundaryElements", "ft0-metric.vqx", Edit::Replace, "Boundary Elements = 4", "Boundary Elements = 0", 6,
     " Control Variable Error 6: the header gives 0 boundary elements, fewer than one\n"},
    {"HeaderEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "Number of Nodes = 12", "", 7,
     " File ends early in the header\n"},
    {"TokenTooLong", "ft0-metric.vqx", Edit::Replace, "Delta t (s) = 30", "Delta t (s) = " + Digits401, 8,
     " A number in the header is longer than 400 characters\n"},
    {"NumberTooLarge", "ft0-metric.vqx", Edit::Replace, "Delta t (s) = 30", "Delta t (s) = 1e999", 9,
     " Number 1e999 out of range in the header\n"},
    {"IntegerTooLarge", "ft0-metric.vqx", Edit::Replace, "Number of Nodes = 12", "Number of Nodes = 3000000000", 10,
     " Integer 3000000000 out of range in the header\n"},
    {"FileTypeFour", "ft0-metric.vqx", Edit::Replace, "File Type = 0", "File Type = 4", 11,
     " File Type 4 is not 0, 1, 2 or 3\n"},
    {"FileTypeNegative", "ft0-metric.vqx", Edit::Replace, "File Type = 0", "File Type = -1", 11,
     " File Type -1 is not 0, 1, 2 or 3\n"},
    {"MonthThirteen", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 13 14 06 30 00", 12,
     " Simulation start date 2021 13 14 6 30 0 is out of range\n"},
    {"MonthZero", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 00 14 06 30 00", 12,
     " Simulation start date 2021 0 14 6 30 0 is out of range\n"},
    {"DayZero", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 03 00 06 30 00", 12,
     " Simulation start date 2021 3 0 6 30 0 is out of range\n"},
    {"DayThirtyTwo", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 03 32 06 30 00", 12,
     " Simulation start date 2021 3 32 6 30 0 is out of range\n"},
    {"HourTwentyFour", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 03 14 24 30 00", 12,
     " Simulation start date 2021 3 14 24 30 0 is out of range\n"},
    {"MinuteSixty", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 03 14 06 60 00", 12,
     " Simulation start date 2021 3 14 6 60 0 is out of range\n"},
    {"SecondSixty", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 03 14 06 30 60", 12,
     " Simulation start date 2021 3 14 6 30 60 is out of range\n"},
    {"SecondNegative", "ft0-metric.vqx", Edit::Replace, "2021 03 14 06 30 00", "2021 03 14 06 30 -1", 12,
     " Simulation start date 2021 3 14 6 30 -1 is out of range\n"},
    {"NegativeJunctions", "ft0-metric.vqx", Edit::Replace, "Number of Junctions = 2", "Number of Junctions = -2", 13,
     " Number of Junctions -2 is negative\n"},
    {"TooManyZones", "ft3-metric.vqx", Edit::Replace, "Atmospheric Zones = 2", "Atmospheric Zones = 21", 14,
     " Number of Atmospheric Zones 21 is not between 0 and 20\n"},
    {"NegativeZones", "ft3-metric.vqx", Edit::Replace, "Atmospheric Zones = 2", "Atmospheric Zones = -1", 14,
     " Number of Atmospheric Zones -1 is not between 0 and 20\n"},
    {"TooManyEvents", "ft3-metric.vqx", Edit::Replace, "Bridging Events = 3", "Bridging Events = 101", 15,
     " Number of User Defined Bridging Events 101 is not between 0 and 100\n"},
    {"NegativeEvents", "ft3-metric.vqx", Edit::Replace, "Bridging Events = 3", "Bridging Events = -3", 15,
     " Number of User Defined Bridging Events -3 is not between 0 and 100\n"},
    // Time steps and tolerances that would leave a run halving its step for ever
    {"ZeroTimeStep", "ft0-metric.vqx", Edit::Replace, "Delta t (s) = 30", "Delta t (s) = 0", 35,
     " Delta t (s) 0 is not above 0\n"},
    {"NegativeTimeStep", "ft0-metric.vqx", Edit::Replace, "Delta t (s) = 30", "Delta t (s) = -30", 35,
     " Delta t (s) -30 is not above 0\n"},
    {"TinyMaximumStep", "ft0-metric.vqx", Edit::Replace, "Max Delta t (s) = 60", "Max Delta t (s) = 1e-320", 35,
     " Max Delta t (s) 1e-320 is below the smallest time step of 0.001 s\n"},
    {"MaximumStepJustBelowTheSmallest", "ft0-metric.vqx", Edit::Replace, "Max Delta t (s) = 60",
     "Max Delta t (s) = 0.00099", 35, " Max Delta t (s) 0.00099 is below the smallest time step of 0.001 s\n"},
    {"ZeroTolerance", "ft0-metric.vqx", Edit::Replace, "Hydrodynamics Tolerance = 1e-05", "Hydrodynamics Tolerance = 0",
     36, " Hydrodynamics Tolerance 0 is not at least 1e-14 and below 1\n"},
    {"NegativeZeroTolerance", "ft0-metric.vqx", Edit::Replace, "Hydrodynamics Tolerance = 1e-05",
     "Hydrodynamics Tolerance = -0", 36, " Hydrodynamics Tolerance -0 is not at least 1e-14 and below 1\n"},
    {"SubnormalTolerance", "ft0-metric.vqx", Edit::Replace, "Hydrodynamics Tolerance = 1e-05",
     "Hydrodynamics Tolerance = 1e-320", 36, " Hydrodynamics Tolerance 1e-320 is not at least 1e-14 and below 1\n"},
    {"ToleranceOfOne", "ft0-metric.vqx", Edit::Replace, "Hydrodynamics Tolerance = 1e-05",
     "Hydrodynamics Tolerance = 1", 36, " Hydrodynamics Tolerance 1 is not at least 1e-14 and below 1\n"},
    {"ZeroThermalTolerance", "ft3-metric.vqx", Edit::Replace, "Thermal Ice Tolerance = 2e-05",
     "Thermal Ice Tolerance = 0", 36, " Thermal Ice Tolerance 0 is not at least 1e-14 and below 1\n"},

    // Values beyond their quantity's range once converted, and a state they overflow
    {"WaterBelowAbsoluteZero", "ft0-metric.vqx", Edit::Replace, "Water Temperature (deg C) = 4",
     "Water Temperature (deg C) = -300", 37,
     " Number -300 in the header is out of range (temperature from -273.15 to 1000 degC)\n"},
    {"HugeMinimumWaterTemperature", "ft3-metric.vqx", Edit::Replace, "Minimum Water Temperature (degC) = -0.04",
     "Minimum Water Temperature (degC) = 1e308", 37,
     " Number 1e308 in the header is out of range (temperature from -273.15 to 1000 degC)\n"},
    {"StationOverflowsInKilometres", "ft0-metric.vqx", Edit::Replace,
     "\t1\t20\t0\t1\t500000.1235\t6000000.5000\t0\t100\t", "\t1\t20\t0\t1\t500000.1235\t6000000.5000\t1e308\t100\t", 37,
     " Number 1e308 in the row of node 1 is out of range (station from -1e+09 to 1e+09 m)\n"},
    {"StationOverflowsInMiles", "ft0-imperial.vqx", Edit::Replace, "\t1\t10\t0\t1\t500000.1235\t6000000.5000\t0\t328\t",
     "\t1\t10\t0\t1\t500000.1235\t6000000.5000\t1e306\t328\t", 37,
     " Number 1e306 in the row of node 1 is out of range (station from -1e+09 to 1e+09 m)\n"},
    {"HugeInvert", "ft0-metric.vqx", Edit::Replace, "\t1\t20\t0\t1\t500000.1235\t6000000.5000\t0\t100\t",
     "\t1\t20\t0\t1\t500000.1235\t6000000.5000\t0\t1e308\t", 37,
     " Number 1e308 in the row of node 1 is out of range (length from -1e+09 to 1e+09 m)\n"},
    {"HugeManningN", "ft0-metric.vqx", Edit::Replace, "\t0\t100\t0.03\t25\t0\t102.2\t60 \n",
     "\t0\t100\t1e308\t25\t0\t102.2\t60 \n", 37,
     " Number 1e308 in the row of node 1 is out of range (Manning n or roughness height from -100 to 100)\n"},
    {"HugeRoughnessHeight", "ft0-metric.vqx", Edit::Replace, "\t0\t100\t0.03\t25\t0\t102.2\t60 \n",
     "\t0\t100\t-101\t25\t0\t102.2\t60 \n", 37,
     " Number -101 in the row of node 1 is out of range (Manning n or roughness height from -100 to 100)\n"},
    {"HugeDischarge", "ft0-metric.vqx", Edit::Replace, "\t0\t100\t0.03\t25\t0\t102.2\t60 \n",
     "\t0\t100\t0.03\t25\t0\t102.2\t1e308 \n", 37,
     " Number 1e308 in the row of node 1 is out of range (discharge from -1e+09 to 1e+09 m3/s)\n"},
    {"HugeStage", "ft0-metric.vqx", Edit::Replace, "\t0\t100\t0.03\t25\t0\t102.2\t60 \n",
     "\t0\t100\t0.03\t25\t0\t1e308\t60 \n", 37,
     " Number 1e308 in the row of node 1 is out of range (length from -1e+09 to 1e+09 m)\n"},
    {"HugeSectionStation", "ft0-metric.vqx", Edit::Replace, "\t0\t103.9\t8\t99.9\t22\t99.9\t30\t103.9 \n",
     "\t0\t103.9\t1e308\t99.9\t22\t99.9\t30\t103.9 \n", 37,
     " Number 1e308 in the cross section of node 2 is out of range (length from -1e+09 to 1e+09 m)\n"},
    {"HugeSectionElevation", "ft0-metric.vqx", Edit::Replace, "\t0\t103.9\t8\t99.9\t22\t99.9\t30\t103.9 \n",
     "\t0\t103.9\t8\t1e308\t22\t99.9\t30\t103.9 \n", 37,
     " Number 1e308 in the cross section of node 2 is out of range (length from -1e+09 to 1e+09 m)\n"},
    {"HugeSectionManningN", "ft0-metric.vqx", Edit::Replace, "\t1\t99.9\t0.032\t0.032\t0.032 \n",
     "\t1\t99.9\t0.032\t1e308\t0.032 \n", 37,
     " Number 1e308 in the cross section of node 2 is out of range (Manning n or roughness height from -100 to 100)\n"},
    {"NegativeSinuosity", "ft0-metric.vqx", Edit::Replace, "\t1\t99.9\t1 \n", "\t1\t99.9\t-1 \n", 37,
     " Number -1 in the cross section of node 2 is out of range (sinuosity from 0 to 100)\n"},
    {"HydrographTimeOverflows", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t-1\t0\t1\t4 \n\t0\t60 \n",
     "\t1\t1\t-1\t0\t1\t4 \n\t1e308\t60 \n", 37,
     " Number 1e308 in the series of boundary element 1 is out of range (time from -1e+13 to 1e+13 s)\n"},
    {"HydrographDischargeOverflows", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t-1\t0\t1\t4 \n\t0\t60 \n",
     "\t1\t1\t-1\t0\t1\t4 \n\t0\t1e308 \n", 37,
     " Number 1e308 in the series of boundary element 1 is out of range (discharge from -1e+09 to 1e+09 m3/s)\n"},
    {"BorderIceFractionBelowZero", "ft3-metric.vqx", Edit::Replace, "Covered by Border Ice = 0.6",
     "Covered by Border Ice = -2147483649", 37,
     " Number -2147483649 in the header is out of range (fraction from 0 to 1)\n"},
    {"PorosityAboveOne", "ft1-metric.vqx", Edit::Replace, "Ice Jam Porosity = 0.45", "Ice Jam Porosity = 1.5", 37,
     " Number 1.5 in the header is out of range (fraction from 0 to 1)\n"},
    {"IceWithoutWeight", "ft1-metric.vqx", Edit::Replace, "Specific Gravity of Ice = 0.916",
     "Specific Gravity of Ice = 0", 38,
     " The initial effective ice thickness of node 1, -nan, is out of range (length from -1e+09 to 1e+09 m)\n"},
    {"StaticIceConcentrationAboveOne", "ft1-metric.vqx", Edit::Replace, "\t102.2\t80\t0\t0\t0.025\t0\t0 \n",
     "\t102.2\t80\t1e30\t0.3\t0.025\t0\t0 \n", 37,
     " Number 1e30 in the row of node 1 is out of range (concentration from -0.001 to 1.001)\n"},

    // Nodes and cross sections
    {"NodeRowEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "\t3\t19.6\t-22\t1", "", 7,
     " File ends early in the row of node 3\n"},
    {"SectionEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "\t11\t40\t70 \n\t0\t105.8", "", 7,
     " File ends early in the cross section of node 3\n"},
    {"IceRoughnessModeFour", "ft1-metric.vqx", Edit::Replace, "\t102.2\t80\t0\t0\t0.025\t0\t0 \n",
     "\t102.2\t80\t0\t0\t0.025\t4\t0 \n", 16, " Ice roughness mode 4 of node 1 is not 0, 1, 2 or 3\n"},
    {"IceRoughnessModeNegative", "ft1-metric.vqx", Edit::Replace, "\t102.2\t80\t0\t0\t0.025\t0\t0 \n",
     "\t102.2\t80\t0\t0\t0.025\t-1\t0 \n", 16, " Ice roughness mode -1 of node 1 is not 0, 1, 2 or 3\n"},
    {"RectangleWithoutWidth", "ft1-metric.vqx", Edit::Replace, "\t100\t0.03\t25\t0\t102.2\t",
     "\t100\t0.03\t0\t0\t102.2\t", 33, " Rectangular node 1 has a width of 0 m, not from 0.001 to 1e+06 m\n"},
    {"RectangleNegativeWidth", "ft1-metric.vqx", Edit::Replace, "\t100\t0.03\t25\t0\t102.2\t",
     "\t100\t0.03\t-25\t0\t102.2\t", 33, " Rectangular node 1 has a width of -25 m, not from 0.001 to 1e+06 m\n"},
    {"RectangleOfAnAtomsWidth", "ft1-metric.vqx", Edit::Replace, "\t100\t0.03\t25\t0\t102.2\t",
     "\t100\t0.03\t1e-300\t0\t102.2\t", 33, " Rectangular node 1 has a width of 1e-300 m, not from 0.001 to 1e+06 m\n"},
    {"RectangleJustBelowAMillimetre", "ft1-metric.vqx", Edit::Replace, "\t100\t0.03\t25\t0\t102.2\t",
     "\t100\t0.03\t0.00099\t0\t102.2\t", 33,
     " Rectangular node 1 has a width of 0.00099 m, not from 0.001 to 1e+06 m\n"},
    {"RectangleWiderThanAContinent", "ft1-metric.vqx", Edit::Replace, "\t100\t0.03\t25\t0\t102.2\t",
     "\t100\t0.03\t2e6\t0\t102.2\t", 33, " Rectangular node 1 has a width of 2e+06 m, not from 0.001 to 1e+06 m\n"},
    {"ThermalIceConcentrationNearTheLargestDouble", "ft3-metric.vqx", Edit::Replace,
     "\t1\t10\t0\t1\t500000.1235\t6000000.5000\t0\t100\t0.03\t25\t0\t102.2\t80\t0.3\t0.5\t0\t0\t0\t",
     "\t1\t10\t0\t1\t500000.1235\t6000000.5000\t0\t100\t0.03\t25\t0\t102.2\t80\t0.3\t0.5\t0\t0\t1.7e308\t", 37,
     " Number 1.7e308 in the row of node 1 is out of range (concentration from -0.001 to 1.001)\n"},
    {"FrazilConcentrationAboveOne", "ft3-metric.vqx", Edit::Replace,
     "\t1\t10\t0\t1\t500000.1235\t6000000.5000\t0\t100\t0.03\t25\t0\t102.2\t80\t0.3\t0.5\t0\t",
     "\t1\t10\t0\t1\t500000.1235\t6000000.5000\t0\t100\t0.03\t25\t0\t102.2\t80\t0.3\t0.5\t2\t", 37,
     " Number 2 in the row of node 1 is out of range (concentration from -0.001 to 1.001)\n"},
    {"NegativeSolarRadiation", "ft3-metric.vqx", Edit::Replace, "\t6\t-12.5\t40 \n", "\t6\t-12.5\t-40 \n", 37,
     " Number -40 in the atmospheric zone 1 is out of range (solar radiation from 0 to 10000 W/m2)\n"},
    {"NegativeIceConcentration", "ft1-metric.vqx", Edit::Replace, "\t102.2\t80\t0\t0\t0.025\t0\t0 \n",
     "\t102.2\t80\t-0.5\t0\t0.025\t0\t0 \n", 37,
     " Number -0.5 in the row of node 1 is out of range (concentration from -0.001 to 1.001)\n"},
    {"SectionCodeOne", "ft0-metric.vqx", Edit::Replace, "\t2\t19.8\t12\t1\t", "\t2\t19.8\t1\t1\t", 17,
     " Section code 1 of node 2 gives fewer than two levels\n"},
    {"SectionCodeMinusOne", "ft0-metric.vqx", Edit::Replace, "\t2\t19.8\t12\t1\t", "\t2\t19.8\t-1\t1\t", 17,
     " Section code -1 of node 2 gives fewer than two levels\n"},
    {"SectionCodeTooLarge", "ft0-metric.vqx", Edit::Replace, "\t2\t19.8\t12\t1\t", "\t2\t19.8\t301\t1\t", 18,
     " Section code 301 of node 2 gives more than 300 levels\n"},
    {"SectionCodeTooNegative", "ft0-metric.vqx", Edit::Replace, "\t2\t19.8\t12\t1\t", "\t2\t19.8\t-301\t1\t", 18,
     " Section code -301 of node 2 gives more than 300 levels\n"},
    {"TooManyPoints", "ft0-metric.vqx", Edit::Replace, "\t102.1\t60 \n\t4\t0\t30 \n", "\t102.1\t60 \n\t1001\t0\t30 \n",
     19, " Too many points in the cross section of node 2\n"},
    {"OnePoint", "ft0-metric.vqx", Edit::Replace, "\t102.1\t60 \n\t4\t0\t30 \n", "\t102.1\t60 \n\t1\t0\t30 \n", 20,
     " Fewer than two points in the cross section of node 2\n"},
    {"NegativePoints", "ft0-metric.vqx", Edit::Replace, "\t102.1\t60 \n\t4\t0\t30 \n", "\t102.1\t60 \n\t-4\t0\t30 \n",
     20, " Fewer than two points in the cross section of node 2\n"},
    {"TooManyRoughnessRows", "ft0-metric.vqx", Edit::Replace, "\t1\t99.9\t0.032\t0.032\t0.032 \n",
     "\t11\t99.9\t0.032\t0.032\t0.032 \n", 21, " Too many roughness rows in the cross section of node 2\n"},
    {"NoRoughnessRow", "ft0-metric.vqx", Edit::Replace, "\t1\t99.9\t0.032\t0.032\t0.032 \n",
     "\t0\t99.9\t0.032\t0.032\t0.032 \n", 22, " No roughness row in the cross section of node 2\n"},
    {"TooManySinuosityRows", "ft0-metric.vqx", Edit::Replace, "\t1\t99.9\t1 \n", "\t11\t99.9\t1 \n", 23,
     " Too many sinuosity rows in the cross section of node 2\n"},
    {"NoSinuosityRow", "ft0-metric.vqx", Edit::Replace, "\t1\t99.9\t1 \n", "\t0\t99.9\t1 \n", 24,
     " No sinuosity row in the cross section of node 2\n"},
    {"SectionStationGoesBack", "ft0-metric.vqx", Edit::Replace, "\t0\t103.9\t8\t99.9\t22\t99.9\t30\t103.9 \n",
     "\t0\t103.9\t23\t99.9\t22\t99.9\t30\t103.9 \n", 40,
     " Station 22 of point 3 of the cross section of node 2 lies left of the point before it\n"},
    {"LeftBankOffThePoints", "ft0-metric.vqx", Edit::Replace, "\t102.1\t60 \n\t4\t0\t30 \n",
     "\t102.1\t60 \n\t4\t1\t30 \n", 25, " Left bank station of node 2 matches no point of its cross section\n"},
    {"RightBankOffThePoints", "ft0-metric.vqx", Edit::Replace, "\t102.1\t60 \n\t4\t0\t30 \n",
     "\t102.1\t60 \n\t4\t0\t29 \n", 25, " Right bank station of node 2 matches no point of its cross section\n"},

    // Elements, boundary elements and their series
    {"ElementRowEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "\t5\t5\t6\t0", "", 7,
     " File ends early in the element row 5\n"},
    {"ElementNodeMissing", "ft0-metric.vqx", Edit::Replace, "\t3\t3\t4\t0\t0\t0\t0\t0 \n",
     "\t3\t3\t99\t0\t0\t0\t0\t0 \n", 26, " Non-existent node 99 referred to in element 3\n"},
    {"ElementNodeNegative", "ft0-metric.vqx", Edit::Replace, "\t3\t3\t4\t0\t0\t0\t0\t0 \n",
     "\t3\t-1\t4\t0\t0\t0\t0\t0 \n", 26, " Non-existent node -1 referred to in element 3\n"},
    {"BoundaryNodeMissing", "ft0-metric.vqx", Edit::Replace, "\t4\t8\t1\t2\t0\t5 \n", "\t4\t88\t1\t2\t0\t5 \n", 26,
     " Non-existent node 88 referred to in element 4\n"},
    {"SeriesEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "\t2\t9\t-1\t0\t1\t4 \n\t0\t20 \n", "", 7,
     " File ends early in the series of boundary element 2\n"},
    {"TooManySeriesRows", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t-1\t0\t1\t4 \n", "\t1\t1\t-1\t0\t1\t100001 \n", 29,
     " Too many rows in the series of boundary element 1\n"},
    {"SeriesWithoutRows", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t-1\t0\t1\t4 \n", "\t1\t1\t-1\t0\t1\t0 \n", 30,
     " Boundary element 1 has a series with no rows\n"},
    {"SeriesNegativeRows", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t-1\t0\t1\t4 \n", "\t1\t1\t-1\t0\t1\t-4 \n", 30,
     " Boundary element 1 has a series with no rows\n"},
    {"RatingWithoutRows", "ft0-metric.vqx", Edit::Replace, "\t4\t8\t1\t2\t0\t5 \n", "\t4\t8\t1\t2\t0\t0 \n", 30,
     " Boundary element 4 has a series with no rows\n"},

    // Junctions and the jam table
    {"JunctionRowEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "\t2\t2\t6\t12\t5", "", 7,
     " File ends early in the junction row 2\n"},
    {"JunctionNodeMissing", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t3\t10\t2\t4\t9\t2\t3\t0.25",
     "\t1\t1\t3\t77\t2\t4\t9\t2\t3\t0.25", 26, " Non-existent node 77 referred to in junction 1\n"},
    {"JunctionElementMissing", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t3\t10\t2\t4\t9\t2\t3\t0.25",
     "\t1\t1\t3\t10\t2\t4\t99\t2\t3\t0.25", 27, " Non-existent element 99 referred to in junction 1\n"},
    {"ZeroLengthElement", "ft0-metric.vqx", Edit::Replace, "\t2\t19.8\t12\t1\t500200.1235\t6000000.5000\t0.2\t",
     "\t2\t19.8\t12\t1\t500200.1235\t6000000.5000\t0\t", 39, " Element 1 joins nodes 1 and 2 at the same chainage\n"},
    {"CoincidentJunctionNodes", "ft0-metric.vqx", Edit::Replace, "\t12\t2.8\t0\t3\t500910.1235\t6000211.2500",
     "\t12\t2.8\t0\t3\t501000.1235\t6000000.5000", 28,
     " Junction 2 needs the length of branch AB: nodes 6 and 12 coincide\n"},
    {"TooManyJamRows", "ft0-metric.vqx", Edit::Replace, "\n\t5\n\t0\t1\n", "\n\t1001\n\t0\t1\n", 31,
     " Too many rows in the ice jam stability table\n"},
    {"JamTableEndsEarly", "ft0-metric.vqx", Edit::CutAfter, "\t5\n\t0\t1\n\t1\t1\n", "", 7,
     " File ends early in the ice jam stability table\n"},
    {"JamTableCountCutOff", "ft0-metric.vqx", Edit::CutAfter, "\t5\t6\t0\t0\t0.", "", 7,
     " File ends early in the ice jam stability table\n"},

    // Atmospheric zones and bridging events
    {"ZoneEndsEarly", "ft3-metric.vqx", Edit::CutAfter, "\t2\t2 \n\t0\t-2", "", 7,
     " File ends early in the atmospheric zone 2\n"},
    {"ZoneWithoutRows", "ft3-metric.vqx", Edit::Replace, "\t1\t4 \n\t0\t-5\t0 \n", "\t1\t0 \n\t0\t-5\t0 \n", 30,
     " Atmospheric zone 1 has a series with no rows\n"},
    {"TooManyZoneRows", "ft3-metric.vqx", Edit::Replace, "\t1\t4 \n\t0\t-5\t0 \n", "\t1\t100001 \n\t0\t-5\t0 \n", 29,
     " Too many rows in the series of atmospheric zone 1\n"},
    {"BridgingEventEndsEarly", "ft3-metric.vqx", Edit::CutAfter, "\t2\t0.5\t100", "", 7,
     " File ends early in the bridging event row 2\n"},

    // Series out of order: the engine looks their values up by binary search
    {"InflowTimesEqual", "ft0-metric.vqx", Edit::Replace, "\t0\t60 \n\t6\t120 \n", "\t0\t60 \n\t0\t120 \n", 41,
     " The times of the series of boundary element 1 do not increase: row 1 is at 0 h and row 2 at 0 h\n"},
    {"InflowTimeDecreases", "ft0-metric.vqx", Edit::Replace, "\t12\t180 \n\t24\t60 \n", "\t12\t180 \n\t10\t60 \n", 41,
     " The times of the series of boundary element 1 do not increase: row 3 is at 12 h and row 4 at 10 h\n"},
    {"InflowReversed", "ft0-metric.vqx", Edit::Replace, "\t0\t20 \n\t6\t40 \n\t12\t60 \n\t24\t20 \n",
     "\t24\t20 \n\t12\t60 \n\t6\t40 \n\t0\t20 \n", 41,
     " The times of the series of boundary element 2 do not increase: row 1 is at 24 h and row 2 at 12 h\n"},
    {"LateralInflowTimeDecreases", "ft0-metric.vqx", Edit::Replace, "\t12\t30 \n\t24\t10 \n",
     "\t12\t30 \n\t11.5\t10 \n", 41,
     " The times of the series of boundary element 3 do not increase: row 3 is at 12 h and row 4 at 11.5 h\n"},
    {"StageTimesReversed", "ft0-metric.vqx", Edit::Replace, "\t1\t1\t-1\t0\t1\t4 \n\t0\t60 \n\t6\t120 ",
     "\t1\t1\t-1\t1\t0\t4 \n\t6\t60 \n\t0\t120 ", 41,
     " The times of the series of boundary element 1 do not increase: row 1 is at 6 h and row 2 at 0 h\n"},
    {"RatingDischargeFalls", "ft0-metric.vqx", Edit::Replace, "\t101.3\t121.257325321 ", "\t101.3\t30 ", 41,
     " The discharge of the rating curve of boundary element 4 decreases: row 2 gives 40 m3/s and row 3 30 m3/s\n"},
    {"ZoneTimesEqual", "ft3-metric.vqx", Edit::Replace, "\t6\t-12.5\t40 \n", "\t0\t-12.5\t40 \n", 41,
     " The times of the series of atmospheric zone 1 do not increase: row 1 is at 0 h and row 2 at 0 h\n"},
    {"ZoneReversed", "ft3-metric.vqx", Edit::Replace, "\t0\t-2\t10 \n\t48\t-15\t90 \n",
     "\t48\t-15\t90 \n\t0\t-2\t10 \n", 41,
     " The times of the series of atmospheric zone 2 do not increase: row 1 is at 48 h and row 2 at 0 h\n"},
};

// Counts beyond what the file holds are refused with the count and the file's room for it,
// before any row of the next section is read as one of the counted rows.
TEST_F(ModelFileTest, CountsBeyondTheFileNameTheirCause)
{
    struct Case {
        const char* find;
        const char* replace;
        int code;
        const char* message;  // the start of the line
    } cases[] = {
        {"Number of Nodes = 12", "Number of Nodes = 2000000000", 4,
         " Control Variable Error 4: the header gives 2000000000 nodes, more than the "},
        {"Number of Elements = 11", "Number of Elements = 2000000000", 5,
         " Control Variable Error 5: the header gives 2000000000 elements, more than the "},
        {"Boundary Elements = 4", "Boundary Elements = 90000", 6,
         " Control Variable Error 6: the header gives 90000 boundary elements, more than the "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replace);
        std::string text = Fixture("ft0-metric.vqx");
        text.replace(text.find(c.find), std::string(c.find).size(), c.replace);
        testing::internal::CaptureStdout();
        const int code = ReadText(text);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(code, c.code);
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
        EXPECT_NE(output.find(" bytes left in the file can hold (at most "), std::string::npos) << output;
        ExpectEngineEmpty();
    }
}

class Refused : public ModelFileTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refused, PrintsOneLineReturnsItsCodeAndLeavesNoModel)
{
    const Refusal& r = GetParam();
    // A model is loaded first: the refused file must not leave it (or part of itself) behind.
    {
        QuietStdout quiet;
        ASSERT_EQ(ReadText(Fixture("ft3-imperial.vqx")), 0);
    }
    ASSERT_NE(g_Nodes, nullptr);
    EXPECT_STREQ(ModelReaderRefusal(), "");

    const std::string text = Apply(r);
    testing::internal::CaptureStdout();
    const int code = ReadText(text);
    const std::string output = testing::internal::GetCapturedStdout();

    EXPECT_EQ(code, r.code);
    EXPECT_EQ(Occurrences(output, r.message), 1u) << output;
    ASSERT_GE(output.size(), r.message.size());
    EXPECT_EQ(output.substr(output.size() - r.message.size()), r.message) << "the refusal is the last line";
    EXPECT_EQ(" " + std::string(ModelReaderRefusal()) + "\n", r.message) << "the reason kept for the caller";
    ExpectEngineEmpty();
}

INSTANTIATE_TEST_SUITE_P(Cases, Refused, ::testing::ValuesIn(Refusals),
                         [](const ::testing::TestParamInfo<Refusal>& param) { return std::string(param.param.name); });

TEST_F(ModelFileTest, NoStreamIsRefused)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadModelFile(nullptr), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " Unable to open that file\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadModelFile(FixturePath("no-such-model.vqx")), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " Unable to open that file\n");
}

TEST_F(ModelFileTest, AnEmptyFileEndsEarly)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadText(""), 7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " File ends early in the header\n");
    ExpectEngineEmpty();
}

// A count far beyond the data ends in "file ends early" after the rows that are there, without
// allocating for the count.
TEST_F(ModelFileTest, AHugeCountWithoutDataIsRefusedForItsCount)
{
    std::string text = Fixture("ft0-metric.vqx");
    const std::string find = "Number of Nodes = 12";
    text.replace(text.find(find), find.size(), "Number of Nodes = 2000000000");
    const std::string firstRow = "\t102.2\t60 \n";
    text = text.substr(0, text.find(firstRow) + firstRow.size());
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadText(text), 4);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.rfind(" Control Variable Error 4: the header gives 2000000000 nodes, more than the "), 0u)
        << output;
    ExpectEngineEmpty();
}

// The ends of the physical bounds read, and so do the values the format gives a meaning of its
// own (a negative Manning n is a roughness height).
TEST_F(ModelFileTest, PhysicalExtremesAreAccepted)
{
    struct Case {
        const char* name;
        const char* replace;  // the first node's row from its Manning n to its ice roughness
        double NodeRecord::*field;
        double value;
    } cases[] = {
        {"a millimetre wide", "\t0.03\t0.001\t0\t102.2\t80\t0\t0\t0.025\t", &NodeRecord::RectWidth, 0.001},
        {"a thousand kilometres wide", "\t0.03\t1e6\t0\t102.2\t80\t0\t0\t0.025\t", &NodeRecord::RectWidth, 1e6},
        {"a whole ice cover", "\t0.03\t25\t0\t102.2\t80\t1\t0.3\t0.025\t", &NodeRecord::IceConcentration, 1},
        {"a roughness height", "\t-0.05\t25\t0\t102.2\t80\t0\t0\t0.025\t", &NodeRecord::ManningN, -0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = Fixture("ft1-metric.vqx");
        const std::string find = "\t0.03\t25\t0\t102.2\t80\t0\t0\t0.025\t";
        ASSERT_NE(text.find(find), std::string::npos);
        text.replace(text.find(find), find.size(), c.replace);
        ASSERT_EQ(ReadTextQuietly(text), 0) << ModelReaderRefusal();
        EXPECT_EQ(g_NodeIndex[0]->*c.field, c.value);
    }
}

// The ends of the accepted ranges read.
TEST_F(ModelFileTest, LimitsThemselvesAreAccepted)
{
    std::string text = Fixture("ft0-metric.vqx");
    const auto replace = [&](const std::string& find, const std::string& by) {
        const size_t at = text.find(find);
        ASSERT_NE(at, std::string::npos) << find;
        text.replace(at, find.size(), by);
    };
    replace("2021 03 14 06 30 00", "2021 12 31 23 59 59");
    replace("\t2\t19.8\t12\t1\t", "\t2\t19.8\t-300\t1\t");
    std::string rows = "\t10";
    for (int k = 0; k < 10; ++k) rows += "\t99.9\t0.032\t0.032\t0.032";
    replace("\t1\t99.9\t0.032\t0.032\t0.032 \n", rows + " \n");
    std::string sinuosity = "\t10";
    for (int k = 0; k < 10; ++k) sinuosity += "\t99.9\t1";
    replace("\t1\t99.9\t1 \n", sinuosity + " \n");
    std::string points = "\t1000\t0\t30 \n";
    for (int k = 0; k < 1000; ++k) points += "\t" + std::to_string(k * 30.0 / 999) + "\t100";
    replace("\t102.1\t60 \n\t4\t0\t30 \n\t0\t103.9\t8\t99.9\t22\t99.9\t30\t103.9 \n", "\t102.1\t60 \n" + points + " \n");
    // The last station must be exactly the right bank: 999 * 30 / 999 prints as "30.000000".
    ASSERT_EQ(ReadTextQuietly(text), 0);
    const NodeRecord* n = g_NodeIndex[1];
    EXPECT_EQ(n->SectionCode, -300);
    ASSERT_NE(n->CrossSection, nullptr);
    EXPECT_EQ(n->CrossSection->PointCount, 1000);
    EXPECT_EQ(n->CrossSection->LevelCount, 300);
    EXPECT_EQ(n->CrossSection->Properties.size(), static_cast<size_t>(SectionPropertyColumnCount) * 300);
    EXPECT_EQ(n->CrossSection->RoughnessRowCount, 10);
    EXPECT_EQ(n->CrossSection->SinuosityRowCount, 10);
    EXPECT_EQ(g_ModelControl.StartDate[5], 59);
}

// A model with junctions carries the jam-table count (a file without it is refused as one that
// ends early); a count below one means no table.
TEST_F(ModelFileTest, JamTableCountBelowOneMeansNoTable)
{
    const std::string text = Fixture("ft0-metric.vqx");
    const size_t table = text.find("\n \tIce Jam Stability");
    ASSERT_NE(table, std::string::npos);
    for (const char* count : {"\t0\n", "\t-3\n"}) {
        ASSERT_EQ(ReadTextQuietly(text.substr(0, table) + "\n \tIce Jam Stability Equation Calculation Table\n\n" + count), 0);
        EXPECT_EQ(g_JamTable, nullptr);
    }
}

// A model without junctions ignores anything after its last section, a jam table included.
TEST_F(ModelFileTest, TrailingTextIsIgnored)
{
    const std::string text = Fixture("ft2-metric.vqx");
    ASSERT_EQ(ReadTextQuietly(text), 0);
    const std::string expected = EngineSnapshot();
    ASSERT_EQ(ReadTextQuietly(text + "\n \tIce Jam Stability Equation Calculation Table\n\n\t2\n\t0\t1\n\t1\t1\n 1e999 x"), 0);
    EXPECT_EQ(EngineSnapshot(), expected);
}

}  // namespace

// The ends of the ranges of time steps, tolerances and converted values read; a negative n is
// a roughness height, not a refusal.
TEST_F(ModelFileTest, RangeEndsAreAccepted)
{
    const std::string row1 = "\t0\t100\t0.03\t25\t0\t102.2\t60 \n";
    struct Case {
        const char* name;
        std::string find, replace;
        double (*value)();
        double expected;
    } cases[] = {
        {"smallest tolerance", "Tolerance = 1e-05", "Tolerance = 1e-14", [] { return g_EquationSystems[HydrodynamicSystem].Tolerance; }, 1e-14},
        {"tolerance just below one", "Tolerance = 1e-05", "Tolerance = 0.999", [] { return g_EquationSystems[HydrodynamicSystem].Tolerance; }, 0.999},
        {"smallest maximum step", "Max Delta t (s) = 60", "Max Delta t (s) = 0.001", [] { return g_ModelControl.MaxDeltaT; }, 0.001},
        {"smallest positive step", "Delta t (s) = 30", "Delta t (s) = 4.9e-324", [] { return g_ModelControl.DeltaT; }, 4.9e-324},
        {"absolute zero", "Temperature (deg C) = 4", "Temperature (deg C) = -273.15", [] { return g_ModelControl.WaterTemperature; }, -273.15},
        {"roughness height", row1, "\t0\t100\t-0.05\t25\t0\t102.2\t60 \n", [] { return g_NodeIndex[0]->ManningN; }, -0.05},
        {"largest roughness height", row1, "\t0\t100\t-100\t25\t0\t102.2\t60 \n", [] { return g_NodeIndex[0]->ManningN; }, -100},
        {"largest Manning n", row1, "\t0\t100\t100\t25\t0\t102.2\t60 \n", [] { return g_NodeIndex[0]->ManningN; }, 100},
        {"largest discharge", row1, "\t0\t100\t0.03\t25\t0\t102.2\t1e9 \n", [] { return g_NodeIndex[0]->Discharge; }, 1e9},
        {"sinuosity zero", "\t1\t99.9\t1 \n", "\t1\t99.9\t0 \n", [] { return g_NodeIndex[1]->CrossSection->SinuosityRows[1][0]; }, 0},
        {"largest sinuosity", "\t1\t99.9\t1 \n", "\t1\t99.9\t100 \n", [] { return g_NodeIndex[1]->CrossSection->SinuosityRows[1][0]; }, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = Fixture("ft0-metric.vqx");
        ASSERT_EQ(Occurrences(text, c.find), 1u);
        text.replace(text.find(c.find), c.find.size(), c.replace);
        ASSERT_EQ(ReadTextQuietly(text), 0);
        EXPECT_EQ(c.value(), c.expected);
    }
}

// Only a regular file is read: a directory holds no text, and a device or a FIFO may never
// end (or, a FIFO without a writer, never open). Each is refused without being read.
TEST_F(ModelFileTest, SpecialFilesAreRefusedWithoutBeingRead)
{
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("vasquil-special-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "model.vqx");
    ASSERT_EQ(mkfifo((folder / "fifo.vqx").c_str(), 0600), 0);
    struct Case {
        std::filesystem::path path;
        const char* message;
    } cases[] = {
        {folder / "model.vqx", " That file is a directory, not a model file\n"},
        {folder / "fifo.vqx", " That file is a FIFO, not a model file\n"},
        {"/dev/zero", " That file is a character device, not a model file\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.string());
        {
            QuietStdout quiet;
            ASSERT_EQ(ReadText(Fixture("ft0-metric.vqx")), 0);
        }
        testing::internal::CaptureStdout();
        EXPECT_EQ(LoadModelFile(c.path), 34);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
        ExpectEngineEmpty();
    }
    // A stream opened by the caller is checked the same way.
    testing::internal::CaptureStdout();
    EXPECT_EQ(ReadModelFile(std::fopen("/dev/zero", "rb")), 34);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), " That file is a character device, not a model file\n");
    std::filesystem::remove_all(folder);
}
