// The hydrodynamic equations against independent references: still water, Manning's normal
// depth, gradually varied flow integrated by Runge-Kutta, the boundary kinds, Stoker's
// dam-break solution and the global mass balance of a flood.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "engine/EngineData.h"
#include "engine/FiniteElements.h"
#include "engine/Hydraulics.h"
#include "engine/Hydrodynamics.h"
#include "engine/ModelSetup.h"
#include "engine/TimeStepping.h"
#include "ChannelReferences.h"
#include "ModelBuilder.h"
#include "ModelFixtures.h"

using testmodel::Bisect;
using testmodel::BoundaryAt;
using testmodel::BoundaryInput;
using testmodel::Constant;
using testmodel::GradualFlowDepth;
using testmodel::NormalDepth;
using testmodel::RunToSteady;

namespace {

constexpr double g = 9.81;

// A rectangular channel of `count` nodes falling at `slope` towards its last node.
void RectChannel(int count, double dx, double width, double n, double slope, double depth, double discharge,
                 double downstreamInvert = 0.0)
{
    testmodel::BuildChain(count, dx, [&](NodeRecord& node, int i) {
        node.RectWidth = width;
        node.ManningN = n;
        node.Invert = downstreamInvert + slope * (count - 1 - i) * dx;
        node.HydroUnknowns[0] = width * depth;
        node.HydroUnknowns[1] = discharge;
    });
}

double Depth(const NodeRecord& n)
{
    return n.Stage - n.Invert;
}

class Hydro : public testmodel::ModelTest<::testing::TestWithParam<int>> {};

class HydroCase : public testmodel::ModelTest<> {};

}  // namespace

// ---------------------------------------------------------------------------------------
// Still water
// ---------------------------------------------------------------------------------------
TEST_P(Hydro, LakeAtRestStaysAtRest)
{
    const double level = 3.0;
    // Uneven bed: a slope with a hump, under a channel whose width changes from node to node;
    // the water stands level over it, with depth and width both varying along elements.
    testmodel::BuildChain(21, 50.0, [&](NodeRecord& node, int i) {
        node.RectWidth = 12.0 + 3.0 * (i % 3) - (i == 9 ? 4.0 : 0.0);
        node.ManningN = 0.03;
        node.Invert = 0.002 * (20 - i) * 50 + (i == 8 ? 0.7 : 0.0) + (i == 9 ? 0.4 : 0.0);
        node.HydroUnknowns[0] = node.RectWidth * (level - node.Invert);
        node.HydroUnknowns[1] = 0.0;
    });
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, 0.0)}, {20, 1, Constant(1, 0, level, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.DeltaT = g_ModelControl.MaxDeltaT = 300;
    g_EquationSystems[HydrodynamicSystem].Theta = 0.6;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(testmodel::RunTo(24 * 3600.0));
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.Stage, level, 1e-9) << n.Index;
        EXPECT_NEAR(n.Discharge, 0.0, 1e-9) << n.Index;
        EXPECT_NEAR(n.Velocity, 0.0, 1e-9) << n.Index;
    }
}

// ---------------------------------------------------------------------------------------
// Uniform flow
// ---------------------------------------------------------------------------------------
TEST_P(Hydro, ManningNormalDepthInRectangularChannel)
{
    const double q = 20, b = 10, n = 0.03, slope = 0.001;
    const double yn = NormalDepth(q, b, 0, n, slope);
    // Start 30% too deep with half the discharge; the downstream end holds the normal stage.
    RectChannel(41, 100.0, b, n, slope, 1.3 * yn, 0.5 * q);
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, q)}, {40, 1, Constant(1, 0, yn, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 300;
    g_EquationSystems[HydrodynamicSystem].Theta = 1.0;   // pseudo-time towards the steady state
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(RunToSteady(3600, 100 * 3600.0));
    double worst = 0;
    for (const NodeRecord& node : g_NodeBlock) {
        EXPECT_NEAR(Depth(node), yn, 0.002 * yn) << node.Index;
        EXPECT_NEAR(node.Discharge, q, 1e-6 * q) << node.Index;
        worst = std::max(worst, std::fabs(Depth(node) - yn) / yn);
    }
    std::printf("rectangle formulation %d: normal depth %.4f m, worst relative error %.2e\n", GetParam(), yn, worst);
}

// ---------------------------------------------------------------------------------------
// Gradually varied flow
// ---------------------------------------------------------------------------------------
TEST_P(Hydro, BackwaterAndDrawdownProfilesMatchRungeKutta)
{
    const double q = 20, b = 10, n = 0.03, slope = 0.001;
    const double yn = NormalDepth(q, b, 0, n, slope);
    const double yc = std::cbrt((q / b) * (q / b) / g);
    struct Profile {
        const char* name;
        double control;
    };
    // M1: control above normal depth; M2: between critical and normal depth.
    for (const Profile& p : {Profile{"M1", 2.6}, Profile{"M2", 0.5 * (yn + yc) + 0.1}}) {
        const int count = 61;
        const double dx = 50;
        RectChannel(count, dx, b, n, slope, std::max(yn, p.control), q);
        testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, q)}, {count - 1, 1, Constant(1, 0, p.control, 0)}});
        g_ModelControl.Formulation = GetParam();
        g_ModelControl.MaxDeltaT = 300;
        g_EquationSystems[HydrodynamicSystem].Theta = 1.0;
        ASSERT_EQ(testmodel::StartRun(), 0);
        ASSERT_TRUE(RunToSteady(3600, 200 * 3600.0)) << p.name;
        double worst = 0;
        for (const NodeRecord& node : g_NodeBlock) {
            const double distance = (count - 1 - node.Index) * dx;
            const double reference = GradualFlowDepth(q, b, n, slope, p.control, distance);
            worst = std::max(worst, std::fabs(Depth(node) - reference) / reference);
        }
        EXPECT_LT(worst, 0.01) << p.name;
        RecordProperty(std::string(p.name) + "_worst_relative_depth_error", std::to_string(worst));
        std::printf("%s formulation %d: worst relative depth error %.5f\n", p.name, GetParam(), worst);
        ReleaseModel();
    }
}

