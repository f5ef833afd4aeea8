// The plan view's tests: the program's frame with the Plan tab in front, a display model built
// by the test (nodes, elements, boundary elements, junctions and zones at chosen places and
// values), and its picture read back from the view's own surface at world points.
#pragma once

#include "ViewsTestSupport.h"

#include "platform/Cursor.h"
#include "platform/WindowSurface.h"
#include "views/PlanView.h"

#include <QImage>

#include <cmath>
#include <memory>
#include <vector>

namespace plan_test {

using VQXDisplayLib::VQXAtmosphericZone;
using VQXDisplayLib::VQXDisplayBoundaryElement;
using VQXDisplayLib::VQXDisplayInteriorElement;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;
using VQXDisplayLib::VQXJunctionLink;

struct NodeSpec
{
    int number;
    double x, y;
    double stage = 0.0;
    int reach = 1;
    double flux = 1.0;  // Qflux
};
struct ElementSpec
{
    int number;
    int one, two;  // node numbers
    int kind = 0;  // 0 ordinary, 1 AC, 2 AB, 3 AD
};
struct BoundarySpec
{
    int number;
    int node;
    int kind;
};
struct JunctionSpec
{
    int number;
    int a, b, c, d;              // node numbers, 0 for none
    int ac = 0, ab = 0, ad = 0;  // element numbers, 0 for none
};

// A display model of the nodes, elements, boundary elements and junctions given.
inline std::unique_ptr<VQXDisplayModel> MakeModel(const std::vector<NodeSpec>& nodes, const std::vector<ElementSpec>& elements,
                                                  const std::vector<BoundarySpec>& boundaries = {},
                                                  const std::vector<JunctionSpec>& junctions = {}, int units = 1)
{
    auto model = std::make_unique<VQXDisplayModel>();
    model->UnitSystem = units;
    const auto node = [&model](int number) { return number ? model->FindNode(number) : nullptr; };
    for (const NodeSpec& n : nodes) {
        auto* d = new VQXDisplayNode();
        d->Number = n.number;
        d->Easting = n.x;
        d->Northing = n.y;
        d->Stage = n.stage;
        d->Reach = n.reach;
        d->FluxDischarge = n.flux;
        model->AppendNode(d);
    }
    std::vector<VQXDisplayInteriorElement*> made;
    for (const ElementSpec& e : elements) {
        auto* d = new VQXDisplayInteriorElement(e.number, node(e.one), node(e.two));
        d->Kind = e.kind;
        made.push_back(model->AppendInteriorElement(d));
    }
    const auto element = [&](int number) -> VQXDisplayInteriorElement* {
        for (VQXDisplayInteriorElement* e : made) {
            if (e->Number == number) return e;
        }
        return nullptr;
    };
    for (const BoundarySpec& b : boundaries) {
        auto* d = new VQXDisplayBoundaryElement(b.number, node(b.node));
        d->Kind = b.kind;
        model->AppendBoundaryElement(d);
    }
    for (const JunctionSpec& j : junctions) {
        auto* d = new VQXJunctionLink();
        d->Number = j.number;
        d->NodeA = node(j.a);
        d->NodeB = node(j.b);
        d->NodeC = node(j.c);
        d->NodeD = node(j.d);
        d->ElementAC = element(j.ac);
        d->ElementAB = element(j.ab);
        d->ElementAD = element(j.ad);
        model->AppendJunction(d);
    }
    model->CollectReachNumbers();
    return model;
}

// nodes nodes 1000 m apart along y = 0, from x = 0, joined by elements 1 .. nodes - 1.
inline std::unique_ptr<VQXDisplayModel> Chain(const std::vector<double>& stages)
{
    std::vector<NodeSpec> nodes;
    std::vector<ElementSpec> elements;
    for (std::size_t i = 0; i < stages.size(); ++i) {
        nodes.push_back({int(i + 1), 1000.0 * double(i), 0.0, stages[i]});
        if (i > 0) elements.push_back({int(i), int(i), int(i + 1)});
    }
    return MakeModel(nodes, elements);
}

// The colours the tests expect (0xRRGGBB).
constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Black = 0x000000;
constexpr QRgb Ground = 0xF0F0F0;
constexpr QRgb BlueToRed[10] = {0x0000B4, 0x0082FF, 0x00FFFF, 0x00FF82, 0x00B400,
                                0x82FF00, 0xFFFF00, 0xFF8200, 0xB40000, 0x820000};
constexpr QRgb IcePalette[10] = {0x007382, 0x009B9B, 0x00C3C3, 0x00D7D7, 0x00EBEB,
                                 0x00FFFF, 0x5FFFFF, 0x87FFFF, 0xAFFFFF, 0xD7FFFF};

class PlanViewTest : public views_test::ViewsTest
{
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        Tabs().SetActiveTab(CVasquilView::PlanTab);
        Frame()->runDialogsExist = true;  // the frame's Idle rule holds: the edit modes are enabled
        ProcessEvents();
        ASSERT_EQ(Frame()->GetActiveView(), Plan());
    }
    void TearDown() override
    {
        // A model the test built (no model state) goes before the views it is drawn in.
        if (Doc() && !Doc()->State) Doc()->DisplayModel.reset();
        ViewsTest::TearDown();
    }
    CPlanView* Plan() const { return static_cast<CPlanView*>(Tabs().GetTabWnd(CVasquilView::PlanTab)); }

