// The plan view's picture: ground, map image, the elements coloured by the plot variable,
// titles, elements, flow arrows, nodes, boundary elements, junctions, labels, legend and scale
// bar, in that order. Logical units are twips with y upward; sizes, pens and fonts follow the
// world window, so they change with the zoom.
#include "views/PlanView.h"

#include "app/VasquilDoc.h"
#include "datalib/DisplayModel.h"
#include "datalib/ModelState.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using VQXDisplayLib::VQXDisplayBoundaryElement;
using VQXDisplayLib::VQXDisplayInteriorElement;
using VQXDisplayLib::VQXDisplayModel;
using VQXDisplayLib::VQXDisplayNode;
using VQXDisplayLib::VQXJunctionLink;
using VQXGeometryDataLib::VQXElement;

namespace {

constexpr COLORREF GroundColour = RGB(240, 240, 240);  // without a model
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);

// The colouring's ten classes, lowest values first.
constexpr int ClassCount = 10;
constexpr std::array<COLORREF, ClassCount> BlueToRed = {
    RGB(0, 0, 180),   RGB(0, 130, 255), RGB(0, 255, 255), RGB(0, 255, 130), RGB(0, 180, 0),
    RGB(130, 255, 0), RGB(255, 255, 0), RGB(255, 130, 0), RGB(180, 0, 0),   RGB(130, 0, 0),
};
constexpr std::array<COLORREF, ClassCount> IcePalette = {
    RGB(0, 115, 130), RGB(0, 155, 155),  RGB(0, 195, 195),   RGB(0, 215, 215),   RGB(0, 235, 235),
    RGB(0, 255, 255), RGB(95, 255, 255), RGB(135, 255, 255), RGB(175, 255, 255), RGB(215, 255, 255),
};
// The plot variables of the ice palette.
constexpr VQXDisplayLib::VQXPlotVariableId IceVariables[] = {
    VQXDisplayLib::PlotSolidIceThickness,       VQXDisplayLib::PlotIceVelocity,
    VQXDisplayLib::PlotSurfaceIceConcentration, VQXDisplayLib::PlotSuspendedFrazilConcentration,
    VQXDisplayLib::PlotAnchorIceThickness,      VQXDisplayLib::PlotFrazilSlushThickness,
    VQXDisplayLib::PlotBorderIceFraction,       VQXDisplayLib::PlotBorderIceWidth,
};
// An ice value below this at either end of an element: no ice there, and no colour line.
constexpr double NoIce = 1e-4;

bool UsesIcePalette(int variable)
{
    return std::find(std::begin(IceVariables), std::end(IceVariables), variable) != std::end(IceVariables);
}

// Object colours.
constexpr COLORREF NodeColour = RGB(192, 192, 192);
constexpr COLORREF JunctionColour = RGB(255, 255, 0);
constexpr COLORREF PositiveFlowColour = RGB(0, 180, 0);
constexpr COLORREF NegativeFlowColour = RGB(180, 0, 0);
constexpr COLORREF InflowColour = RGB(0, 0, 180);
constexpr COLORREF LateralColour = RGB(255, 130, 0);
constexpr COLORREF OutflowColour = RGB(180, 0, 0);
// Element lines over a map image: white, or light grey under a colouring.
constexpr COLORREF OverImageColour = White;
constexpr COLORREF OverImageColouredColour = RGB(200, 200, 200);

COLORREF BoundaryColour(int kind)
{
    switch (kind) {
    case 0: return InflowColour;
    case 1: return LateralColour;
    case 2:
    case 3: return OutflowColour;
    default: return White;
    }
}

// Fonts: "Arial", semi-bold, variable pitch of the Swiss family.
constexpr const char* FontFace = "Arial";
constexpr int FontWeight = 600;
constexpr BYTE FontPitchAndFamily = 0x20;
constexpr int LegendFontHeight = 280;
constexpr int LabelFontHeight = 240;
constexpr int TitleFontHeight = 480;
// A title's characters are taken as this wide (twips) to place it.
constexpr int TitleCharacterWidth = 200;