INSTANTIATE_TEST_SUITE_P(Formulations, Hydro, ::testing::Values(0, 1, 2));

// ---------------------------------------------------------------------------------------
// Boundary kinds, each on a small case with a known answer
// ---------------------------------------------------------------------------------------
namespace {

constexpr double kQ = 20, kB = 10, kN = 0.03, kSlope = 0.001;
constexpr int kCount = 31;
constexpr double kDx = 100;

// A rating curve of normal depths at the downstream node (stage over its invert 0).
BoundaryInput NormalDepthRating()
{
    BoundaryInput r;
    r.StageCode = 2;
    r.DischargeCode = 2;
    for (int k = 0; k <= 40; ++k) {
        const double q = 1.0 + 2.0 * k;
        r.Times.push_back(k * 3600.0);
        r.Discharges.push_back(q);
        r.Stages.push_back(NormalDepth(q, kB, 0, kN, kSlope));
    }
    return r;
}

void RunSteadyCase(int formulation, const std::vector<BoundaryAt>& boundaries, double initialDepth,
                   double initialDischarge)
{
    RectChannel(kCount, kDx, kB, kN, kSlope, initialDepth, initialDischarge);
    testmodel::SetBoundaries(boundaries);
    g_ModelControl.Formulation = formulation;
    g_ModelControl.MaxDeltaT = 300;
    g_EquationSystems[HydrodynamicSystem].Theta = 1.0;   // pseudo-time towards the steady state
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(RunToSteady(3600, 100 * 3600.0));
}

}  // namespace

TEST_P(Hydro, DischargeUpstreamStageDownstream)
{
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    const double control = 1.4 * yn;
    RunSteadyCase(GetParam(), {{0, -1, Constant(0, 1, 0, kQ)}, {kCount - 1, 1, Constant(1, 0, control, 0)}}, control,
                  0.0);
    for (const NodeRecord& n : g_NodeBlock) EXPECT_NEAR(n.Discharge, kQ, 1e-4 * kQ) << n.Index;
    EXPECT_NEAR(Depth(g_NodeBlock.back()), control, 1e-3 * control);
}

TEST_P(Hydro, StageAndDischargeTogetherAreDrivenByTheDischarge)
{
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    // The stage series would hold the upstream end 3 m above normal depth.
    BoundaryInput both = Constant(1, 1, kSlope * (kCount - 1) * kDx + yn + 3.0, kQ);
    RunSteadyCase(GetParam(), {{0, -1, both}, {kCount - 1, 1, Constant(1, 0, yn, 0)}}, yn, kQ);
    std::vector<double> stages;
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.Discharge, kQ, 1e-4 * kQ) << n.Index;
        EXPECT_NEAR(Depth(n), yn, 0.002 * yn) << n.Index;
        stages.push_back(n.Stage);
    }
    ReleaseModel();
    RunSteadyCase(GetParam(), {{0, -1, Constant(0, 1, 0, kQ)}, {kCount - 1, 1, Constant(1, 0, yn, 0)}}, yn, kQ);
    for (size_t i = 0; i < stages.size(); ++i) EXPECT_EQ(g_NodeBlock[i].Stage, stages[i]);
}

