// The model state against engine records filled here: unit conversions, the display model it
// builds, unedited and edited write-backs, settings round trips, zones and bridging events,
// the model clock and the time titles.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "datalib/ModelState.h"
#include "EngineModelFixture.h"
#include "EngineSnapshot.h"

using namespace VQXDisplayLib;

namespace {

struct Loaded {
    std::unique_ptr<VQXDisplayModel> Model = std::make_unique<VQXDisplayModel>();
    std::unique_ptr<ModelState> State = std::make_unique<ModelState>(Model.get());
    Loaded() { State->BuildDisplayModel(); }
};

VQXDisplayNode* NodeAt(VQXDisplayModel& m, int i) { return static_cast<VQXDisplayNode*>(static_cast<VQXGeometryDataLib::VQXNode*>(m.NodeList.At(i))); }
VQXDisplayBoundaryElement* BoundaryAt(VQXDisplayModel& m, int i)
{
    return static_cast<VQXDisplayBoundaryElement*>(static_cast<VQXGeometryDataLib::VQXBoundaryElement*>(m.BoundaryList.At(i)));
}

}  // namespace

TEST(ModelStateUnits, ConversionsBothSystems)
{
    struct Case {
        int units;
        double chainage, discharge;
        double station, shownDischarge;
    };
    // Independent figures: 1 mile is 1609.344 m exactly; 1 m3/s is 1 / 0.3048^3 = 35.3146667 cfs.
    const Case cases[] = {
        {0, 1609.344, 1.0, 1.0, 35.31466672148859},
        {1, 1609.344, 1.0, 1.609344, 1.0},
        {0, 0.0, 0.028316846592, 0.0, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        testmodel::Build(0, c.units);
        g_NodeBlock[0].Chainage = c.chainage;
        g_NodeBlock[0].Discharge = c.discharge;
        Loaded l;
        const VQXDisplayNode* n = NodeAt(*l.Model, 0);
        EXPECT_NEAR(n->Station, c.station, 1e-12);
        EXPECT_NEAR(n->Discharge, c.shownDischarge, 1e-10);
        EXPECT_EQ(l.Model->UnitSystem, c.units);
    }

    testmodel::Build(3, 0);
    Loaded l;
    const VQXDisplayNode* n = NodeAt(*l.Model, 0);
    EXPECT_NEAR(n->Stage, 101.23 / 0.3048, 1e-10);                 // feet
    EXPECT_NEAR(n->Velocity, 0.61 / 0.3048, 1e-12);                // ft/s
    EXPECT_DOUBLE_EQ(n->IceConcentrationPercent, 25.0);           // percent
    EXPECT_DOUBLE_EQ(n->FrazilPercent, 1.25);
    EXPECT_DOUBLE_EQ(n->WaterTemperature, 0.013);                  // as is
    EXPECT_DOUBLE_EQ(n->PeakStageTime, 0.5);                       // hours
    EXPECT_DOUBLE_EQ(n->PeakDischargeTime, 1.5);
    EXPECT_NEAR(n->BorderIceWidth, 4.0 / 0.3048, 1e-12);
    EXPECT_DOUBLE_EQ(n->IceRoughness, 0.027);                      // the effective ice n
    EXPECT_DOUBLE_EQ(n->WQValues[0], 1.5);
    EXPECT_DOUBLE_EQ(n->WQValues[6], 0.25);
    EXPECT_EQ(l.State->RefreshFlag, 1);
}

TEST(ModelStateBuild, ListsFollowTheEngineChains)
{
    testmodel::Build(3, 0);
    Loaded l;
    VQXDisplayModel& m = *l.Model;
    ASSERT_EQ(m.NodeList.Count, 4);
    ASSERT_EQ(m.InteriorList.Count, 3);
    ASSERT_EQ(m.BoundaryList.Count, 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(NodeAt(m, i)->Number, 10 + i);
    auto* e = static_cast<VQXDisplayInteriorElement*>(static_cast<VQXGeometryDataLib::VQXInteriorElement*>(m.InteriorList.At(1)));
    EXPECT_EQ(e->NodeOne(), NodeAt(m, 1));
    EXPECT_EQ(e->NodeTwo(), NodeAt(m, 2));
    EXPECT_EQ(m.ReachNumbers, (std::vector<int>{1, 2}));

    // Kinds and series: the inflow in hours and cfs with its thermal columns, the stage series
    // in feet, and an empty series for the element that has no table.
    EXPECT_EQ(BoundaryAt(m, 0)->Kind, 0);
    EXPECT_EQ(BoundaryAt(m, 1)->Kind, 2);
    const VQXTimeSeries& inflow = BoundaryAt(m, 0)->FlowSeries;
    ASSERT_EQ(inflow.size(), 3u);
    EXPECT_DOUBLE_EQ(inflow[2].Time, 7237.0 / 3600.0);
    EXPECT_NEAR(inflow[1].Discharge, 2.7 / std::pow(0.3048, 3), 1e-10);
    EXPECT_DOUBLE_EQ(inflow[1].FrazilConcentration, 0.6);
    EXPECT_DOUBLE_EQ(inflow[1].IceConcentration, 35.0);
    EXPECT_NEAR(inflow[1].SolidIceThickness, 0.22 / 0.3048, 1e-12);
    EXPECT_NEAR(BoundaryAt(m, 1)->FlowSeries[1].Stage, 100.91 / 0.3048, 1e-10);
    EXPECT_TRUE(BoundaryAt(m, 2)->FlowSeries.empty());

    // The cross section in feet, with its own property table.
    const VQXDisplayNode* s = NodeAt(m, 1);
    ASSERT_NE(s->CrossSection, nullptr);
    EXPECT_EQ(s->CrossSection->Points.size(), 6u);
    EXPECT_NEAR(s->CrossSection->Points[2].Elevation, 98.3 / 0.3048, 1e-10);
    EXPECT_NEAR(s->CrossSection->RightBankStation, 21.7 / 0.3048, 1e-10);
    EXPECT_EQ(s->CrossSection->PropertyRows.size(), 12u);
    EXPECT_EQ(NodeAt(m, 0)->CrossSection, nullptr);

    // Zone series in hours; the event's front in miles and its river station as is.
    ASSERT_EQ(m.ZoneList.Count, 1);
    const VQXAtmosphericZone* z = m.FirstZone();
    ASSERT_EQ(z->Series.size(), 2u);
    EXPECT_DOUBLE_EQ(z->Series[1].Time, 8760.0);
    EXPECT_DOUBLE_EQ(z->Series[0].AirTemperature, -12.5);
    EXPECT_EQ(NodeAt(m, 2)->Zone, z);
    ASSERT_EQ(m.EventList.Count, 1);
    const VQXBridgingEvent* ev = m.FirstEvent();
    EXPECT_NEAR(ev->FrontLocation, 1.0, 1e-12);
    EXPECT_NEAR(ev->BridgingLocation, 2.0, 1e-12);
    EXPECT_DOUBLE_EQ(ev->BridgingTime, 10.0);
    EXPECT_DOUBLE_EQ(ev->FrontStation, 12.5);

    EXPECT_EQ(l.State->FileType, 3);
    EXPECT_EQ(l.State->FileTypeAsOpened, 3);
    EXPECT_DOUBLE_EQ(l.State->MaxDeltaT, 90.0 / 3600.0);
    EXPECT_DOUBLE_EQ(l.State->ModelTime, 2.0);
}

TEST(ModelStateBuild, FrontStationIsUnchangedInBothSystems)
{
    for (int units : {0, 1}) {
        testmodel::Build(3, units);
        Loaded l;
        EXPECT_DOUBLE_EQ(l.Model->FirstEvent()->FrontStation, 12.5);
    }
}

TEST(ModelStateBuild, JunctionLinksFollowTheCurrentArrangement)
{
    testmodel::Build(0, 1);
    ModelControl& mc = g_ModelControl;
    mc.JunctionCount = mc.JunctionBlockCount = 1;
    g_JunctionBlock.resize(1);
    JunctionRecord& j = g_JunctionBlock[0];
    j.Number = 5;
    j.NodeA = &g_NodeBlock[1];
    j.NodeB = &g_NodeBlock[0];
    j.NodeC = &g_NodeBlock[2];
    j.ElementAB = &g_ElementBlock[0];
    j.ElementAC = &g_ElementBlock[1];
    g_Junctions = &j;
    Loaded l;
    VQXJunctionLink* link = l.Model->FirstJunction();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Number, 5);
    EXPECT_EQ(link->NodeA, NodeAt(*l.Model, 1));
    EXPECT_EQ(link->NodeD, nullptr);
    EXPECT_EQ(link->ElementAD, nullptr);
    EXPECT_EQ(link->ElementAC->Number, 2);

    // The engine swaps the arrangement; the refresh follows it.
    std::swap(j.NodeB, j.NodeC);
    std::swap(j.ElementAB, j.ElementAC);
    l.State->RefreshJunctionLinks();
    EXPECT_EQ(link->NodeB, NodeAt(*l.Model, 2));
    EXPECT_EQ(link->ElementAB->Number, 2);
    EXPECT_EQ(link->ElementAC->Number, 1);
}

// Writing back objects nobody edited must not move one engine byte, in either system of units
// and every file type: the write-backs compare in display units with a relative tolerance.
TEST(ModelStateWriteBack, UneditedObjectsLeaveTheEngineUnchanged)
{
    for (int fileType = 0; fileType <= 3; ++fileType)
        for (int units : {0, 1}) {
            SCOPED_TRACE("file type " + std::to_string(fileType) + " units " + std::to_string(units));
            testmodel::Build(fileType, units);
            Loaded l;
            l.State->WQLoaded = 1;
            const testmodel::EngineSnapshot before = testmodel::EngineSnapshot::Take();
            for (VQXDisplayNode* n = l.Model->FirstNode(); n != nullptr; n = l.Model->NextNode())
                EXPECT_EQ(l.State->WriteNodeToEngine(n), ModelStateOk);
            for (int i = 0; i < l.Model->NodeList.Count; ++i) {
                if (NodeAt(*l.Model, i)->CrossSection) {
                    EXPECT_EQ(l.State->WriteCrossSectionToEngine(NodeAt(*l.Model, i), nullptr), ModelStateOk);
                }
            }
            for (int i = 0; i < l.Model->BoundaryList.Count; ++i) {
                EXPECT_EQ(l.State->WriteBoundarySeriesToEngine(BoundaryAt(*l.Model, i)), ModelStateOk);
                EXPECT_EQ(l.State->WriteBoundaryWaterQualityToEngine(BoundaryAt(*l.Model, i)), ModelStateOk);
            }
            for (VQXAtmosphericZone* z = l.Model->FirstZone(); z != nullptr; z = l.Model->NextZone())
                EXPECT_EQ(l.State->WriteZoneSeriesToEngine(z), ModelStateOk);
            before.ExpectUnchanged();
        }
}

TEST(ModelStateWriteBack, NodeEditsReachTheEngine)
{
    testmodel::Build(0, 0);
    Loaded l;
    VQXDisplayNode* section = NodeAt(*l.Model, 1);
    VQXDisplayNode* rect = NodeAt(*l.Model, 2);
    section->Stage = 330.0;   // ft
    section->Discharge = 50.0; // cfs
    rect->Stage = 325.0;
    rect->Width = 80.0;
    rect->Station = 2.5;      // mi
    ASSERT_EQ(l.State->WriteNodeToEngine(section), ModelStateOk);
    ASSERT_EQ(l.State->WriteNodeToEngine(rect), ModelStateOk);

    const NodeRecord& s = g_NodeBlock[1];
    EXPECT_NEAR(s.Stage, 330.0 * 0.3048, 1e-12);
    EXPECT_NEAR(s.Discharge, 50.0 * std::pow(0.3048, 3), 1e-12);
    EXPECT_EQ(s.HydroUnknowns[1], s.Discharge);
    const CrossSectionTable& t = *s.CrossSection;
    const double area = InterpolateTable(t.Column(StageLevel), t.Column(TotalArea), s.Stage, t.LevelCount);
    EXPECT_GT(area, 0.0);
    EXPECT_EQ(s.GrossArea, area);
    EXPECT_EQ(s.HydroUnknowns[0], area);

    const NodeRecord& r = g_NodeBlock[2];
    EXPECT_NEAR(r.RectWidth, 80.0 * 0.3048, 1e-12);
    EXPECT_NEAR(r.Chainage, 2.5 * 1609.344, 1e-9);
    EXPECT_NEAR(r.GrossArea, (r.Stage - r.Invert) * r.RectWidth, 1e-9);
}

TEST(ModelStateWriteBack, NodeNotInTheEngineChangesNothing)
{
    testmodel::Build(3, 1);
    Loaded l;
    const testmodel::EngineSnapshot before = testmodel::EngineSnapshot::Take();
    VQXDisplayNode stranger;
    stranger.Number = 999;
    stranger.Stage = 50;
    EXPECT_EQ(l.State->WriteNodeToEngine(&stranger), ModelStateNotInEngine);
    EXPECT_EQ(l.State->WriteCrossSectionToEngine(&stranger, nullptr), ModelStateNotInEngine);
    before.ExpectUnchanged();
}

TEST(ModelStateWriteBack, ThermalBordersAreLimitedAndEnergyFollowsTheTemperature)
{
    testmodel::Build(3, 1);
    Loaded l;
    VQXDisplayNode* d = NodeAt(*l.Model, 0);
    d->LeftBorderWidth = 12.0;
    d->RightBorderWidth = 8.0;   // 20 of 23.7 m: above the 0.7 limit
    d->WaterTemperature = 2.0;
    d->FrazilPercent = 0.0;
    ASSERT_EQ(l.State->WriteNodeToEngine(d), ModelStateOk);
    const NodeRecord& n = g_NodeBlock[0];
    EXPECT_DOUBLE_EQ(n.BorderFraction, 0.7);
    EXPECT_NEAR(n.BorderWidthLeft + n.BorderWidthRight, 0.7 * 23.7, 1e-12);
    EXPECT_NEAR(n.BorderWidthLeft / n.BorderWidthRight, 1.5, 1e-12);
    EXPECT_NEAR(n.IceCoveredWidth, 0.3 * 23.7, 1e-12);
    EXPECT_NEAR(n.SolidIceArea, 0.25 * 0.37 * 0.3 * 23.7, 1e-12);
    // Water at 2 degC without frazil: c(T) T with c = 0.076 T^2 - 3.31 T + 4217.6.
    EXPECT_NEAR(n.ThermalEnergy, (0.076 * 4 - 6.62 + 4217.6) * 2.0, 1e-9);
    EXPECT_EQ(n.ThermalUnknowns[0], n.ThermalEnergy);
    EXPECT_EQ(n.ThermalUnknowns[5], n.SolidIceArea);
}

TEST(ModelStateWriteBack, SectionBeyondTheEngineCapacityIsRefused)
{
    testmodel::Build(0, 1);
    Loaded l;
    const testmodel::EngineSnapshot before = testmodel::EngineSnapshot::Take();
    VQXDisplayNode* d = NodeAt(*l.Model, 1);
    for (int i = 0; i < 10; ++i)
        d->CrossSection->AddRoughnessRow(99 + i, 0.03, 0.05, 0.05);  // 12 rows
    EXPECT_EQ(l.State->WriteCrossSectionToEngine(d, nullptr), ModelStateOverCapacity);
    before.ExpectUnchanged();
}

TEST(ModelStateWriteBack, EditedSectionRebuildsTheEngineTable)
{
    testmodel::Build(0, 1);
    Loaded l;
    VQXDisplayNode* d = NodeAt(*l.Model, 1);
    d->CrossSection->Points[3].Elevation = 96.5;  // deepen the thalweg
    ASSERT_NE(d->Invert, 96.5);
    ASSERT_EQ(l.State->WriteCrossSectionToEngine(d, nullptr), ModelStateOk);
    EXPECT_DOUBLE_EQ(d->Invert, 96.5);  // the display's bed follows the engine's table
    const NodeRecord& n = g_NodeBlock[1];
    EXPECT_DOUBLE_EQ(n.CrossSection->Points[3].Elevation, 96.5);
    EXPECT_DOUBLE_EQ(n.Invert, 96.5);
    EXPECT_DOUBLE_EQ(n.CrossSection->Column(StageLevel)[0], 96.5);

    // A rectangular node given a section code gets the default section and a table.
    VQXDisplayNode* r = NodeAt(*l.Model, 2);
    r->ApplySectionCode(8);
    ASSERT_EQ(l.State->WriteNodeToEngine(r), ModelStateOk);
    ASSERT_NE(g_NodeBlock[2].CrossSection, nullptr);
    EXPECT_EQ(g_NodeBlock[2].SectionCode, -8);
    EXPECT_EQ(g_NodeBlock[2].CrossSection->LevelCount, 8);

    // And back to rectangular: the table goes.
    r->ApplySectionCode(0);
    ASSERT_EQ(l.State->WriteNodeToEngine(r), ModelStateOk);
    EXPECT_EQ(g_NodeBlock[2].CrossSection, nullptr);
    EXPECT_EQ(g_NodeBlock[2].SectionCode, 0);
}

TEST(ModelStateWriteBack, SeriesWithoutAnEngineTable)
{
    testmodel::Build(0, 1);
    Loaded l;
    l.State->WQLoaded = 1;
    l.State->RefreshBoundarySeries();  // no element has a water-quality table
    VQXDisplayBoundaryElement* plain = BoundaryAt(*l.Model, 2);
    EXPECT_TRUE(plain->FlowSeries.empty());
    EXPECT_TRUE(plain->WQSeries.empty());

    // Empty series: nothing to keep, no table made.
    EXPECT_EQ(l.State->WriteBoundarySeriesToEngine(plain), ModelStateOk);
    EXPECT_EQ(l.State->WriteBoundaryWaterQualityToEngine(plain), ModelStateOk);
    EXPECT_EQ(g_BoundaryElementBlock[2].Hydrograph, nullptr);
    EXPECT_EQ(g_BoundaryElementBlock[2].WQHydrograph, nullptr);

    // A series given to it gets a table of its own.
    AppendFlowEntry(plain->FlowSeries, 0.0, 5.0, 0.0);
    AppendFlowEntry(plain->FlowSeries, 2.5, 7.0, 0.0);
    plain->WQSeries = plain->FlowSeries;
    plain->WQSeries[1].WQValues[0] = 8.5;
    ASSERT_EQ(l.State->WriteBoundarySeriesToEngine(plain), ModelStateOk);
    ASSERT_EQ(l.State->WriteBoundaryWaterQualityToEngine(plain), ModelStateOk);
    const BoundaryHydrograph* h = g_BoundaryElementBlock[2].Hydrograph;
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->RowCount, 2);
    EXPECT_EQ(h->Columns[0][1], 9000.0);
    EXPECT_EQ(h->Columns[2][1], 7.0);
    const WQBoundaryHydrograph* w = g_BoundaryElementBlock[2].WQHydrograph;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Columns[1][1], 8.5);

    // Too many entries are refused whole.
    plain->FlowSeries.resize(MaxSeriesEntries + 1);
    EXPECT_EQ(l.State->WriteBoundarySeriesToEngine(plain), ModelStateOverCapacity);
    EXPECT_EQ(h->RowCount, 2);
}

