// A cross section built by the data library and the engine's property table of the same
// points hold the same levels, widths, areas, perimeters, roughness and sinuosity, to rounding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "datalib/CrossSection.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelSetup.h"

using namespace VQXGeometryDataLib;

namespace {

struct SectionCase {
    std::string name;
    std::vector<VQXSectionPoint> points;
    double leftBank, rightBank;
    std::vector<VQXRoughnessRow> roughness;
    std::vector<VQXSinuosityRow> sinuosity;
    int sectionCode;
};

std::vector<SectionCase> Cases()
{
    const std::vector<VQXSectionPoint> irregular = {{0, 108},    {5, 106},  {12, 106.5}, {20, 103}, {26, 100.5},
                                                    {31, 101.2}, {38, 104}, {45, 105.5}, {52, 109}};
    const std::vector<VQXRoughnessRow> zones = {{100, 0.035, 0.06, 0.07}, {104.5, 0.03, 0.05, 0.055},
                                                {102, 0.033, 0.065, 0.075}};
    const std::vector<VQXSinuosityRow> sinuosity = {{100, 1.2}, {106, 1.05}};
    return {
        {"compound channel", irregular, 20, 38, zones, sinuosity, -25},
        {"single channel", irregular, 20, 38, zones, sinuosity, 25},
        {"eight points", {{0, 12}, {10, 10}, {20, 10}, {25, 2}, {35, 2}, {40, 10}, {50, 10}, {60, 12}}, 20, 40,
         {{0, 0.04, 0.06, 0.07}}, {{0, 1.1}}, -12},
        // The engine adds up its level steps: row 7 of this triangle lands one rounding step
        // above its tops, where a segment's "dry" end lies just below the level.
        {"triangle", {{0, 0.3}, {1, 0}, {2, 0.3}}, 0, 2, {{0, 0.03, 0.03, 0.03}}, {{0, 1}}, -16},
        {"two levels", irregular, 20, 38, zones, sinuosity, -2},
    };
}

bool Near(double a, double b)
{
    return std::fabs(a - b) <= 1e-8 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

}  // namespace

TEST(SectionEngineAgreement, DataLibraryAndEngineTablesAgree)
{
    SetModelDefaults();
    g_ModelControl.LengthFactor = 1.0;  // metric: the section's metres are the engine's

    for (const SectionCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const int levels = std::abs(c.sectionCode);

        CrossSectionTable table;
        table.PointCount = static_cast<int>(c.points.size());
        for (const VQXSectionPoint& p : c.points)
            table.Points.push_back({p.Station, p.Elevation});
        table.LeftBankStation = c.leftBank;
        table.RightBankStation = c.rightBank;
        table.RoughnessRowCount = static_cast<int>(c.roughness.size());
        for (std::size_t r = 0; r < c.roughness.size(); ++r) {
            table.RoughnessRows[0][r] = c.roughness[r].Elevation;
            table.RoughnessRows[1][r] = c.roughness[r].ChannelN;
            table.RoughnessRows[2][r] = c.roughness[r].LeftN;
            table.RoughnessRows[3][r] = c.roughness[r].RightN;
        }
        table.SinuosityRowCount = static_cast<int>(c.sinuosity.size());
        for (std::size_t r = 0; r < c.sinuosity.size(); ++r) {
            table.SinuosityRows[0][r] = c.sinuosity[r].Elevation;
            table.SinuosityRows[1][r] = c.sinuosity[r].Sinuosity;
        }
        table.LevelCount = levels;
        table.Properties.assign(static_cast<std::size_t>(SectionPropertyColumnCount) * levels, 0.0);
        BuildCrossSectionTable(&table, c.sectionCode);

        ASSERT_GE(table.LevelCount, levels);
        ASSERT_GE(table.Properties.size(), static_cast<std::size_t>(SectionPropertyColumnCount) * table.LevelCount);
        const SectionColumn stage = std::as_const(table).Column(StageLevel);
        bool allZero = true;
        for (int r = 0; r < levels; ++r) allZero = allZero && stage[r] == 0.0;
        ASSERT_FALSE(allZero) << "the engine's cross-section table has no stages";

        VQXCrossSection section;
        for (const VQXSectionPoint& p : c.points)
            section.AddPoint(p.Station, p.Elevation);
        section.LeftBankStation = c.leftBank;
        section.RightBankStation = c.rightBank;
        section.RoughnessRows = c.roughness;
        section.SinuosityRows = c.sinuosity;
        section.FindBankPoints();
        section.FindThalweg();
        ASSERT_TRUE(section.BuildPropertyTable(levels).Ok());

        EXPECT_DOUBLE_EQ(table.LowestElevation, section.ThalwegElevation);
        struct Pair {
            const char* what;
            int engine;
            int datalib;
        };
        const Pair pairs[] = {
            {"level", StageLevel, PropertyLevel},
            {"channel width", ChannelWidth, PropertyChannelWidth},
            {"left width", LeftWidth, PropertyLeftWidth},
            {"right width", RightWidth, PropertyRightWidth},
            {"channel area", ChannelArea, PropertyChannelArea},
            {"left area", LeftArea, PropertyLeftArea},
            {"right area", RightArea, PropertyRightArea},
            {"channel perimeter", ChannelPerimeter, PropertyChannelPerimeter},
            {"left perimeter", LeftPerimeter, PropertyLeftPerimeter},
            {"right perimeter", RightPerimeter, PropertyRightPerimeter},
            {"channel n", ChannelN, PropertyChannelN},
            {"left n", LeftN, PropertyLeftN},
            {"right n", RightN, PropertyRightN},
            {"sinuosity", Sinuosity, PropertySinuosity},
        };
        for (int r = 0; r < levels; ++r) {
            const VQXPropertyRow& row = section.PropertyRows[static_cast<std::size_t>(r)];
            for (const Pair& p : pairs) {
                const double engine = table.Column(p.engine)[r];
                const double datalib = row[static_cast<std::size_t>(p.datalib)];
                EXPECT_TRUE(Near(engine, datalib)) << p.what << " at row " << r << ": engine " << engine
                                                   << ", data library " << datalib;
            }
            // The engine's key area: the channel, with the overbanks for a compound channel.
            double key = row[PropertyChannelArea];
            if (c.sectionCode < 0)
                key += row[PropertyLeftArea] + row[PropertyRightArea];
            if (r == 0)
                key = 0.0;
            EXPECT_TRUE(Near(table.Column(TotalArea)[r], key)) << "key area at row " << r;
        }
    }
}