TEST_P(Hydro, StagesAtBothEndsPassTheNormalDischarge)
{
    // Normal stages at both ends of a uniform channel: the flow they drive is Manning's.
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    const double upstreamStage = kSlope * (kCount - 1) * kDx + yn;
    RunSteadyCase(GetParam(), {{0, -1, Constant(1, 0, upstreamStage, 0)}, {kCount - 1, 1, Constant(1, 0, yn, 0)}},
                  yn, 0.5 * kQ);
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.Discharge, kQ, 0.003 * kQ) << n.Index;
        EXPECT_NEAR(Depth(n), yn, 0.002 * yn) << n.Index;
    }
}

TEST_P(Hydro, RatingCurveDownstreamGivesNormalDepth)
{
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    RunSteadyCase(GetParam(), {{0, -1, Constant(0, 1, 0, kQ)}, {kCount - 1, 1, NormalDepthRating()}}, 1.5 * yn, kQ);
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(Depth(n), yn, 0.002 * yn) << n.Index;
        EXPECT_NEAR(n.Discharge, kQ, 1e-4 * kQ) << n.Index;
    }
}

TEST_P(Hydro, RatingCurveMarkedByEitherCodeIsApplied)
{
    // A rating curve is read whenever either code is 2; the boundary applies it the same way.
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    const int codes[][2] = {{2, 0}, {0, 2}, {1, 2}};
    for (const auto& c : codes) {
        BoundaryInput rating = NormalDepthRating();
        rating.StageCode = c[0];
        rating.DischargeCode = c[1];
        RunSteadyCase(GetParam(), {{0, -1, Constant(0, 1, 0, kQ)}, {kCount - 1, 1, rating}}, 1.5 * yn, kQ);
        for (const NodeRecord& n : g_NodeBlock) {
            EXPECT_NEAR(Depth(n), yn, 0.002 * yn) << "codes " << c[0] << " " << c[1] << " node " << n.Index;
            EXPECT_NEAR(n.Discharge, kQ, 1e-4 * kQ) << "codes " << c[0] << " " << c[1] << " node " << n.Index;
        }
        ReleaseModel();
    }
}

TEST_P(Hydro, FreeDownstreamEndPassesUniformFlow)
{
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    RectChannel(kCount, kDx, kB, kN, kSlope, yn, kQ);
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, kQ)}, {kCount - 1, 1, BoundaryInput{}}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 120;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(testmodel::RunTo(6 * 3600.0));
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(Depth(n), yn, 0.002 * yn) << n.Index;
        EXPECT_NEAR(n.Discharge, kQ, 0.002 * kQ) << n.Index;
    }
}

TEST_P(Hydro, LateralInflowAddsItsDischarge)
{
    const double ql = 7.5;
    const int at = 6;
    const double yn = NormalDepth(kQ + ql, kB, 0, kN, kSlope);
    BoundaryInput lateral = Constant(0, 99, 0, ql);
    RunSteadyCase(GetParam(),
                  {{0, -1, Constant(0, 1, 0, kQ)}, {at, -1, lateral}, {kCount - 1, 1, Constant(1, 0, yn, 0)}}, yn,
                  kQ);
    // The element-end fluxes carry the discharge of each reach exactly; the lateral node
    // averages the two. Nodal discharges settle to them away from the point source.
    for (const NodeRecord& n : g_NodeBlock) {
        const double expected = n.Index < at ? kQ : (n.Index > at ? kQ + ql : kQ + 0.5 * ql);
        EXPECT_NEAR(n.FluxDischarge, expected, 1e-4 * kQ) << n.Index;
        if (n.Index >= at + 14) {
            EXPECT_NEAR(n.Discharge, kQ + ql, 1e-3 * kQ) << n.Index;
        }
    }
    EXPECT_NEAR(Depth(g_NodeBlock.back()), yn, 1e-3 * yn);
}

