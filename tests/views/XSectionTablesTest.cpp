// The cross-section editor's rules on its grids without the view: the fills, the end of an
// edit, the checks of Apply Changes and the write of the section into the node and the engine.
#include "ViewsTestSupport.h"

#include "controls/GridCtrl.h"
#include "datalib/CrossSection.h"
#include "datalib/TextFormat.h"
#include "engine/EngineData.h"
#include "views/XSectionGrids.h"
#include "views/XSectionTables.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace views_test;
using VQXGeometryDataLib::VQXCrossSection;

using Rows = std::vector<std::vector<std::string>>;

// Puts rows of texts into a grid after its header row, columns from 1 (column 0 the numbers).
void Put(CGridCtrl& grid, const Rows& rows, int firstCol = 1)
{
    grid.SetNumRows(int(rows.size()) + 1);
    for (int r = 1; r <= int(rows.size()); ++r) {
        const auto& texts = rows[std::size_t(r - 1)];
        for (int c = 0; c < int(texts.size()); ++c) grid.SetCellText(r, c + firstCol, texts[std::size_t(c)]);
    }
}

// The four editable grids filled as the editor fills them from a section, then changed.
struct Tables {
    CGridCtrl points, roughness, sinuosity, banks;
    XSectionTables Ref() { return {points, roughness, sinuosity, banks}; }

    void Fill(const VQXCrossSection* section)
    {
        const XSectionUnits units = XSectionUnitsFor(1);
        FillPointsGrid(points, section, units);
        FillRoughnessGrid(roughness, section, units);
        FillSinuosityGrid(sinuosity, section, units);
        FillBankGrid(banks, section, units);
    }
};

VQXCrossSection Valley()
{
    VQXCrossSection s;
    for (const auto& [x, z] : std::vector<std::pair<double, double>>{{0, 104}, {8, 100}, {22, 100}, {30, 104}})
        s.AddPoint(x, z);
    s.LeftBankStation = 8;
    s.RightBankStation = 22;
    s.FindBankPoints();
    s.AddRoughnessRow(100, 0.03, 0.04, 0.05);
    s.SinuosityRows.push_back({100, 1.1});
    return s;
}

TEST(XSectionGrids, TheFillsWriteTheHeadersAndNumbersOfTheSection)
{
    VQXCrossSection section = Valley();
    ASSERT_TRUE(section.FindThalweg() == 100.0);
    ASSERT_TRUE(section.BuildPropertyTable(3).Ok());
    Tables t;
    t.Fill(&section);
    EXPECT_EQ(t.points.RowCount(), 5);
    EXPECT_EQ(t.points.CellText(0, 0), "           ");
    EXPECT_EQ(t.points.CellText(0, 1), "    Station (m)    ");
    EXPECT_EQ(t.points.CellText(0, 2), "   Elevation (m)   ");
    EXPECT_EQ(t.points.CellText(2, 0), "2");
    EXPECT_EQ(t.points.CellText(2, 1), "8.000");
    EXPECT_EQ(t.points.CellText(4, 2), "104.000");
    // Roughness: elevation, then left, channel and right n.
    EXPECT_EQ(t.roughness.CellText(0, 1), "  Elevation (m)  ");
    EXPECT_EQ(t.roughness.CellText(0, 3), " Manning's Channel ");
    EXPECT_EQ(t.roughness.CellText(1, 2), "0.040");
    EXPECT_EQ(t.roughness.CellText(1, 3), "0.030");
    EXPECT_EQ(t.roughness.CellText(1, 4), "0.050");
    EXPECT_EQ(t.sinuosity.CellText(1, 2), "1.100");
    EXPECT_EQ(t.banks.FixedColumnCount(), 0);
    EXPECT_EQ(t.banks.CellText(0, 0), "  Left Bank (m)  ");
    EXPECT_EQ(t.banks.CellText(1, 0), "8.000");
    EXPECT_EQ(t.banks.CellText(1, 1), "22.000");

    CGridCtrl properties;
    FillPropertiesGrid(properties, &section, XSectionUnitsFor(0));
    EXPECT_EQ(properties.RowCount(), 4);
    EXPECT_EQ(properties.ColumnCount(), 14);
    EXPECT_EQ(properties.CellText(0, 2), "Ac (sqft)");
    EXPECT_EQ(properties.CellText(0, 3), "Twc (ft)");
    EXPECT_EQ(properties.CellText(0, 13), "Manning's ROB");
    EXPECT_EQ(properties.CellText(3, 1),
              FormatXSectionNumber(section.PropertyRows[2][VQXGeometryDataLib::PropertyLevel]));
    EXPECT_EQ(properties.CellText(3, 3),
              FormatXSectionNumber(section.PropertyRows[2][VQXGeometryDataLib::PropertyChannelWidth]));
    for (int r = 0; r < properties.RowCount(); ++r)
        for (int c = 0; c < properties.ColumnCount(); ++c) EXPECT_TRUE(properties.CellState(r, c) & CellStateReadOnly);

    // A section whose bank point is missing leaves that bank cell empty.
    section.RightBankPoint = -1;
    FillBankGrid(t.banks, &section, XSectionUnitsFor(1));
    EXPECT_EQ(t.banks.CellText(1, 1), "");

    // A count raised adds numbered empty rows at the end; lowered, drops them.
    ASSERT_TRUE(SetEntryRows(t.points, 6));
    EXPECT_EQ(t.points.RowCount(), 7);
    EXPECT_EQ(t.points.CellText(6, 0), "6");
    EXPECT_EQ(t.points.CellText(6, 1), "");
    EXPECT_EQ(t.points.CellText(4, 1), "30.000");
    ASSERT_TRUE(SetEntryRows(t.points, 2));
    EXPECT_EQ(t.points.RowCount(), 3);
}