// Beyond this many device pixels per image pixel the map image is left out: it bounds the
// cost of stretching it.
constexpr double LargestMagnification = 7.5;

// Flow arrows: the triangle's back corners, at 150 and 210 degrees (pi taken as 3.14159) of
// the element's direction; a third of the way out and back from the tip.
const double ArrowCos1 = std::cos(2.6179916666666667) / 3 + 1;
const double ArrowSin1 = std::sin(2.6179916666666667) / 3;
const double ArrowCos2 = std::cos(3.665188333333333) / 3 + 1;
const double ArrowSin2 = std::sin(3.665188333333333) / 3;
// Positive flow: the tip three quarters of the way to node two; negative: a quarter.
constexpr double PositiveArrowAt = 0.75;
constexpr double NegativeArrowAt = 0.25;

// Labels sit this far (twips) beyond an object's radius, up and to the right.
constexpr int LabelGap = 20;

// The legend, in twips from the margin m: its frame, the colour scale's block and rows.
constexpr int LegendWidth = 4000;
constexpr int LegendBaseHeight = 300;
constexpr int LegendParameterHeight = 3900;
constexpr int LegendRowHeight = 400;
constexpr int LegendScaleBarHeight = 900;
constexpr int LegendFirstRow = 200;
constexpr int SwatchStep = 300;

// Sizes of the objects and pens (twips) as the window gives them, each computed in double and
// clamped before it becomes an int.
struct Sizes {
    int nodeRadius;
    int objectRadius;  // boundary elements and junctions
    int labelFontHeight;
    int colourPenWidth;
    int elementPenWidth;
    double arrowFactor;
};

Sizes SizesOf(double scale, double extent)
{
    const auto clamp = [](double v, double low, double high) { return int(std::clamp(v, low, high)); };
    constexpr double Largest = 1e6;
    Sizes s;
    s.nodeRadius = clamp(std::floor(0.75 / extent) * 50.0, 50.0, Largest);
    s.objectRadius = clamp(std::floor(1.5 / extent) * 100.0, 100.0, Largest);
    const double perScale = std::floor(std::min(10.0 / scale, Largest));
    s.labelFontHeight = clamp(perScale * 15.0, 15.0, 25.0) * 20;
    s.colourPenWidth = clamp(perScale * 150.0, 150.0, 450.0);
    s.elementPenWidth = clamp(perScale * 25.0, 25.0, 100.0);
    s.arrowFactor = std::max(0.8, scale);
    return s;
}

void MakeFont(CFont& font, int height)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = FontWeight;
    lf.lfPitchAndFamily = FontPitchAndFamily;
    std::strncpy(lf.lfFaceName, FontFace, LF_FACESIZE - 1);
    font.CreateFontIndirect(&lf);
}

template <class... Args> std::string Format(const char* format, Args... args)
{
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Lines of one pen gathered to be drawn with one call.
class SegmentBatch
{
public:
    void Add(CPoint from, CPoint to)
    {
        points_.push_back(from);
        points_.push_back(to);
    }
    // Draws the lines gathered with the context's pen and forgets them.
    void Draw(CDC* pDC)
    {
        if (points_.empty()) return;
        counts_.assign(points_.size() / 2, 2);
        pDC->PolyPolyline(points_.data(), counts_.data(), int(counts_.size()));
        points_.clear();
    }

private:
    std::vector<CPoint> points_;
    std::vector<DWORD> counts_;
};

const VQXDisplayNode* DisplayNode(const VQXGeometryDataLib::VQXNode* node)
{
    return static_cast<const VQXDisplayNode*>(node);
}

}  // namespace

void CPlanView::ComputeParameterRange(int variable)
{
    ParameterMin = 1e11;
    ParameterMax = -1e11;
    CVasquilDoc* doc = GetDocument();
    if (!doc || !doc->DisplayModel) return;
    VQXDisplayModel& model = *doc->DisplayModel;
    for (const VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
        const double value = node->GetPlotValue(variable, model.UseFluxDischarge);
        if (!std::isfinite(value)) continue;
        ParameterMin = std::min(ParameterMin, value);
        ParameterMax = std::max(ParameterMax, value);
    }
}