// ---------------------------------------------------------------------------------------
// Global mass balance of a flood
// ---------------------------------------------------------------------------------------
namespace {

// Section points of a trapezoid (defined with the surveyed-section tests below).
std::vector<SectionPoint> Trapezoid(double b, double m, double height, double z);

// A flood through a channel of rectangles (side slope 0) or surveyed trapezoids, with a rating
// curve of normal depths at the outlet.
void CheckFloodMassBalance(int formulation, double sideSlope)
{
    const double b = 20, n = 0.035, slope = 0.0005, base = 20, peak = 100;
    const int count = 51;
    const double dx = 100;
    const double y0 = NormalDepth(base, b, sideSlope, n, slope);
    if (sideSlope == 0) {
        RectChannel(count, dx, b, n, slope, y0, base);
    } else {
        testmodel::BuildChain(count, dx, [&](NodeRecord& node, int i) {
            testmodel::SetSection(node, Trapezoid(b, sideSlope, 8.0, slope * (count - 1 - i) * dx), n, 150);
            node.HydroUnknowns[0] = testmodel::AreaAtStage(node, node.Invert + y0);
            node.HydroUnknowns[1] = base;
        });
    }
    BoundaryInput flood;
    flood.DischargeCode = 1;
    flood.Times = {0, 3600, 6 * 3600, 12 * 3600, 30 * 3600};
    flood.Discharges = {base, base, peak, base, base};
    flood.Stages.assign(flood.Times.size(), 0.0);
    BoundaryInput rating;
    rating.StageCode = rating.DischargeCode = 2;
    for (int k = 0; k <= 60; ++k) {
        const double q = 2.0 + 2.0 * k;
        rating.Times.push_back(k);
        rating.Discharges.push_back(q);
        rating.Stages.push_back(NormalDepth(q, b, sideSlope, n, slope));
    }
    testmodel::SetBoundaries({{0, -1, flood}, {count - 1, 1, rating}});
    g_ModelControl.Formulation = formulation;
    g_ModelControl.MaxDeltaT = 30;
    ASSERT_EQ(testmodel::StartRun(), 0);

    auto stored = [&] {
        double v = 0;
        for (int i = 0; i + 1 < count; ++i) v += 0.5 * (g_NodeBlock[i].GrossArea + g_NodeBlock[i + 1].GrossArea) * dx;
        return v;
    };
    const double v0 = stored();
    double outflow = 0;
    double stepInflow = 0;   // what the discharge boundary lets in: each step's DeltaT x Qb at its end
    double lastTime = 0, lastQ = g_NodeBlock.back().Discharge;
    auto hydrographAt = [&](double t) {
        for (size_t k = 0; k + 1 < flood.Times.size(); ++k)
            if (t <= flood.Times[k + 1])
                return flood.Discharges[k] + (flood.Discharges[k + 1] - flood.Discharges[k]) * (t - flood.Times[k]) /
                                                 (flood.Times[k + 1] - flood.Times[k]);
        return flood.Discharges.back();
    };
    auto measure = [&] {
        const double t = g_ModelControl.ModelTime;
        stepInflow += (t - lastTime) * hydrographAt(t);
        const double q = g_NodeBlock.back().Discharge;
        outflow += 0.5 * (q + lastQ) * (t - lastTime);
        lastTime = t;
        lastQ = q;
    };
    // Inflow: the exact integral of the piecewise-linear hydrograph up to `end`.
    auto inflowUntil = [&](double end) {
        double inflow = 0;
        for (size_t k = 0; k + 1 < flood.Times.size(); ++k) {
            const double t0 = flood.Times[k], t1 = std::min(flood.Times[k + 1], end);
            if (t1 <= t0) break;
            const double q1 = flood.Discharges[k] +
                              (flood.Discharges[k + 1] - flood.Discharges[k]) * (t1 - t0) / (flood.Times[k + 1] - t0);
            inflow += 0.5 * (flood.Discharges[k] + q1) * (t1 - t0);
        }
        return inflow;
    };
    // Mid-flood, with water stored in the reach, and after the flood has passed.
    for (double hours : {8.0, 24.0}) {
        ASSERT_TRUE(testmodel::RunTo(hours * 3600, measure));
        const double inflow = inflowUntil(hours * 3600);
        const double change = stored() - v0;
        const double imbalance = std::fabs(inflow - outflow - change) / inflow;
        std::printf("formulation %d, side slope %g, %g h: inflow %.1f outflow %.1f storage change %.1f imbalance %.2e\n",
                    formulation, sideSlope, hours, inflow, outflow, change, imbalance);
        EXPECT_LT(imbalance, 1e-3);
        // Against the volume the boundary let in, the scheme conserves to the Newton tolerance.
        EXPECT_LT(std::fabs(stepInflow - outflow - change) / inflow, 1e-6);
        if (hours == 8.0) {
            EXPECT_GT(change, 0.05 * inflow);
        }
    }
    // The flood passed: the outlet saw a peak well above the base flow.
    EXPECT_GT(g_NodeBlock.back().PeakFluxDischarge, 0.8 * peak);
}

}  // namespace

TEST_P(Hydro, FloodConservesMass)
{
    CheckFloodMassBalance(GetParam(), 0.0);
}

