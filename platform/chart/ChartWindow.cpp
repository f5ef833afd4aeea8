#include "ChartWindow.h"

#include "ChartRenderer.h"

#include <QPaintEvent>
#include <QPainter>
#include <unordered_set>

namespace {

// Live chart windows, so that a handle to a destroyed chart is refused instead of followed.
// User-interface thread only.
std::unordered_set<const void*>& LiveCharts()
{
    static std::unordered_set<const void*> charts;
    return charts;
}

}  // namespace

ChartWindow::ChartWindow(QWidget* parent, int controlId) : QWidget(parent), Id(controlId)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    LiveCharts().insert(this);
}

ChartWindow::~ChartWindow() { LiveCharts().erase(this); }

ChartWindow* ChartWindow::FromHandle(const void* handle)
{
    if (!handle || !LiveCharts().count(handle)) return nullptr;
    return static_cast<ChartWindow*>(const_cast<void*>(handle));
}

void ChartWindow::Reinitialize() { CurrentScene = std::make_shared<const ChartScene>(ResolveChartScene(Store)); }

void ChartWindow::Render()
{
    if (width() <= 0 || height() <= 0) {
        Surface = QImage();
        return;
    }
    // The image is kept from one build to the next: a fresh one costs a page fault per 4 KiB.
    if (Surface.size() != size()) Surface = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    if (!CurrentScene) {
        Surface.fill(Qt::white);
        return;
    }
    QPainter g(&Surface);
    PaintChart(g, *CurrentScene, size());
}

const QImage& ChartWindow::Image()
{
    if (Surface.size() != size()) Render();
    return Surface;
}

void ChartWindow::paintEvent(QPaintEvent* event)
{
    QPainter g(this);
    const QImage& image = Image();
    if (!image.isNull()) g.drawImage(event->rect(), image, event->rect());
}