TEST(ModelStateWriteBack, SeriesEditsConvertToEngineUnits)
{
    testmodel::Build(3, 0);
    Loaded l;
    VQXDisplayBoundaryElement* up = BoundaryAt(*l.Model, 0);
    up->FlowSeries[1].Discharge = 100.0;            // cfs
    up->FlowSeries[1].IceConcentration = 50.0;      // %
    up->FlowSeries.push_back(up->FlowSeries[2]);
    up->FlowSeries[3].Time = 10.0;
    ASSERT_EQ(l.State->WriteBoundarySeriesToEngine(up), ModelStateOk);
    const BoundaryHydrograph& h = *g_BoundaryElementBlock[0].Hydrograph;
    EXPECT_EQ(h.RowCount, 4);
    EXPECT_NEAR(h.Columns[2][1], 100.0 * std::pow(0.3048, 3), 1e-12);
    EXPECT_DOUBLE_EQ(h.Columns[6][1], 0.5);
    EXPECT_EQ(h.Columns[0][3], 36000.0);
    EXPECT_EQ(h.Columns[0][2], 7237.0);  // unedited rows keep their exact values
}

TEST(ModelStateSettings, PushThenPullIsTheIdentity)
{
    testmodel::Build(3, 1);
    Loaded l;
    ModelState& s = *l.State;
    s.ModelTime = 2.75;
    s.FinalTime = 48.125;
    s.DeltaT = 0.01;
    s.MaxDeltaT = 0.02;
    s.HydroNorm = 1e-4; s.HydroTolerance = 2e-6; s.HydroSteadyTolerance = 0.003;
    s.HydroIterations = 3; s.HydroMaxIterations = 17; s.HydroTheta = 0.65;
    s.AddNorm = 5e-3; s.AddTolerance = 4e-5; s.AddSteadyTolerance = 0.02;
    s.AddIterations = 2; s.AddMaxIterations = 11; s.AddTheta = 0.8;
    s.WQNorm = 6e-3; s.WQTolerance = 7e-6; s.WQSteadyTolerance = 0.04;
    s.WQIterations = 4; s.WQMaxIterations = 13; s.WQTheta = 0.55;
    s.SteadyIteration = 9;
    s.HydrodynamicsOn = 1; s.AdditionalOn = 1; s.WaterQualityOn = 1;
    const int start[6] = {2021, 12, 31, 23, 15, 7};
    std::memcpy(s.StartDate, start, sizeof start);
    s.PushRunSettings();

    s.HydroUpwinding = 0.33; s.HydroUpwindingUpdating = 1; s.AddUpwinding = 0.44; s.AddUpwindingUpdating = 1;
    s.Formulation = 2; s.ResistanceModel = 1; s.WaterTemperature = 3.5;
    s.FrazilNusselt = 6.5; s.MaxJamIterations = 40; s.BorderIceVelocityMode = 1; s.MaxDischargeChangeJSE = 0.3;
    s.IceSpecificGravity = 0.92;
    s.PushGlobalSettings();

    s.WQType = 2;
    s.WQCoefficients.Koc = 1234.5; s.WQCoefficients.Bacid = 1; s.WQCoefficients.Uwind = 3.25;
    s.PushWaterQualitySettings();

    VQXDisplayModel otherModel;
    ModelState t(&otherModel);
    t.FileType = 3;
    t.PullRunSettings();
    t.PullGlobalSettings();
    t.PullWaterQualitySettings();
#define EXPECT_SAME(field) EXPECT_EQ(t.field, s.field) << #field;
    EXPECT_SAME(ModelTime) EXPECT_SAME(FinalTime) EXPECT_SAME(DeltaT)
    EXPECT_SAME(HydroNorm) EXPECT_SAME(HydroTolerance) EXPECT_SAME(HydroSteadyTolerance)
    EXPECT_SAME(HydroIterations) EXPECT_SAME(HydroMaxIterations) EXPECT_SAME(HydroTheta)
    EXPECT_SAME(AddNorm) EXPECT_SAME(AddTolerance) EXPECT_SAME(AddSteadyTolerance)
    EXPECT_SAME(AddIterations) EXPECT_SAME(AddMaxIterations) EXPECT_SAME(AddTheta)
    EXPECT_SAME(WQNorm) EXPECT_SAME(WQTolerance) EXPECT_SAME(WQSteadyTolerance)
    EXPECT_SAME(WQIterations) EXPECT_SAME(WQMaxIterations) EXPECT_SAME(WQTheta)
    EXPECT_SAME(SteadyIteration) EXPECT_SAME(HydrodynamicsOn) EXPECT_SAME(ThermalIceOn) EXPECT_SAME(DynamicIceOn)
    EXPECT_SAME(WaterQualityOn) EXPECT_SAME(AdditionalOn)
    EXPECT_SAME(UnitSystem) EXPECT_SAME(Formulation) EXPECT_SAME(ResistanceModel) EXPECT_SAME(WaterTemperature)
    EXPECT_SAME(ZoneCount) EXPECT_SAME(EventCount)
    EXPECT_SAME(HydroUpwinding) EXPECT_SAME(HydroUpwindingUpdating) EXPECT_SAME(AddUpwinding) EXPECT_SAME(AddUpwindingUpdating)
#define EXPECT_SAME_SETTING(type, name) EXPECT_SAME(name)
    VASQUIL_GLOBAL_SETTINGS(EXPECT_SAME_SETTING)
#define EXPECT_SAME_WQ(type, name) EXPECT_EQ(t.WQCoefficients.name, s.WQCoefficients.name) << #name;
    VASQUIL_WQ_COEFFICIENTS(EXPECT_SAME_WQ)
    EXPECT_SAME(WQType)
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(t.StartDate[i], s.StartDate[i]);
        EXPECT_EQ(t.CurrentDate[i], s.CurrentDate[i]);
    }
    EXPECT_STREQ(t.SolutionCaption, "Thermal Processes Solution (All Equations)");
    EXPECT_DOUBLE_EQ(g_ModelControl.IceDensity, 920.0);
    // 2.75 h after 2021-12-31 23:15:07.
    const int expected[6] = {2022, 1, 1, 2, 0, 7};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(g_ModelControl.CurrentDate[i], expected[i]);
}