// ---------------------------------------------------------------------------------------
// Dam break on a wet bed
// ---------------------------------------------------------------------------------------
TEST_F(HydroCase, StokerWetBedDamBreak)
{
    const double hl = 1.0, hr = 0.1, x0 = 100, dx = 0.5, t = 10;
    const int count = 401;
    // Stoker: rarefaction into the left state, a bore into the right one.
    const double hm = Bisect(
        [&](double h) {
            return 2 * (std::sqrt(g * hl) - std::sqrt(g * h)) - (h - hr) * std::sqrt(g * (h + hr) / (2 * h * hr));
        },
        hr * 1.0001, hl);
    const double um = 2 * (std::sqrt(g * hl) - std::sqrt(g * hm));
    const double bore = x0 + um * hm / (hm - hr) * t;
    const double tail = x0 + (um - std::sqrt(g * hm)) * t;

    testmodel::BuildChain(count, dx, [&](NodeRecord& node, int i) {
        node.RectWidth = 1.0;
        node.ManningN = 0.0;   // frictionless
        node.Invert = 0.0;
        const double x = i * dx;
        node.HydroUnknowns[0] = x < x0 ? hl : (x > x0 ? hr : 0.5 * (hl + hr));
        node.HydroUnknowns[1] = 0.0;
    });
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, 0.0)}, {count - 1, 1, Constant(0, 1, 0, 0.0)}});
    g_ModelControl.Formulation = 0;
    g_ModelControl.DeltaT = g_ModelControl.MaxDeltaT = 0.05;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(testmodel::RunTo(t));

    // Plateau: the middle of the region between the rarefaction's tail and the bore.
    double sum = 0;
    int samples = 0;
    for (const NodeRecord& n : g_NodeBlock) {
        const double x = n.Chainage;
        if (x > tail + 0.2 * (bore - tail) && x < bore - 0.2 * (bore - tail)) {
            sum += Depth(n);
            ++samples;
        }
    }
    ASSERT_GT(samples, 10);
    const double plateau = sum / samples;
    std::printf("Stoker: intermediate depth %.4f (exact %.4f), ", plateau, hm);
    EXPECT_NEAR(plateau, hm, 0.03 * hm);
    // Bore: where the depth crosses the mean of the plateau and the undisturbed depth.
    double front = 0;
    for (int i = count - 1; i >= 0; --i) {
        if (Depth(g_NodeBlock[i]) > 0.5 * (hm + hr)) {
            front = g_NodeBlock[i].Chainage;
            break;
        }
    }
    std::printf("bore at %.2f m (exact %.2f m)\n", front, bore);
    EXPECT_NEAR(front, bore, 4 * dx);
}

// The same dam break through the run's stepping: its Newton iterations at the bore reject steps
// far below a millisecond (a millionth of its 0.05 s maximum step is the floor that applies),
// and it runs on instead of being stopped as a model that cannot progress.
TEST_F(HydroCase, DamBreakOnALaboratoryScaleStepsBelowAMillisecond)
{
    const int count = 401;
    testmodel::BuildChain(count, 0.5, [&](NodeRecord& node, int i) {
        node.RectWidth = 1.0;
        node.ManningN = 0.0;
        node.Invert = 0.0;
        const double x = i * 0.5;
        node.HydroUnknowns[0] = x < 100 ? 1.0 : (x > 100 ? 0.1 : 0.55);
        node.HydroUnknowns[1] = 0.0;
    });
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, 0.0)}, {count - 1, 1, Constant(0, 1, 0, 0.0)}});
    ModelControl& mc = g_ModelControl;
    mc.Formulation = 0;
    mc.DeltaT = mc.MaxDeltaT = 0.05;
    ASSERT_EQ(testmodel::StartRun(), 0);
    double smallest = mc.DeltaT;
    while (mc.ModelTime < 1.0) {
        ASSERT_EQ(TransientStep(), 0) << "at " << mc.ModelTime << " s with a step of " << mc.DeltaT << " s";
        smallest = std::min(smallest, mc.DeltaT);
    }
    EXPECT_LT(smallest, MinimumTimeStep);
}