TEST(XSectionTables, AnEndedEditIsRewrittenRedAndAValueNotFiniteIsRefused)
{
    struct Case {
        const char* typed;
        bool accepted;
        const char* shown;
    };
    const Case cases[] = {
        {"12abc", true, "12.000"}, {"abc", true, "0.000"}, {"-3.14159", true, "-3.142"}, {"", true, "0.000"},
        {"1e999", false, "1e999"}, {"inf", false, "inf"},  {"nan", false, "nan"},        {" 7", true, "7.000"},
    };
    CGridCtrl grid;
    grid.SetNumRows(2);
    grid.SetNumColumns(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        grid.SetCellText(1, 1, c.typed);
        grid.MarkModified(FALSE, 1, 1);
        grid.SetCellTextColor(1, 1, XSectionAppliedColour);
        EXPECT_EQ(RewriteEditedCell(grid, 1, 1), c.accepted);
        EXPECT_EQ(grid.CellText(1, 1), c.shown);
        EXPECT_EQ(grid.CellAt(1, 1)->GetTextColor() == XSectionEditedColour, c.accepted);
        EXPECT_EQ((grid.CellState(1, 1) & CellStateModified) != 0, c.accepted);
    }
}

TEST(XSectionTables, TheChecksOfApplyStopAtTheFirstFailure)
{
    const VQXCrossSection valley = Valley();
    const std::string blank =
        "One or more of the cross section entries are blank.\n Please ensure all cells have values.";
    const std::string left =
        "The left bank station does not correspond to a station entry in the cross section table.\n";
    const std::string right =
        "The right bank station does not correspond to a station entry in the cross section table.\n";
    struct Case {
        const char* name;
        Rows points;
        Rows roughness;
        Rows sinuosity;
        std::vector<std::string> banks;
        std::string message;
    };
    const Rows points = {{"0", "104"}, {"8", "100"}, {"22", "100"}, {"30", "104"}};
    const Rows roughness = {{"100", "0.04", "0.03", "0.05"}};
    const Rows sinuosity = {{"100", "1.1"}};
    const Case cases[] = {
        {"the section as filled", points, roughness, sinuosity, {"8.000", "22.000"}, ""},
        {"a blank elevation", {{"0", "104"}, {"8", ""}, {"22", "100"}}, roughness, sinuosity, {"8", "22"}, blank},
        {"equal stations",
         {{"0", "1"}, {"10", "1"}, {"10", "1"}},
         roughness,
         sinuosity,
         {"0", "10"},
         "Station data from entry 2 to entry 3 are not in increasing order.\n"
         "Please ensure that all sequential station entries are increasing."},
        {"one point",
         {{"8", "100"}},
         roughness,
         sinuosity,
         {"8", "8"},
         "A cross section needs at least two station entries."},
        {"a blank n",
         points,
         {{"100", "0.04", "", "0.05"}},
         sinuosity,
         {"8", "22"},
         "One or more of the Roughness Table entries are blank.\n Please ensure all cells have values."},
        {"a blank sinuosity",
         points,
         roughness,
         {{"", "1.1"}},
         {"8", "22"},
         "One or more of the Sinuosity Table entries are blank.\n Please ensure all cells have values."},
        {"a bank 25 at a station 25.000",
         {{"0", "1"}, {"25.000", "0"}, {"30", "1"}},
         roughness,
         sinuosity,
         {"25", "30"},
         ""},
        {"a bank 25.0001 at a station 25.000",
         {{"0", "1"}, {"25.000", "0"}, {"30", "1"}},
         roughness,
         sinuosity,
         {"25.0001", "30"},
         left},
        {"a right bank at no station", points, roughness, sinuosity, {"8", "23"}, right},
        {"a blank bank at no station 0", {{"1", "104"}, {"8", "100"}}, roughness, sinuosity, {"", "8"}, left},
        {"the banks swapped",
         points,
         roughness,
         sinuosity,
         {"22", "8"},
         "The left bank station must be less than the right bank station."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tables t;
        t.Fill(&valley);
        Put(t.points, c.points);
        Put(t.roughness, c.roughness);
        Put(t.sinuosity, c.sinuosity);
        t.banks.SetCellText(1, 0, c.banks[0]);
        t.banks.SetCellText(1, 1, c.banks[1]);
        EXPECT_EQ(ValidateTables(t.Ref()), c.message);
    }
}

class XSectionApplyTest : public ViewsTest
{
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        ASSERT_TRUE(Open("ft0-metric.vqx"));
        for (VQXDisplayNode* n = Doc()->DisplayModel->FirstNode(); n; n = Doc()->DisplayModel->NextNode()) {
            if (n->CrossSection && !node_) node_ = n;
        }
        ASSERT_NE(node_, nullptr);
        for (NodeRecord* n = g_Nodes; n; n = n->Next) {
            if (n->Number == node_->Number) engine_ = n;
        }
        ASSERT_NE(engine_, nullptr);
        tables_.Fill(node_->CrossSection.get());
    }

    VQXDisplayNode* node_ = nullptr;
    NodeRecord* engine_ = nullptr;
    Tables tables_;
};

