// Independent references for open-channel tests: root finding by bisection, Manning's normal
// depth and gradually varied flow integrated by Runge-Kutta.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>

namespace testmodel {

// A root of f in [lo, hi], where f changes sign.
inline double Bisect(const std::function<double(double)>& f, double lo, double hi)
{
    double flo = f(lo);
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        const double fm = f(mid);
        if ((fm < 0) == (flo < 0)) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
        }
    }
    return 0.5 * (lo + hi);
}

// Manning's normal depth of a trapezoid (bottom width b, side slope m horizontal per vertical;
// m = 0 is a rectangle).
inline double NormalDepth(double q, double b, double m, double n, double slope)
{
    return Bisect(
        [&](double y) {
            const double a = (b + m * y) * y;
            const double p = b + 2 * y * std::sqrt(1 + m * m);
            return a * std::pow(a / p, 2.0 / 3.0) * std::sqrt(slope) / n - q;
        },
        1e-6, 100.0);
}

// Gradually varied flow in a rectangle, dy/dx = (S0 - Sf) / (1 - Fr^2), integrated upstream
// from a control depth at the downstream end by classical fourth-order Runge-Kutta. Returns
// the depth at distance `upstream` from the control.
inline double GradualFlowDepth(double q, double b, double n, double slope, double controlDepth, double upstream)
{
    constexpr double g = 9.81;
    auto dydx = [&](double y) {
        const double a = b * y;
        const double r = a / (b + 2 * y);
        const double sf = n * n * q * q / (a * a * std::pow(r, 4.0 / 3.0));
        const double fr2 = q * q * b / (g * a * a * a);
        return (slope - sf) / (1 - fr2);
    };
    const int steps = std::max(1, static_cast<int>(upstream / 0.5));
    const double h = -upstream / steps;   // integrate towards upstream
    double y = controlDepth;
    for (int i = 0; i < steps; ++i) {
        const double k1 = dydx(y);
        const double k2 = dydx(y + 0.5 * h * k1);
        const double k3 = dydx(y + 0.5 * h * k2);
        const double k4 = dydx(y + h * k3);
        y += h * (k1 + 2 * k2 + 2 * k3 + k4) / 6;
    }
    return y;
}

}  // namespace testmodel