// ---------------------------------------------------------------------------------------
// Upwinding matrix and kernel switches
// ---------------------------------------------------------------------------------------
TEST(Upwinding, SignMatrixOfTheFlowJacobian)
{
    struct Case {
        double v, c;
    };
    // Sub- and supercritical, both directions: S is the sign of [[0, 1], [c^2 - v^2, 2v]], so
    // S^2 = I and S commutes with the Jacobian.
    for (const Case& k : {Case{0.3, 2.0}, Case{-1.1, 2.0}, Case{3.0, 1.5}, Case{-4.0, 1.0}, Case{1e-13, 3.0}}) {
        double s[4];
        ComputeHydroUpwindingMatrix(k.v, k.c, s);
        EXPECT_NEAR(s[0] * s[0] + s[1] * s[2], 1.0, 1e-12);
        EXPECT_NEAR(s[0] * s[1] + s[1] * s[3], 0.0, 1e-12);
        EXPECT_NEAR(s[2] * s[0] + s[3] * s[2], 0.0, 1e-12);
        EXPECT_NEAR(s[2] * s[1] + s[3] * s[3], 1.0, 1e-12);
        const double j[4] = {0.0, 1.0, k.c * k.c - k.v * k.v, 2 * k.v};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) {
                const double sj = s[2 * r] * j[c] + s[2 * r + 1] * j[2 + c];
                const double js = j[2 * r] * s[c] + j[2 * r + 1] * s[2 + c];
                EXPECT_NEAR(sj, js, 1e-12);
            }
        if (std::fabs(k.v) < k.c) {
            // Subcritical: S11 = -v/c, to full precision even for a tiny velocity.
            EXPECT_NEAR(s[0], -k.v / k.c, 1e-15 * std::fabs(k.v / k.c) + 1e-300);
            EXPECT_NEAR(s[3], k.v / k.c, 1e-15);
        }
    }
    // No celerity (dry), critical flow and still water give finite values.
    double s[4];
    ComputeHydroUpwindingMatrix(0.7, 0.0, s);
    for (double v : s) EXPECT_EQ(v, 0.0);
    ComputeHydroUpwindingMatrix(2.0, 2.0, s);
    for (double v : s) EXPECT_TRUE(std::isfinite(v));
    EXPECT_DOUBLE_EQ(s[0], 0.0);   // sgn(0) = 0: the mean of the two one-sided limits -1 and 1
    EXPECT_DOUBLE_EQ(s[3], 1.0);
    ComputeHydroUpwindingMatrix(0.0, 2.0, s);
    EXPECT_EQ(s[0], 0.0);
    EXPECT_EQ(s[3], 0.0);
    EXPECT_DOUBLE_EQ(s[1], 0.5);
    EXPECT_DOUBLE_EQ(s[2], 2.0);
}

namespace {

// Residual of the first element of a two-element rectangular channel in a flowing state
// that differs between the time levels.
std::vector<double> FirstElementResidual()
{
    ComputeHydroElementResidual(&g_ElementBlock[0]);
    return {g_ModelControl.ElementVector.begin(), g_ModelControl.ElementVector.begin() + 4};
}

void FlowingPair(double depth0, double depth1, double q0, double q1)
{
    RectChannel(3, 100.0, 10.0, 0.03, 0.001, 1.0, 10.0);
    ASSERT_EQ(testmodel::StartRun(), 0);
    for (NodeRecord& n : g_NodeBlock) {
        n.HydroUnknowns[0] = 10.0 * (n.Index == 0 ? depth0 : depth1);
        n.HydroUnknowns[1] = n.Index == 0 ? q0 : q1;
        UpdateNodeHydraulics(&n);
    }
}

}  // namespace

TEST_F(HydroCase, KernelSwitches)
{
    FlowingPair(1.2, 1.0, 12.0, 9.0);
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    const std::vector<double> rect = FirstElementResidual();
    for (double v : rect) EXPECT_TRUE(std::isfinite(v));
    // A formulation number other than 1 and 2 runs the rectangular kernel.
    g_ModelControl.Formulation = 5;
    EXPECT_EQ(FirstElementResidual(), rect);
    g_ModelControl.Formulation = 0;
    // Upwinding updating 3 is pure Galerkin: the same as no upwinding weight.
    es.UpwindingUpdating = 3;
    const std::vector<double> galerkin = FirstElementResidual();
    es.UpwindingUpdating = 0;
    es.Upwinding = 0.0;
    EXPECT_EQ(FirstElementResidual(), galerkin);
    es.Upwinding = 0.25;
    EXPECT_NE(galerkin, rect);
    // Updating 1 and 2 take the previous or the current level's matrix for both levels.
    es.UpwindingUpdating = 1;
    const std::vector<double> previous = FirstElementResidual();
    es.UpwindingUpdating = 2;
    const std::vector<double> current = FirstElementResidual();
    EXPECT_NE(previous, current);
    // With both levels equal the three modes agree.
    ShiftTimeLevel();
    std::vector<double> same[3];
    for (int mode = 0; mode < 3; ++mode) {
        es.UpwindingUpdating = mode;
        same[mode] = FirstElementResidual();
    }
    for (int r = 0; r < 4; ++r) {
        EXPECT_NEAR(same[1][r], same[0][r], 1e-12 * (1 + std::fabs(same[0][r])));
        EXPECT_NEAR(same[2][r], same[0][r], 1e-12 * (1 + std::fabs(same[0][r])));
    }
}

