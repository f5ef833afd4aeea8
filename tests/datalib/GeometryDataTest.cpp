#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "datalib/DisplayModel.h"
#include "datalib/GeometryData.h"
#include "datalib/HECRASData.h"

using namespace VQXGeometryDataLib;
using namespace VQXDisplayLib;
using VQXHECRASDataLib::VQXHECRASDataSet;
using VQXHECRASDataLib::VQXHECRASNode;

namespace {

VQXDisplayNode* MakeNode(int number, double x, double y, int reach = 1)
{
    auto* node = new VQXDisplayNode;
    node->Number = number;
    node->Easting = x;
    node->Northing = y;
    node->Reach = reach;
    return node;
}

}  // namespace

TEST(GeometryClasses, ConstructionDefaults)
{
    VQXNode node;
    EXPECT_EQ(node.Number, 1);
    EXPECT_EQ(node.Index, -1);
    EXPECT_EQ(node.Reach, 1);
    EXPECT_EQ(node.SectionCode, 0);
    EXPECT_EQ(node.CrossSection, nullptr);

    VQXDisplayNode display;
    EXPECT_EQ(display.HydroCode, 1);
    EXPECT_EQ(display.MaxFroude, 0.158);
    EXPECT_EQ(display.Zone, nullptr);
    EXPECT_TRUE(display.History.Empty());

    VQXHECRASNode hecras;
    EXPECT_EQ(hecras.HydroCode, 1);
    EXPECT_TRUE(hecras.CutLine.empty());

    VQXNode a, b;
    VQXInteriorElement interior(7, &a, &b);
    EXPECT_EQ(interior.Number, 7);
    EXPECT_EQ(interior.Nodes, (std::vector<VQXNode*>{&a, &b}));
    EXPECT_EQ(interior.Codes, (std::vector<int>{0, 0}));
    EXPECT_EQ(interior.Kind, 0);
    VQXBoundaryElement boundary(3, &a);
    EXPECT_EQ(boundary.Nodes, (std::vector<VQXNode*>{&a}));
    EXPECT_EQ(boundary.Codes, (std::vector<int>{0}));

    VQXGeometryDataSet set;
    EXPECT_EQ(set.UnitSystem, 1);
    EXPECT_EQ(set.MinX, 0.0);
    EXPECT_EQ(set.MaxY, 0.0);

    VQXDisplayModel model;
    EXPECT_EQ(model.UseFluxDischarge, 1);
    EXPECT_EQ(model.ShowAllNodes, 1);
}

TEST(GeometryClasses, PlaceNodeAlongClampsTheFraction)
{
    VQXNode one, two, placed;
    one.Easting = 10;
    one.Northing = 20;
    two.Easting = 50;
    two.Northing = -20;
    VQXInteriorElement element(1, &one, &two);
    struct Case {
        double t, x, y;
    };
    for (const Case c : {Case{-0.5, 10, 20}, Case{1.5, 50, -20}, Case{0.25, 20, 10}, Case{0.0, 10, 20},
                         Case{1.0, 50, -20}}) {
        element.PlaceNodeAlong(c.t, &placed);
        EXPECT_DOUBLE_EQ(placed.Easting, c.x) << "t = " << c.t;
        EXPECT_DOUBLE_EQ(placed.Northing, c.y) << "t = " << c.t;
    }
    EXPECT_DOUBLE_EQ(element.DeltaX(), -40);
    EXPECT_DOUBLE_EQ(element.DeltaY(), 40);

    // A missing node contributes nothing and gives no direction.
    VQXInteriorElement loose(2, &one, nullptr);
    EXPECT_EQ(loose.DeltaX(), 0.0);
    EXPECT_EQ(loose.DeltaY(), 0.0);
    loose.PlaceNodeAlong(0.5, &placed);
    EXPECT_DOUBLE_EQ(placed.Easting, 5);
    EXPECT_DOUBLE_EQ(placed.Northing, 10);

    // A boundary element has no node two; a count beyond the nodes given reads no further.
    VQXBoundaryElement boundary(1, &one);
    EXPECT_EQ(boundary.DeltaX(), 0.0);
    boundary.PlaceNodeAlong(0.5, &placed);
    EXPECT_DOUBLE_EQ(placed.Easting, 5);
    const double weights[3] = {1, 1, 1};
    placed.InterpolatePosition(3, {&one}, weights);
    EXPECT_DOUBLE_EQ(placed.Easting, 10);
}