void CPlanView::DrawPlan(CDC* pDC)
{
    CVasquilDoc* doc = GetDocument();
    if (!doc) return;
    if (!doc->DisplayModel) {
        pDC->FillSolidRect(DrawRect, GroundColour);
        return;
    }
    pDC->FillSolidRect(DrawRect, White);
    if (doc->PlanViewReset) {
        ResetOptions();
        doc->PlanViewReset = 0;
    }
    const int m = DrawMargin;
    if (!FitWindowToArea(DrawRect.Width(), DrawRect.Height(), m, m, m, m)) return;

    VQXDisplayModel& model = *doc->DisplayModel;
    const PlanViewSettings& o = Options;
    const Sizes size = SizesOf(Scale, XMax - XMin);
    const int r = size.nodeRadius;
    const int h = size.objectRadius;

    CFont labelFont, legendFont, smallFont, titleFont;
    MakeFont(labelFont, size.labelFontHeight);
    MakeFont(legendFont, LegendFontHeight);
    MakeFont(smallFont, LabelFontHeight);
    MakeFont(titleFont, TitleFontHeight);
    CGdiObject* oldPen = pDC->SelectStockObject(DC_PEN);
    CGdiObject* oldBrush = pDC->SelectStockObject(DC_BRUSH);
    CFont* oldFont = pDC->SelectObject(&labelFont);
    pDC->SetDCPenColor(Black);

    // The map image, where it is not magnified beyond the bound.
    bool imageDrawn = false;
    if (o.ShowMapImage == 1 && !MapBitmap.IsNull()) imageDrawn = DrawMapImage(pDC);

    // The colouring: each element's mean value in its class's colour.
    if (o.ShowParameter == 1) {
        ComputeParameterRange(o.PlotVariable);
        const double w = (ParameterMax - ParameterMin) / ClassCount;
        const bool ice = UsesIcePalette(o.PlotVariable);
        const std::array<COLORREF, ClassCount>& palette = ice ? IcePalette : BlueToRed;
        std::array<CPen, ClassCount> pens;
        for (int i = 0; i < ClassCount; ++i)
            pens[std::size_t(i)].CreatePen(PS_SOLID, size.colourPenWidth, palette[std::size_t(i)]);
        // Runs of elements of one class go to the context at once, in list order.
        SegmentBatch batch;
        int batchClass = -1;
        for (const VQXDisplayInteriorElement* e = model.FirstInteriorElement(); e; e = model.NextInteriorElement()) {
            const VQXDisplayNode* one = DisplayNode(e->NodeOne());
            const VQXDisplayNode* two = DisplayNode(e->NodeTwo());
            if (!one || !two || !IsInWindow(*one) || !IsInWindow(*two) || !InReach(*one) || !InReach(*two)) continue;
            const double v1 = one->GetPlotValue(o.PlotVariable, model.UseFluxDischarge);
            const double v2 = two->GetPlotValue(o.PlotVariable, model.UseFluxDischarge);
            const double value = (v2 + v1) / 2.0;
            if (!std::isfinite(value)) continue;
            if (ice && (v1 < NoIce || v2 < NoIce)) continue;
            int cls = 0;
            if (w > 0.0) cls = int(std::clamp(std::floor((value - ParameterMin) / w), 0.0, double(ClassCount - 1)));
            if (cls != batchClass) {
                batch.Draw(pDC);
                pDC->SelectObject(&pens[std::size_t(cls)]);
                batchClass = cls;
            }
            batch.Add(WorldToLogical(*one), WorldToLogical(*two));
        }
        batch.Draw(pDC);
        pDC->SelectStockObject(DC_PEN);
    }

    // Titles: the reach's name in the middle, the clock at the right.
    if (o.TitleReachName == 1) {
        pDC->SelectObject(&titleFont);
        const int length = int(o.ReachName.size());
        pDC->TextOut((DrawRect.left + DrawRect.right) / 2 - (length / 2) * TitleCharacterWidth, -m, o.ReachName);
    }
    if ((o.TitleModelTime == 1 || o.TitleCalendar == 1) && doc->State) {
        pDC->SelectObject(&titleFont);
        doc->State->FormatClockText(o.TitleModelTime, o.TitleCalendar);
        const std::string clock = doc->State->ClockText;
        pDC->TextOut(DrawRect.right - int(clock.size()) * TitleCharacterWidth, -m, clock);
    }

    // Elements.
    if (o.ShowElements == 1) {
        COLORREF colour = Black;
        if (imageDrawn) colour = o.ShowParameter == 0 ? OverImageColour : OverImageColouredColour;
        CPen pen(PS_SOLID, size.elementPenWidth, colour);
        pDC->SelectObject(&pen);
        SegmentBatch batch;
        for (const VQXDisplayInteriorElement* e = model.FirstInteriorElement(); e; e = model.NextInteriorElement()) {
            const VQXDisplayNode* one = DisplayNode(e->NodeOne());
            const VQXDisplayNode* two = DisplayNode(e->NodeTwo());
            if (!one || !two || !IsInWindow(*one) || !IsInWindow(*two) || !InReach(*one) || !InReach(*two)) continue;
            batch.Add(WorldToLogical(*one), WorldToLogical(*two));
        }
        batch.Draw(pDC);
        pDC->SelectStockObject(DC_PEN);
    }

    // Flow arrows: on every k-th node's element, and on each junction's three branches.
    if (o.ShowFlowArrows == 1) {
        const double f = size.arrowFactor;
        const int k = f > 10 ? 10 : f > 5 ? 5 : 3;
        const auto arrow = [&](const VQXElement* element, const VQXDisplayNode* deciding) {
            if (!element || !deciding) return;
            const VQXDisplayNode* one = DisplayNode(element->NodeOne());
            const VQXDisplayNode* two = DisplayNode(element->NodeTwo());
            if (!one || !two || !IsInWindow(*one) || !IsInWindow(*two) || !InReach(*deciding) ||
                deciding->Number % k != 0)
                return;
            const bool positive = deciding->FluxDischarge > 0.0;
            VQXDisplayNode tip;
            element->PlaceNodeAlong(positive ? PositiveArrowAt : NegativeArrowAt, &tip);
            const double sign = positive ? 1.0 : -1.0;
            const double vx = sign * element->DeltaX() * f;
            const double vy = sign * element->DeltaY() * f;
            if (!IsInWindow(tip)) return;
            const CPoint corners[3] = {
                WorldToLogical(tip),
                WorldToLogical(tip.Easting + vx * ArrowCos1 + vy * ArrowSin1,
                               tip.Northing - vx * ArrowSin1 + vy * ArrowCos1),
                WorldToLogical(tip.Easting + vx * ArrowCos2 + vy * ArrowSin2,
                               tip.Northing - vx * ArrowSin2 + vy * ArrowCos2),
            };
            pDC->SetDCBrushColor(positive ? PositiveFlowColour : NegativeFlowColour);
            pDC->Polygon(corners, 3);
        };
        for (const VQXDisplayInteriorElement* e = model.FirstInteriorElement(); e; e = model.NextInteriorElement()) {
            if (e->Kind == 0) arrow(e, DisplayNode(e->NodeTwo()));
        }
        for (const VQXJunctionLink* j = model.FirstJunction(); j; j = model.NextJunction()) {
            arrow(j->ElementAC, j->NodeC);
            arrow(j->ElementAB, j->NodeB);
            arrow(j->ElementAD, j->NodeD);
        }
        pDC->SetDCBrushColor(Black);
    }

    const auto circle = [pDC](CPoint p, int radius) {
        pDC->Ellipse(p.x - radius, p.y + radius, p.x + radius, p.y - radius);
    };
    if (o.ShowNodes == 1) {
        pDC->SetDCBrushColor(NodeColour);
        for (const VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
            if (IsInWindow(*node) && InReach(*node)) circle(WorldToLogical(*node), r);
        }
    }
    if (o.ShowBoundaryElements == 1) {
        for (const VQXDisplayBoundaryElement* b = model.FirstBoundaryElement(); b; b = model.NextBoundaryElement()) {
            const VQXDisplayNode* node = b->Node();
            if (!node || !IsInWindow(*node) || !InReach(*node)) continue;
            pDC->SetDCBrushColor(BoundaryColour(b->Kind));
            circle(WorldToLogical(*node), h);
        }
    }
    if (o.ShowJunctionNodes == 1) {
        pDC->SetDCBrushColor(JunctionColour);
        for (const VQXJunctionLink* j = model.FirstJunction(); j; j = model.NextJunction()) {
            if (j->NodeA && IsInWindow(*j->NodeA) && InReach(*j->NodeA)) circle(WorldToLogical(*j->NodeA), h);
        }
    }

    // Labels, up and to the right of their objects.
    pDC->SelectObject(&smallFont);
    const auto label = [pDC](CPoint p, int radius, const std::string& text) {
        pDC->TextOut(p.x + radius + LabelGap, p.y + radius + LabelGap, text);
    };
    const bool nodeLabels = (o.ShowNodeNumbers == 1 && o.ShowNodes == 1) ||
                            (o.ShowNodeStationing == 1 && o.ShowNodes == 1) || o.ShowReachNumbers == 1;
    if (nodeLabels) {
        for (const VQXDisplayNode* node = model.FirstNode(); node; node = model.NextNode()) {
            if (!IsInWindow(*node) || !InReach(*node)) continue;
            const CPoint p = WorldToLogical(*node);
            if (o.ShowNodeNumbers == 1 && o.ShowNodes == 1) label(p, r, Format("%d", node->Number));
            if (o.ShowNodeStationing == 1 && o.ShowNodes == 1) label(p, r, Format("%.3f", node->Station));
            if (o.ShowReachNumbers == 1) label(p, r, Format("%d", node->Reach));
        }
    }
    if (o.ShowElementNumbers == 1 && o.ShowElements == 1) {
        for (const VQXDisplayInteriorElement* e = model.FirstInteriorElement(); e; e = model.NextInteriorElement()) {
            const VQXDisplayNode* one = DisplayNode(e->NodeOne());
            const VQXDisplayNode* two = DisplayNode(e->NodeTwo());
            if (!one || !two || !(InReach(*one) || InReach(*two))) continue;
            VQXDisplayNode middle;
            e->PlaceNodeAlong(0.5, &middle);
            if (IsInWindow(middle)) label(WorldToLogical(middle), r, Format("%d", e->Number));
        }
    }
    if (o.ShowBoundaryElementNumbers == 1 && o.ShowBoundaryElements == 1) {
        for (const VQXDisplayBoundaryElement* b = model.FirstBoundaryElement(); b; b = model.NextBoundaryElement()) {
            const VQXDisplayNode* node = b->Node();
            if (node && IsInWindow(*node) && InReach(*node)) label(WorldToLogical(*node), h, Format("%d", b->Number));
        }
    }
    if (o.ShowJunctionNumbers == 1 && o.ShowJunctionNodes == 1) {
        for (const VQXJunctionLink* j = model.FirstJunction(); j; j = model.NextJunction()) {
            const VQXDisplayNode* nodes[4] = {j->NodeA, j->NodeB, j->NodeC, j->NodeD};
            const char* letters[4] = {"     A", "B", "C", "D"};
            for (int i = 0; i < 4; ++i) {
                if (nodes[i] && IsInWindow(*nodes[i]) && InReach(*nodes[i]))
                    label(WorldToLogical(*nodes[i]), h, letters[i]);
            }
            // The number over the blanks before the A.
            if (j->NodeA && IsInWindow(*j->NodeA) && InReach(*j->NodeA))
                label(WorldToLogical(*j->NodeA), h, Format("%d", j->Number));
        }
    }

    // The legend and the scale bar below it.
    int offset = LegendFirstRow;
    if (o.ShowLegend == 1) offset = DrawLegend(pDC, labelFont, legendFont);
    if (o.ShowScaleBar == 1) DrawScaleBar(pDC, legendFont, offset);

    pDC->SelectObject(oldFont);
    pDC->SelectObject(oldBrush);
    pDC->SelectObject(oldPen);
}