TEST_F(HydroCase, DryAndCriticalStatesGiveFiniteResiduals)
{
    const double yc = 1.0;
    const double qc = 10.0 * yc * std::sqrt(g * yc);   // V = c at both nodes
    for (int formulation : {0, 1, 2}) {
        for (int state = 0; state < 2; ++state) {
            if (state == 0) FlowingPair(0.0, 0.0, 0.0, 0.0);
            if (state == 1) FlowingPair(yc, yc, qc, qc);
            g_ModelControl.Formulation = formulation;
            for (double v : FirstElementResidual()) EXPECT_TRUE(std::isfinite(v)) << formulation << " " << state;
            g_ModelControl.StepStartTime = g_ModelControl.ModelTime = 0;
            g_ModelControl.ModelTime = g_ModelControl.DeltaT;
            testmodel::SetBoundaries({{0, -1, BoundaryInput{}}, {2, 1, BoundaryInput{}}});
            g_EquationSystems[HydrodynamicSystem].StructureBuilt = 0;
            ASSERT_EQ(AssembleProfileMatrix(HydrodynamicSystem), 0);
            for (double v : g_EquationSystems[HydrodynamicSystem].Rhs) EXPECT_TRUE(std::isfinite(v));
            ReleaseModel();
        }
    }
}

// ---------------------------------------------------------------------------------------
// Surveyed sections (natural formulations)
// ---------------------------------------------------------------------------------------
namespace {

// A trapezoid: bottom width b, side slope m (horizontal per vertical), banks `height` above
// the bed at elevation z, as station/elevation points.
std::vector<SectionPoint> Trapezoid(double b, double m, double height, double z)
{
    return {{0, z + height}, {m * height, z}, {m * height + b, z}, {2 * m * height + b, z + height}};
}

class Surveyed : public testmodel::ModelTest<::testing::TestWithParam<int>> {};

}  // namespace

TEST_P(Surveyed, LakeAtRestOverChangingSections)
{
    const double level = 104.0;
    testmodel::BuildChain(21, 80.0, [&](NodeRecord& node, int i) {
        const double z = 100.0 + 0.001 * (20 - i) * 80 + (i == 7 ? 0.8 : 0.0);
        testmodel::SetSection(node, Trapezoid(20.0 + i, 1.0 + 0.1 * (i % 4), 8.0, z), 0.03, 120);
    });
    for (NodeRecord& n : g_NodeBlock) {
        n.HydroUnknowns[0] = testmodel::AreaAtStage(n, level);
        n.HydroUnknowns[1] = 0.0;
    }
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, 0.0)}, {20, 1, Constant(1, 0, level, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 120;
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(testmodel::RunTo(3 * 3600.0));
    for (const NodeRecord& n : g_NodeBlock) {
        EXPECT_NEAR(n.Stage, level, 1e-9) << n.Index;
        EXPECT_NEAR(n.Discharge, 0.0, 1e-9) << n.Index;
    }
}

TEST_P(Surveyed, ManningNormalDepthInTrapezoid)
{
    const double q = 50, b = 30, m = 2, n = 0.035, slope = 0.0004, dx = 100;
    const int count = 41;
    const double yn = NormalDepth(q, b, m, n, slope);
    testmodel::BuildChain(count, dx, [&](NodeRecord& node, int i) {
        testmodel::SetSection(node, Trapezoid(b, m, 6.0, slope * (count - 1 - i) * dx), n, 150);
    });
    for (NodeRecord& node : g_NodeBlock) {
        node.HydroUnknowns[0] = testmodel::AreaAtStage(node, node.Invert + 1.2 * yn);
        node.HydroUnknowns[1] = 0.7 * q;
    }
    testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, q)}, {count - 1, 1, Constant(1, 0, yn, 0)}});
    g_ModelControl.Formulation = GetParam();
    g_ModelControl.MaxDeltaT = 300;
    g_EquationSystems[HydrodynamicSystem].Theta = 1.0;   // pseudo-time towards the steady state
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(RunToSteady(3600, 100 * 3600.0));
    double worst = 0;
    for (const NodeRecord& node : g_NodeBlock) {
        worst = std::max(worst, std::fabs(Depth(node) - yn) / yn);
        EXPECT_NEAR(node.Discharge, q, 1e-4 * q) << node.Index;
    }
    std::printf("trapezoid formulation %d: normal depth %.4f m, worst relative error %.5f\n", GetParam(), yn, worst);
    EXPECT_LT(worst, 0.002);
}

TEST_P(Surveyed, FloodConservesMass)
{
    CheckFloodMassBalance(GetParam(), 2.0);
}

INSTANTIATE_TEST_SUITE_P(NaturalFormulations, Surveyed, ::testing::Values(1, 2));