TEST(ModelStateSettings, UnpushedHoursLeaveTheEngineSecondsExact)
{
    testmodel::Build(0, 1);
    g_ModelControl.ModelTime = 7.0;  // 7 s: 7 / 3600 x 3600 is not 7 in doubles
    g_ModelControl.DeltaT = 36.7;
    Loaded l;
    l.State->PushRunSettings();
    EXPECT_EQ(g_ModelControl.ModelTime, 7.0);
    EXPECT_EQ(g_ModelControl.DeltaT, 36.7);
    // Output intervals of whole seconds stay whole.
    l.State->SeriesInterval = 1.0 / 60.0;
    l.State->SnapshotInterval = 1.0 / 12.0;
    l.State->PushRunSettings();
    EXPECT_EQ(g_ModelControl.SeriesInterval, 60.0);
    EXPECT_EQ(g_ModelControl.SnapshotInterval, 300.0);
}

TEST(ModelStateSettings, SolutionCaptionByFileType)
{
    testmodel::Build(0, 1);
    Loaded l;
    ModelState& s = *l.State;
    struct Case { int fileType, unknowns; const char* caption; int has, system; };
    const Case cases[] = {
        {0, 6, "Ice Process Solution", 0, 2},
        {1, 6, "Ice Process Solution", 0, 2},
        {2, 6, "Dynamic Ice Process Solution", 1, 1},
        {3, 1, "Thermal Processes Solution (Tw Equation)", 1, 2},
        {3, 2, "Thermal Processes Solution (Tw and Cf Eqns)", 1, 2},
        {3, 6, "Thermal Processes Solution (All Equations)", 1, 2},
    };
    for (const Case& c : cases) {
        s.FileType = c.fileType;
        g_EquationSystems[ThermalIceSystem].UnknownsPerNode = c.unknowns;
        s.UpdateSolutionCaption();
        EXPECT_STREQ(s.SolutionCaption, c.caption);
        EXPECT_EQ(s.HasAdditionalSystem, c.has);
        EXPECT_EQ(s.AdditionalSystem, c.system);
    }
}

