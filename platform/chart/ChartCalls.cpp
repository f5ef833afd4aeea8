#include "ChartCalls.h"

#include "ChartWindow.h"

#include <span>

namespace {

// The number a cell pointer holds for a property of the given kind.
double NumberAt(ChartValueKind kind, const void* value)
{
    switch (kind) {
    case ChartValueKind::Double:
        return *static_cast<const double*>(value);
    case ChartValueKind::Float:
        return *static_cast<const float*>(value);
    default:
        return *static_cast<const int*>(value);
    }
}

int Result(bool done) { return done ? 1 : 0; }

}  // namespace

ChartHandle ChartCreate(int objectType, unsigned style, const QRect& rect, QWidget* parent, int controlId)
{
    if (objectType != ChartObjectGraph) return nullptr;
    auto* chart = new ChartWindow(parent, controlId);
    chart->setGeometry(rect);
    chart->Render();
    if (style & ChartStyleVisible) chart->show();
    return chart;
}

int ChartDestroy(ChartHandle chart)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    if (!w) return 0;
    delete w;
    return 1;
}

int ChartSetInt(ChartHandle chart, int property, int value)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    return Result(w && w->Properties().SetNumber(property, value));
}

int ChartSetText(ChartHandle chart, int property, const char* text)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    return Result(w && w->Properties().SetText(property, text ? text : ""));
}

int ChartSetArray(ChartHandle chart, int property, const void* data, int count)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    if (!w || !data || count < 0) return 0;
    if (count == 0) {
        const ChartPropertyInfo* info = FindChartProperty(property);
        const bool isFloat = info && info->Kind == ChartValueKind::Float;
        return Result(w->Properties().SetNumber(
            property, NumberAt(isFloat ? ChartValueKind::Float : ChartValueKind::Double, data)));
    }
    return Result(w->Properties().SetNumbers(property, std::span(static_cast<const int*>(data), count)));
}

int ChartSetCell(ChartHandle chart, int property, int index, const void* value)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    const ChartPropertyInfo* info = FindChartProperty(property);
    if (!w || !info || !value) return 0;
    if (info->Kind == ChartValueKind::Text)
        return Result(w->Properties().SetTextCell(property, index, static_cast<const char*>(value)));
    return Result(w->Properties().SetNumberCell(property, index, NumberAt(info->Kind, value)));
}

int ChartSetPointCell(ChartHandle chart, int property, int subset, int point, const void* value)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    if (!w || !value) return 0;
    return Result(w->Properties().SetPointCell(property, subset, point, *static_cast<const double*>(value)));
}

int ChartSetCellRange(ChartHandle chart, int property, int start, int count, const void* values, int /*reserved*/)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    if (!w || !values || count < 0) return 0;
    return Result(w->Properties().SetNumberCells(property, start, std::span(static_cast<const int*>(values), count)));
}

int ChartReinitialize(ChartHandle chart)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    if (!w) return 0;
    w->Reinitialize();
    return 1;
}

int ChartResetImage(ChartHandle chart, int /*reserved1*/, int /*reserved2*/)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    if (!w) return 0;
    w->Render();
    return 1;
}

std::shared_ptr<const ChartScene> ChartSceneOf(ChartHandle chart)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    return w ? w->Scene() : nullptr;
}

QImage ChartImageOf(ChartHandle chart)
{
    ChartWindow* w = ChartWindow::FromHandle(chart);
    return w ? w->Image() : QImage();
}