// ---------------------------------------------------------------------------------------
// Step rejection and peaks on a real channel
// ---------------------------------------------------------------------------------------
TEST_F(HydroCase, RejectedStepRestoresTheStartState)
{
    const double yn = NormalDepth(kQ, kB, 0, kN, kSlope);
    RectChannel(kCount, kDx, kB, kN, kSlope, yn, kQ);
    BoundaryInput surge;   // a steeply rising inflow from 3 h: the step has work to do
    surge.DischargeCode = 1;
    surge.Times = {0, 3 * 3600, 4 * 3600, 1e9};
    surge.Discharges = {kQ, kQ, 5 * kQ, 5 * kQ};
    surge.Stages.assign(4, 0.0);
    testmodel::SetBoundaries({{0, -1, surge}, {kCount - 1, 1, Constant(1, 0, yn, 0)}});
    ASSERT_EQ(testmodel::StartRun(), 0);
    ASSERT_TRUE(testmodel::RunTo(3 * 3600.0));
    std::vector<NodeRecord> start(g_NodeBlock.begin(), g_NodeBlock.end());

    // Two Newton iterations cannot reach this tolerance: the step is rejected after the node
    // hydraulics were refreshed at the first iterate.
    EquationSystem& es = g_EquationSystems[HydrodynamicSystem];
    es.MaxIterations = 2;
    es.Tolerance = 1e-15;
    ModelControl& mc = g_ModelControl;
    const double t = mc.ModelTime, dt = mc.DeltaT;
    ASSERT_EQ(testmodel::Step(), 0);
    EXPECT_EQ(mc.ModelTime, t);
    EXPECT_EQ(mc.DeltaT, 0.5 * dt);
    for (size_t i = 0; i < start.size(); ++i) {
        const NodeRecord& n = g_NodeBlock[i];
        EXPECT_EQ(n.HydroUnknowns[0], start[i].HydroUnknowns[0]);
        EXPECT_EQ(n.HydroUnknowns[1], start[i].HydroUnknowns[1]);
        // The node hydraulics are those of the restored state, not of the failed iterate.
        EXPECT_EQ(n.Stage, start[i].Stage);
        EXPECT_EQ(n.FlowArea, start[i].FlowArea);
        EXPECT_EQ(n.FrictionTerm, start[i].FrictionTerm);
        EXPECT_EQ(n.FluxDischarge, start[i].FluxDischarge);
    }
    // The repeated step with the half step and enough iterations goes through, and raises
    // the peaks.
    es.MaxIterations = 9;
    es.Tolerance = 1e-5;
    ASSERT_EQ(testmodel::Step(), 1);
    EXPECT_EQ(mc.ModelTime, t + 0.5 * dt);
    EXPECT_GT(g_NodeBlock[0].PeakStage, start[0].Stage);
    EXPECT_EQ(g_NodeBlock[0].PeakStageTime, mc.ModelTime);
    EXPECT_EQ(g_NodeBlock[0].PeakFluxDischarge, g_NodeBlock[0].FluxDischarge);
}

TEST_F(HydroCase, SeparateStressesWithoutIceUseOnlyBedFriction)
{
    // With the separate bed and ice stresses and no ice, the uniform depth balances the bed
    // friction term of the node hydraulics alone: Fb(y) Q = g A(y) S0.
    const double yManning = NormalDepth(kQ, kB, 0, kN, kSlope);
    RectChannel(kCount, kDx, kB, kN, kSlope, yManning, kQ);
    g_ModelControl.ResistanceModel = 1;
    NodeRecord probe = g_NodeBlock[0];
    const double y = Bisect(
        [&](double depth) {
            probe.HydroUnknowns[0] = kB * depth;
            probe.HydroUnknowns[1] = kQ;
            UpdateNodeHydraulics(&probe);
            EXPECT_EQ(probe.IceDrag, 0.0);
            return probe.BedFriction * kQ - g * probe.FlowArea * kSlope;
        },
        0.3 * yManning, 3 * yManning);
    for (int formulation : {0, 1}) {
        RectChannel(kCount, kDx, kB, kN, kSlope, yManning, kQ);
        testmodel::SetBoundaries({{0, -1, Constant(0, 1, 0, kQ)}, {kCount - 1, 1, Constant(1, 0, y, 0)}});
        g_ModelControl.ResistanceModel = 1;
        g_ModelControl.Formulation = formulation;
        g_ModelControl.MaxDeltaT = 300;
        g_EquationSystems[HydrodynamicSystem].Theta = 1.0;
        ASSERT_EQ(testmodel::StartRun(), 0);
        ASSERT_TRUE(RunToSteady(3600, 100 * 3600.0));
        for (const NodeRecord& n : g_NodeBlock) EXPECT_NEAR(Depth(n), y, 0.002 * y) << formulation << " " << n.Index;
    }
}