TEST(ModelStateZones, ResizeAppendsAndRemovesZones)
{
    testmodel::Build(0, 1);
    Loaded l;
    ModelState& s = *l.State;
    ASSERT_EQ(s.ZoneCount, 0);
    s.ZoneCount = 2;
    s.PushGlobalSettings();
    ASSERT_EQ(l.Model->ZoneList.Count, 2);
    int number = 1;
    for (VQXAtmosphericZone* z = l.Model->FirstZone(); z != nullptr; z = l.Model->NextZone(), ++number) {
        EXPECT_EQ(z->Number, number);
        ASSERT_EQ(z->Series.size(), 2u);
        EXPECT_EQ(z->Series[0].Time, 0.0);
        EXPECT_EQ(z->Series[1].Time, 8760.0);
        EXPECT_EQ(z->Series[1].AirTemperature, 10.0);
    }
    ASSERT_NE(g_AtmosphericZones, nullptr);
    EXPECT_EQ(g_ModelControl.AtmosphericZoneCount, 2);
    EXPECT_EQ(g_AtmosphericZones->Number, 1);
    ASSERT_NE(g_AtmosphericZones->Next, nullptr);
    EXPECT_EQ(g_AtmosphericZones->Next->Number, 2);
    EXPECT_EQ(g_AtmosphericZones->Next->Next, nullptr);
    EXPECT_EQ(g_AtmosphericZones->Next->RowCount, 2);
    EXPECT_EQ(g_AtmosphericZones->Next->Time[1], 8760.0 * 3600.0);
    EXPECT_EQ(g_NodeBlock[0].Zone, g_AtmosphericZones);  // zone number 1 is linked

    // Nodes of zone 2 lose their link when zone 2 goes, on both sides.
    g_NodeBlock[3].ZoneNumber = 2;
    LinkNodesToZones();
    l.State->RefreshNodeResults();
    l.Model->AttachNodeZones();
    ASSERT_NE(NodeAt(*l.Model, 3)->Zone, nullptr);
    s.ZoneCount = 1;
    s.PushGlobalSettings();
    EXPECT_EQ(l.Model->ZoneList.Count, 1);
    EXPECT_EQ(g_AtmosphericZones->Next, nullptr);
    EXPECT_EQ(g_NodeBlock[3].Zone, nullptr);
    EXPECT_EQ(NodeAt(*l.Model, 3)->Zone, nullptr);
}

