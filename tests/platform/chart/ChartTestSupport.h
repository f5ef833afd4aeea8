// Helpers of the chart tests: a chart that dies with the test, and pixel predicates.
#pragma once

#include "ChartCalls.h"
#include "ChartRenderer.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdlib>
#include <functional>
#include <memory>

namespace chart_test {

// A top-level chart of the given size (no parent; not shown), destroyed at the end of scope.
struct Chart {
    ChartHandle Handle;
    explicit Chart(QSize size = {800, 600}) : Handle(ChartCreate(ChartObjectGraph, 0, QRect(QPoint(0, 0), size), nullptr, 1001)) {}
    ~Chart() { ChartDestroy(Handle); }
    Chart(const Chart&) = delete;
    Chart& operator=(const Chart&) = delete;
    operator ChartHandle() const { return Handle; }
    const ChartScene& Scene() const { return *ChartSceneOf(Handle); }
    QImage Image() const { return ChartImageOf(Handle); }
    ChartLayout Layout() const { return LayoutChart(Scene(), Image().size()); }
    // Pixel of a data point of a pane, rounded down to the pixel that contains it.
    QPoint Pixel(int pane, double x, double y) const
    {
        const QPointF p = ChartToPixel(Scene(), Layout(), pane, {x, y});
        return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
    }
};

inline bool Close(QRgb a, QRgb b, int tolerance = 0)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Whether some pixel within `radius` of p has the colour (within the tolerance).
inline bool ColourNear(const QImage& image, QPoint p, QRgb colour, int radius = 1, int tolerance = 0)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && Close(image.pixel(q), colour, tolerance)) return true;
        }
    return false;
}

inline int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

// Mostly one hue: that channel high, the other two low (antialiased edges count).
inline bool Greenish(QRgb c) { return qGreen(c) > 150 && qRed(c) < 120 && qBlue(c) < 120; }
inline bool Reddish(QRgb c) { return qRed(c) > 150 && qGreen(c) < 120 && qBlue(c) < 120; }
inline bool Bluish(QRgb c) { return qBlue(c) > 150 && qRed(c) < 120 && qGreen(c) < 120; }

// Saves the image as name.png in the folder VASQUIL_CHART_PNG_DIR names, when it is set, so
// that the pictures can be looked at.
inline void Keep(const QImage& image, const char* name)
{
    const char* dir = std::getenv("VASQUIL_CHART_PNG_DIR");
    if (!dir || !*dir) return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    image.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name) + ".png"));
}

}  // namespace chart_test