TEST_F(XSectionApplyTest, ApplyWritesTheGridsSectionIntoTheNodeAndTheEngine)
{
    // Deepen the channel by a metre at the second point, edited as the user does.
    const double deeper = VQXTextFormat::ParseLeadingDouble(tables_.points.CellText(2, 2)) - 1.0;
    tables_.points.SetCellText(2, 2, FormatXSectionNumber(deeper));
    ASSERT_TRUE(RewriteEditedCell(tables_.points, 2, 2));
    ASSERT_EQ(ValidateTables(tables_.Ref()), "");
    ASSERT_EQ(ApplyTables(tables_.Ref(), 2, *node_, *Doc()->State), "");

    EXPECT_EQ(node_->SectionCode, -2);
    EXPECT_EQ(engine_->SectionCode, -2);
    ASSERT_NE(engine_->CrossSection, nullptr);
    EXPECT_EQ(engine_->CrossSection->LevelCount, 2);
    EXPECT_EQ(node_->CrossSection->PropertyRows.size(), 2u);
    EXPECT_DOUBLE_EQ(node_->CrossSection->Points[1].Elevation, deeper);
    EXPECT_DOUBLE_EQ(engine_->CrossSection->Points[1].Elevation, deeper);
    // The bed of the node table and the profile is the new lowest point.
    EXPECT_DOUBLE_EQ(node_->Invert, engine_->Invert);
    EXPECT_LE(node_->Invert, deeper);
    EXPECT_EQ(tables_.points.CellAt(2, 2)->GetTextColor(), XSectionAppliedColour);
}

TEST_F(XSectionApplyTest, ARefusedSectionLeavesTheNodeTheEngineAndTheRedCellsAsTheyWere)
{
    const VQXCrossSection* before = node_->CrossSection.get();
    const int code = node_->SectionCode;
    const double invert = node_->Invert;
    const std::vector<SectionPoint> enginePoints = engine_->CrossSection->Points;
    tables_.points.SetCellText(1, 1, "-5");
    ASSERT_TRUE(RewriteEditedCell(tables_.points, 1, 1));

    // A node the engine does not have: the model state refuses the write.
    const int number = node_->Number;
    node_->Number = 999999;
    EXPECT_EQ(ApplyTables(tables_.Ref(), 4, *node_, *Doc()->State),
              "The cross section was not applied: its node is not in the model.");
    node_->Number = number;
    EXPECT_EQ(node_->CrossSection.get(), before);
    EXPECT_EQ(node_->SectionCode, code);
    EXPECT_EQ(node_->Invert, invert);
    ASSERT_EQ(engine_->CrossSection->Points.size(), enginePoints.size());
    EXPECT_EQ(engine_->CrossSection->Points[0].Station, enginePoints[0].Station);
    EXPECT_EQ(tables_.points.CellAt(1, 1)->GetTextColor(), XSectionEditedColour);

    // Levels beyond the table's range: refused by the section's own build.
    EXPECT_EQ(ApplyTables(tables_.Ref(), 301, *node_, *Doc()->State),
              "The cross section properties table needs from 2 to 300 levels.\n");
    EXPECT_EQ(node_->CrossSection.get(), before);
}

}  // namespace