    // The model becomes the document's; the view resets to its default options and fits it at
    // its next paint, after which options may change what it shows.
    void Show(std::unique_ptr<VQXDisplayModel> model)
    {
        Doc()->DisplayModel = std::move(model);
        Doc()->PlanViewReset = 1;
        Paint();
    }
    // The view painted now.
    void Paint()
    {
        Plan()->Invalidate();
        Plan()->UpdateWindow();
        ProcessEvents();
    }
    const QImage& Picture() const { return Plan()->Surface()->image; }
    // The device pixel of a logical point, as the view's paints map it.
    QPoint Device(CPoint logical) const
    {
        CDC dc(static_cast<QPaintDevice*>(nullptr));
        Plan()->OnPrepareDC(&dc);
        dc.LPtoDP(&logical);
        return QPoint(logical.x, logical.y);
    }
    QRgb PixelAtLogical(CPoint logical) const
    {
        const QPoint p = Device(logical);
        if (!Picture().rect().contains(p)) {
            ADD_FAILURE() << "logical " << logical.x << "," << logical.y << " lies outside the view";
            return 0xFF000000;
        }
        return Picture().pixel(p) & 0xFFFFFF;
    }
    QRgb PixelAt(double x, double y) const { return PixelAtLogical(Plan()->WorldToLogical(x, y)); }
    // The twips beside an element line where only its colouring shows, with the pens' widths
    // the window gives.
    double Beside() const
    {
        const double perScale = std::floor(std::min(10.0 / Plan()->Scale, 1e6));
        return (std::clamp(perScale * 150.0, 150.0, 450.0) + std::clamp(perScale * 25.0, 25.0, 100.0)) / 4.0;
    }
    // The pixel beside the middle of the horizontal line from (x0, y) to (x1, y).
    QRgb BesideMiddle(double x0, double x1, double y) const
    {
        const CPoint middle = Plan()->WorldToLogical((x0 + x1) / 2, y);
        return PixelAtLogical(CPoint(middle.x, middle.y + int(Beside())));
    }
    // A client point of a world point, for the mouse.
    QPoint Client(double x, double y) const { return Device(Plan()->WorldToLogical(x, y)); }
    // Sets the options through the view (as the dialog's OK does) and paints.
    template <class Change>
    void Options(Change change)
    {
        change(Plan()->Options);
        Paint();
    }
};

}  // namespace plan_test