TEST(ModelStateZones, CountsAreClampedToTheCapacities)
{
    struct Case { int zones, events, shownZones, shownEvents; };
    const Case cases[] = {{25, 150, 20, 100}, {-4, -1, 0, 0}, {3, 2, 3, 2}};
    for (int fileType : {0, 3})  // without and with zone and event blocks in the engine
    for (const Case& c : cases) {
        SCOPED_TRACE(fileType);
        testmodel::Build(fileType, 1);
        Loaded l;
        l.State->ZoneCount = c.zones;
        l.State->EventCount = c.events;
        l.State->PushGlobalSettings();
        EXPECT_EQ(l.State->ZoneCount, c.shownZones);
        EXPECT_EQ(l.State->EventCount, c.shownEvents);
        EXPECT_EQ(g_ModelControl.AtmosphericZoneCount, c.shownZones);
        EXPECT_EQ(g_ModelControl.BridgingEventCount, c.shownEvents);
        EXPECT_EQ(l.Model->ZoneList.Count, c.shownZones);
        EXPECT_EQ(l.Model->EventList.Count, c.shownEvents);
        int chained = 0;
        for (const BridgingEventRecord* e = g_BridgingEvents; e != nullptr; e = e->Next)
            ++chained;
        EXPECT_EQ(chained, c.shownEvents);
    }
}