TEST(GeometryDataSet, CollectReachNumbersKeepsNumbersOnceSeen)
{
    VQXDisplayModel model;
    for (int reach : {3, 1, 3, 2})
        model.AppendNode(MakeNode(model.NodeList.Count + 1, 0, 0, reach));
    model.CollectReachNumbers();
    EXPECT_EQ(model.ReachNumbers, (std::vector<int>{1, 2, 3}));

    for (VQXDisplayNode* node = model.FirstNode(); node != nullptr; node = model.NextNode())
        if (node->Reach == 3)
            node->Reach = 1;
    model.CollectReachNumbers();
    EXPECT_EQ(model.ReachNumbers, (std::vector<int>{1, 2, 3}));

    model.AppendNode(MakeNode(9, 0, 0, 7));
    model.CollectReachNumbers();
    EXPECT_EQ(model.ReachNumbers, (std::vector<int>{1, 2, 3, 7}));
}

TEST(GeometryDataSet, ComputeBounds)
{
    VQXDisplayModel model;
    model.AppendNode(MakeNode(1, 100, 50));
    model.AppendNode(MakeNode(2, 0, 0));
    const VQXBounds b = model.ComputeBounds(0.05);
    EXPECT_DOUBLE_EQ(b.MinX, -5);
    EXPECT_DOUBLE_EQ(b.MinY, -2.5);
    EXPECT_DOUBLE_EQ(b.MaxX, 105);
    EXPECT_DOUBLE_EQ(b.MaxY, 52.5);
    EXPECT_DOUBLE_EQ(model.MaxX, 105);

    // Without nodes the stored box is widened again.
    VQXGeometryDataSet empty;
    empty.MinX = 0;
    empty.MaxX = 10;
    empty.MinY = 0;
    empty.MaxY = 20;
    const VQXBounds e = empty.ComputeBounds(0.5);
    EXPECT_DOUBLE_EQ(e.MinX, -5);
    EXPECT_DOUBLE_EQ(e.MaxX, 15);
    EXPECT_DOUBLE_EQ(e.MinY, -10);
    EXPECT_DOUBLE_EQ(e.MaxY, 30);
}

TEST(DisplayModel, NearestBoundaryElementSkipsElementsWithoutANode)
{
    VQXDisplayModel model;
    EXPECT_EQ(model.NearestBoundaryElement(0, 0), nullptr);

    VQXDisplayNode* far = model.AppendNode(MakeNode(1, 100, 0));
    VQXDisplayNode* tieA = model.AppendNode(MakeNode(2, 10, 0));
    VQXDisplayNode* tieB = model.AppendNode(MakeNode(3, -10, 0));
    VQXDisplayBoundaryElement* orphan = model.AppendBoundaryElement(new VQXDisplayBoundaryElement(1, nullptr));
    VQXDisplayBoundaryElement* atFar = model.AppendBoundaryElement(new VQXDisplayBoundaryElement(2, far));
    VQXDisplayBoundaryElement* atA = model.AppendBoundaryElement(new VQXDisplayBoundaryElement(3, tieA));
    model.AppendBoundaryElement(new VQXDisplayBoundaryElement(4, tieB));
    (void)orphan;

    EXPECT_EQ(model.NearestBoundaryElement(90, 0), atFar);
    EXPECT_EQ(model.NearestBoundaryElement(0, 0), atA);  // equal distances: the first in list order

    // A list of orphans alone gives none.
    VQXDisplayModel orphans;
    orphans.AppendBoundaryElement(new VQXDisplayBoundaryElement(1, nullptr));
    EXPECT_EQ(orphans.NearestBoundaryElement(0, 0), nullptr);
}