bool CPlanView::DrawMapImage(CDC* pDC)
{
    if (MapWidth <= 0 || MapHeight <= 0) return false;
    // Device pixels of a logical unit, from the context's own mapping.
    CPoint probe[2] = {CPoint(0, 0), CPoint(TwipsPerInch, -TwipsPerInch)};
    pDC->LPtoDP(probe, 2);
    const double kx = double(probe[1].x - probe[0].x) / TwipsPerInch;
    const double ky = double(probe[1].y - probe[0].y) / -TwipsPerInch;
    const auto deviceX = [&](double x) { return probe[0].x + (x - OriginX) / Scale * kx; };
    const auto deviceY = [&](double y) { return probe[0].y + (y - OriginY) / Scale * ky; };
    const double left = deviceX(ImageUpperLeft.Easting);
    const double top = deviceY(ImageUpperLeft.Northing);
    // Device pixels per image pixel on each axis (negative where the image runs backwards).
    const double sx = (deviceX(ImageLowerRight.Easting) - left) / MapWidth;
    const double sy = (deviceY(ImageLowerRight.Northing) - top) / MapHeight;
    if (!(std::abs(sx) < LargestMagnification && std::abs(sy) < LargestMagnification) || sx == 0.0 || sy == 0.0)
        return false;

    // The image pixels that reach into the drawing area, whole pixels only.
    CRect area = DrawRect;
    pDC->LPtoDP(&area);
    area.NormalizeRect();
    const auto visible = [](double start, double step, int low, int high, int pixels, int* first, int* last) {
        double a = (low - start) / step;
        double b = (high - start) / step;
        if (a > b) std::swap(a, b);
        a = std::max(a, 0.0);
        b = std::min(b, double(pixels));
        if (!(a < b)) return false;
        *first = int(std::floor(a));
        *last = int(std::ceil(b));
        return true;
    };
    int u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    if (!visible(left, sx, area.left, area.right, MapWidth, &u0, &u1) ||
        !visible(top, sy, area.top, area.bottom, MapHeight, &v0, &v1))
        return false;
    const int x0 = int(std::lround(left + u0 * sx));
    const int x1 = int(std::lround(left + u1 * sx));
    const int y0 = int(std::lround(top + v0 * sy));
    const int y1 = int(std::lround(top + v1 * sy));
    if (x0 == x1 || y0 == y1) return false;
    const int mapMode = pDC->SetMapMode(MM_TEXT);
    const int stretchMode = pDC->SetStretchBltMode(COLORONCOLOR);
    pDC->StretchBlt(x0, y0, x1 - x0, y1 - y0, MapBitmap, u0, v0, u1 - u0, v1 - v0, SRCCOPY);
    pDC->SetStretchBltMode(stretchMode);
    pDC->SetMapMode(mapMode);
    return true;
}