TEST(ModelStateEvents, NewEventsStartTenHoursAhead)
{
    testmodel::Build(3, 0);
    Loaded l;  // one event from the engine, model time 2 h
    l.State->EventCount = 3;
    l.State->PushGlobalSettings();
    ASSERT_EQ(l.Model->EventList.Count, 3);
    const auto* third = static_cast<VQXBridgingEvent*>(l.Model->EventList.At(2));
    EXPECT_EQ(third->Number, 3);
    EXPECT_DOUBLE_EQ(third->BridgingTime, 12.0);
    EXPECT_EQ(g_BridgingEventBlock[2].BridgingTime, 12.0 * 3600.0);
    EXPECT_EQ(g_BridgingEventBlock[2].Number, 3);
    // The event read from the engine keeps its exact locations.
    EXPECT_EQ(g_BridgingEventBlock[0].FrontLocation, 1609.344);
    EXPECT_EQ(g_BridgingEventBlock[0].BridgingLocation, 3218.688);
}

TEST(ModelStateClock, CalendarCases)
{
    struct Case {
        int start[6];
        double hours;
        int expected[6];
    };
    const Case cases[] = {
        {{2020, 2, 28, 23, 59, 30}, 0.5 / 3600.0, {2020, 2, 28, 23, 59, 30}},
        {{2020, 2, 28, 23, 59, 30}, 1.0 / 60.0, {2020, 2, 29, 0, 0, 30}},
        {{2100, 2, 28, 0, 0, 0}, 24.0, {2100, 3, 1, 0, 0, 0}},
        {{2000, 2, 28, 0, 0, 0}, 24.0, {2000, 2, 29, 0, 0, 0}},
        {{2019, 12, 31, 23, 0, 0}, 1.0, {2020, 1, 1, 0, 0, 0}},
        {{2021, 4, 30, 12, 0, 0}, 12.0, {2021, 5, 1, 0, 0, 0}},
        // 0.1 h is 360 s, though 0.1 x 3600 in doubles lies just below or above it.
        {{2021, 1, 1, 0, 0, 0}, 0.1, {2021, 1, 1, 0, 6, 0}},
        {{2021, 1, 1, 0, 0, 0}, 7.0 / 3600.0, {2021, 1, 1, 0, 0, 7}},
        // 400 years of hours: 146097 days.
        {{2000, 1, 1, 0, 0, 0}, 146097.0 * 24.0, {2400, 1, 1, 0, 0, 0}},
    };
    VQXDisplayModel model;
    ModelState s(&model);
    for (const Case& c : cases) {
        std::memcpy(s.StartDate, c.start, sizeof c.start);
        s.ModelTime = c.hours;
        s.UpdateModelClock();
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(s.CurrentDate[i], c.expected[i]) << c.start[0] << " + " << c.hours << " h, field " << i;
    }
    // Every whole second of a day, written as hours, comes back as that second.
    for (int second = 0; second < 86400; ++second)
        ASSERT_EQ(ModelState::WholeSeconds(second / 3600.0), second);
}