TEST(DisplayModel, AttachNodeZonesAndNearestNodeZone)
{
    VQXDisplayModel model;
    EXPECT_EQ(model.NearestNodeZone(0, 0), nullptr);

    VQXDisplayNode* n1 = model.AppendNode(MakeNode(1, 0, 0));
    VQXDisplayNode* n2 = model.AppendNode(MakeNode(2, 10, 0));
    VQXDisplayNode* n3 = model.AppendNode(MakeNode(3, 20, 0));
    VQXAtmosphericZone sentinel;
    n1->ZoneNumber = 2;
    n2->ZoneNumber = 0;
    n2->Zone = &sentinel;
    n3->ZoneNumber = 9;
    n3->Zone = &sentinel;

    model.AttachNodeZones();  // no zones: nothing changes
    EXPECT_EQ(n1->Zone, nullptr);
    EXPECT_EQ(n2->Zone, &sentinel);

    auto* z1 = model.AppendZone(new VQXAtmosphericZone);
    z1->Number = 1;
    auto* z2 = model.AppendZone(new VQXAtmosphericZone);
    z2->Number = 2;
    model.AttachNodeZones();
    EXPECT_EQ(n1->Zone, z2);
    EXPECT_EQ(n2->Zone, nullptr);    // zone number below 1
    EXPECT_EQ(n3->Zone, &sentinel);  // no zone has the number: unchanged

    EXPECT_EQ(model.NearestNodeZone(1, 5), z2);
    EXPECT_EQ(model.NearestNodeZone(5, 0), z2);  // n1 and n2 tie: the first wins
    EXPECT_EQ(model.NearestNodeZone(11, 0), nullptr);
}

TEST(DisplayModel, OwnsEverythingItHolds)
{
    // Run under the sanitizers: every object below is freed once, as its own class.
    auto model = std::make_unique<VQXDisplayModel>();
    VQXDisplayNode* a = model->AppendNode(MakeNode(1, 0, 0));
    VQXDisplayNode* b = model->AppendNode(MakeNode(2, 1, 0));
    a->ApplySectionCode(20);
    ASSERT_NE(a->CrossSection, nullptr);
    for (int i = 0; i < 1000; ++i) {
        VQXTimeSeriesEntry entry;
        entry.Time = i;
        b->History.Append(entry);
    }
    auto* element = model->AppendInteriorElement(new VQXDisplayInteriorElement(1, a, b));
    auto* boundary = model->AppendBoundaryElement(new VQXDisplayBoundaryElement(1, a));
    VQXTimeSeries flow;
    AppendFlowEntry(flow, 0, 10, 100);
    AppendFlowEntry(flow, 1, 12, 101);
    boundary->SetFlowSeries(flow);
    boundary->SetWaterQualitySeries(flow);
    auto* junction = model->AppendJunction(new VQXJunctionLink);
    junction->NodeA = a;
    junction->ElementAB = element;
    auto* zone = model->AppendZone(new VQXAtmosphericZone);
    AppendWeatherEntry(zone->Series, 0, 10, 0);
    a->Zone = zone;
    model->AppendEvent(new VQXBridgingEvent);
    model->NodeList.BuildIndex();
    model->ZoneList.BuildIndex();
    EXPECT_EQ(model->FirstJunction(), junction);
    EXPECT_EQ(model->FirstInteriorElement(), element);
    EXPECT_EQ(model->FindNode(2), b);
    model.reset();

    // Through the base class as well, and the conversion's data set with its vector nodes.
    auto set = std::make_unique<VQXGeometryDataSet>();
    set->NodeList.Append(MakeNode(1, 0, 0));
    set->NodeList.Append(new VQXHECRASNode);
    set->InteriorList.Append(new VQXDisplayInteriorElement(1, nullptr, nullptr));
    set->BoundaryList.Append(new VQXDisplayBoundaryElement(1, nullptr));
    set.reset();

    auto hecras = std::make_unique<VQXHECRASDataSet>();
    auto node = std::make_unique<VQXHECRASNode>();
    node->CutLine.push_back({1, 2});
    node->CrossSection = std::make_unique<VQXCrossSection>();
    node->CrossSection->SetDefaultShape(1, 10);
    hecras->NodeVector.push_back(std::move(node));
    hecras->InteriorVector.push_back(std::make_unique<VQXInteriorElement>(1, nullptr, nullptr));
    hecras->BoundaryVector.push_back(std::make_unique<VQXBoundaryElement>(1, nullptr));
    hecras.reset();
}
