#include "ChartClip.h"

#include <cmath>

namespace {

bool Finite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

// One edge of the rectangle for Sutherland-Hodgman: a point is inside when its coordinate on
// the edge's axis lies on the rectangle's side of the bound.
struct Edge {
    bool Vertical;  // bound on x (left or right edge)
    bool KeepBelow; // inside means coordinate <= bound
    double Bound;

    double Coordinate(const QPointF& p) const { return Vertical ? p.x() : p.y(); }
    bool Inside(const QPointF& p) const { return KeepBelow ? Coordinate(p) <= Bound : Coordinate(p) >= Bound; }
    // The point of a-b on the bound; a and b lie on opposite sides, so the division is safe.
    QPointF Crossing(const QPointF& a, const QPointF& b) const
    {
        const double t = (Bound - Coordinate(a)) / (Coordinate(b) - Coordinate(a));
        if (Vertical) return {Bound, a.y() + t * (b.y() - a.y())};
        return {a.x() + t * (b.x() - a.x()), Bound};
    }
};

}  // namespace

bool ClipSegment(const ChartClipRect& r, QPointF& a, QPointF& b)
{
    if (!Finite(a) || !Finite(b)) return false;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    if (!std::isfinite(dx) || !std::isfinite(dy)) return false;
    // Edges in the order left, right, top, bottom: p < 0 where the segment enters across it.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.Left, r.Right - a.x(), a.y() - r.Top, r.Bottom - a.y()};
    const double bound[4] = {r.Left, r.Right, r.Top, r.Bottom};
    double t0 = 0.0, t1 = 1.0;
    int in = -1, out = -1;  // edges the segment enters and leaves by; -1 for an end inside
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;  // parallel to this edge and outside it
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t0) t0 = t, in = i;
        } else if (t < t1) {
            t1 = t, out = i;
        }
        if (t0 > t1) return false;
    }
    // A point on an edge takes the edge's coordinate exactly: for an end millions of pixels
    // away, start + t x delta carries an error of that magnitude in the edge's direction.
    const auto onEdge = [&](int edge, double t) {
        const QPointF point(a.x() + t * dx, a.y() + t * dy);
        return edge < 2 ? QPointF(bound[edge], point.y()) : QPointF(point.x(), bound[edge]);
    };
    const QPointF enter = in >= 0 ? onEdge(in, t0) : a;
    const QPointF leave = out >= 0 ? onEdge(out, t1) : b;
    a = enter;
    b = leave;
    return true;
}

void ClipPolyline(std::span<const QPointF> line, const ChartClipRect& r, std::vector<QPointF>& points,
                  std::vector<int>& runs)
{
    points.clear();
    runs.clear();
    for (std::size_t i = 1; i < line.size(); ++i) {
        QPointF a = line[i - 1];
        QPointF b = line[i];
        if (!ClipSegment(r, a, b)) continue;
        // A piece goes on while each segment starts where the previous one ended.
        if (!runs.empty() && points.back().x() == a.x() && points.back().y() == a.y()) {
            points.push_back(b);
            ++runs.back();
        } else {
            points.push_back(a);
            points.push_back(b);
            runs.push_back(2);
        }
    }
}

std::vector<QPointF> ClipPolygon(std::span<const QPointF> polygon, const ChartClipRect& r)
{
    for (const QPointF& p : polygon)
        if (!Finite(p)) return {};
    const Edge edges[4] = {{true, false, r.Left}, {true, true, r.Right}, {false, false, r.Top}, {false, true, r.Bottom}};
    std::vector<QPointF> in(polygon.begin(), polygon.end());
    std::vector<QPointF> out;
    for (const Edge& e : edges) {
        out.clear();
        for (std::size_t i = 0; i < in.size(); ++i) {
            const QPointF& cur = in[i];
            const QPointF& prev = in[(i + in.size() - 1) % in.size()];
            const bool curIn = e.Inside(cur);
            if (curIn != e.Inside(prev)) out.push_back(e.Crossing(prev, cur));
            if (curIn) out.push_back(cur);
        }
        in.swap(out);
        if (in.empty()) break;
    }
    return in;
}