TEST(ModelStateClock, SubtitleAndClockText)
{
    VQXDisplayModel model;
    ModelState s(&model);
    s.ModelTime = 25.5;
    s.FormatChartSubtitle("A", 1, 0);
    EXPECT_STREQ(s.Subtitle, "|A|25:30:00      ");
    s.ModelTime = 1.0 / 60.0;
    s.FormatChartSubtitle("Reach", 1, 1);
    EXPECT_STREQ(s.Subtitle, "|Reach|00:01:00      ");
    const int date[6] = {2020, 3, 1, 7, 5, 9};
    std::memcpy(s.CurrentDate, date, sizeof date);
    s.FormatChartSubtitle("B", 0, 1);
    EXPECT_STREQ(s.Subtitle, "|B|2020-03-01 07:05:09      ");
    s.FormatChartSubtitle("C", 0, 0);
    EXPECT_STREQ(s.Subtitle, "|C|");
    s.FormatClockText(0, 1);
    EXPECT_STREQ(s.ClockText, "2020-03-01 07:05:09      ");
    s.FormatClockText(0, 0);
    EXPECT_STREQ(s.ClockText, "2020-03-01 07:05:09      ");
    s.ModelTime = 100.0 + 59.0 / 60.0 + 59.0 / 3600.0;
    s.FormatClockText(1, 0);
    EXPECT_STREQ(s.ClockText, "100:59:59      ");
    // A long title is cut to the buffer.
    const std::string longTitle(150, 'x');
    s.FormatChartSubtitle(longTitle.c_str(), 0, 0);
    EXPECT_EQ(std::strlen(s.Subtitle), 99u);
}