int CPlanView::DrawLegend(CDC* pDC, CFont& labelFont, CFont& legendFont)
{
    const CVasquilDoc* doc = GetDocument();
    const PlanViewSettings& o = Options;
    const int m = DrawMargin;
    const int height =
        (o.ShowParameter == 1 ? LegendParameterHeight : LegendBaseHeight) +
        LegendRowHeight * (o.ShowNodes + 3 * o.ShowBoundaryElements + o.ShowJunctionNodes + 2 * o.ShowFlowArrows) +
        LegendScaleBarHeight * o.ShowScaleBar;
    const CPoint frame[4] = {CPoint(m - 20, 20 - m), CPoint(m + LegendWidth, 20 - m),
                             CPoint(m + LegendWidth, -(m + height)), CPoint(m - 20, -(m + height))};
    pDC->SetDCBrushColor(White);
    pDC->Polygon(frame, 4);

    int offset = LegendFirstRow;
    if (o.ShowParameter == 1) {
        char name[128] = "";
        VQXDisplayNode::FormatPlotVariableLabel(o.PlotVariable, name, doc && doc->State ? doc->State->UnitSystem : 1);
        pDC->SelectObject(&legendFont);
        pDC->TextOut(m + 100, -m - 100, name);
        const std::array<COLORREF, ClassCount>& palette = UsesIcePalette(o.PlotVariable) ? IcePalette : BlueToRed;
        pDC->SelectStockObject(NULL_PEN);
        for (int i = ClassCount - 1; i >= 0; --i) {
            pDC->SetDCBrushColor(palette[std::size_t(i)]);
            pDC->Rectangle(m + 100, SwatchStep * i - m - 3600, m + 700, SwatchStep * i - m - 3300);
        }
        pDC->SelectStockObject(DC_PEN);
        const double w = (ParameterMax - ParameterMin) / ClassCount;
        pDC->SelectObject(&labelFont);
        pDC->TextOut(m + 800, -m - 3450, Format("%.2f", ParameterMin));
        for (int i = 1; i < ClassCount; i += 2)
            pDC->TextOut(m + 800, SwatchStep * i - m - 3150, Format("%.2f", ParameterMin + (i + 1) * w));
        offset = LegendParameterHeight;
    }

    pDC->SelectObject(&legendFont);
    const auto row = [&](COLORREF colour, const char* text, bool arrow) {
        const int y = -240 - m - offset;
        pDC->SetDCBrushColor(colour);
        if (arrow) {
            const CPoint triangle[3] = {CPoint(m + 450, y), CPoint(m + 150, y + 90), CPoint(m + 150, y - 90)};
            pDC->Polygon(triangle, 3);
            pDC->TextOut(m + 700, y + 180, text);
        } else {
            pDC->Ellipse(m + 180, y - 120, m + 420, y + 120);
            pDC->TextOut(m + 650, y + 180, text);
        }
        offset += LegendRowHeight;
    };
    if (o.ShowNodes == 1) row(NodeColour, "Node", false);
    if (o.ShowBoundaryElements == 1) {
        row(InflowColour, "Inflow Boundary", false);
        row(LateralColour, "Lateral Boundary", false);
        row(OutflowColour, "Outflow Boundary", false);
    }
    if (o.ShowJunctionNodes == 1) row(JunctionColour, "Junction", false);
    if (o.ShowFlowArrows == 1) {
        row(PositiveFlowColour, "Positive Flow", true);
        row(NegativeFlowColour, "Negative Flow", true);
    }
    pDC->SetDCBrushColor(Black);
    return offset;
}

void CPlanView::DrawScaleBar(CDC* pDC, CFont& legendFont, int offset)
{
    const CVasquilDoc* doc = GetDocument();
    const int m = DrawMargin;
    const int length = m + 1730;
    const int x0 = m + 350;
    const int y0 = -520 - m - offset;
    pDC->SelectObject(&legendFont);
    pDC->MoveTo(x0, y0);
    pDC->LineTo(x0 + length, y0);
    for (const int x : {x0, x0 + length / 2, x0 + length}) {
        pDC->MoveTo(x, y0);
        pDC->LineTo(x, y0 + 80);
    }
    for (int k = 0; k < 10; ++k) {
        pDC->MoveTo(x0 + k * length / 10, y0);
        pDC->LineTo(x0 + k * length / 10, y0 + 40);
    }
    pDC->TextOut(m + 300, -100 - m - offset, "Distance");
    const bool metric = !doc || !doc->DisplayModel || doc->DisplayModel->UnitSystem == 1;
    pDC->TextOut(m + 300, -540 - m - offset, Format("%.1f %s", length * Scale, metric ? "m" : "ft"));
}
