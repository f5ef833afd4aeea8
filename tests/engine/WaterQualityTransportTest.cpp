// Transport of the water-quality values against closed forms: first-order decay and the
// Streeter-Phelps oxygen sag in steady uniform flow, a tracer pulse (mass, centroid and
// dispersion), mixing of a lateral inflow and at the confluence of a network, the mass balance of
// a tracer through a flood, and decay in still water (settling, hydrolysis, photolysis).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ModelBuilder.h"
#include "WaterQualityModel.h"
#include "engine/EngineData.h"
#include "engine/Hydraulics.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

using wqtest::Day;
using wqtest::MetalProcessesOff;
using wqtest::NodalMass;
using wqtest::NutrientProcessesOff;
using testmodel::AdvanceTo;
using wqtest::SetConstantSeries;
using wqtest::StartWaterQuality;
using wqtest::UniformChannel;

namespace {

class WQTransport : public ::testing::Test {
protected:
    void TearDown() override
    {
        ReleaseModel();
        SetModelDefaults();
    }
};

// A measured figure as the test reports it.
std::string Figure(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", x);
    return text;
}

// Value k of every node in chain order.
std::vector<double> Profile(int k)
{
    std::vector<double> v;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) v.push_back(n->WQUnknowns[k]);
    return v;
}

void SetEverywhere(int k, double value)
{
    for (NodeRecord* n = g_Nodes; n; n = n->Next) n->WQUnknowns[k] = value;
}

// Oxygen saturation (mg/L) of the kinetics at 20 degC: the reaeration rate into water without
// oxygen, AOne Osat, with AOne 1.
double SaturationAt20()
{
    NodeRecord node;
    SetNodeDefaults(&node);
    node.Stage = 1;
    ModelControl saved = g_ModelControl;
    ModelControl& mc = g_ModelControl;
    NutrientProcessesOff();
    mc.AOne = 1;
    mc.ThetaRear = 1;
    mc.EOne = mc.ETwo = mc.EThree = 0;
    mc.WaterTemperature = 20;
    ComputeWQKinetics(&node);
    const double saturation = node.WQRates[0] * Day;
    g_ModelControl = saved;
    return saturation;
}

// Water of the given oxygen and BOD (mg/L) enters the channel and fills it at the start, so that
// the reach settles smoothly into its steady state; three travel times of the channel.
bool RunBODLoadToSteadyState(const UniformChannel& channel, double oxygen, double bod)
{
    SetConstantSeries(g_BoundaryElementBlock[0], {oxygen, 0, 0, bod, 0, 0, 0, 0, 0});
    SetEverywhere(0, oxygen);
    SetEverywhere(3, bod);
    StartWaterQuality(600);
    return AdvanceTo(RunWaterQualityStep, 3 * (channel.nodes - 1) * channel.dx / channel.velocity);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Steady uniform flow
// ---------------------------------------------------------------------------------------

// BOD decaying at k per day along a channel at velocity U: L = L0 exp(-k x / U).
TEST_F(WQTransport, BODDecaysAsExpMinusKxOverU)
{
    UniformChannel channel;
    channel.nodes = 126;
    channel.dx = 80;   // 10 km
    channel.Build();
    ModelControl& mc = g_ModelControl;
    NutrientProcessesOff();
    mc.WaterTemperature = 20;
    mc.KBOD = 2;   // per day
    mc.Ks = 0;
    const double L0 = 10;
    ASSERT_TRUE(RunBODLoadToSteadyState(channel, 50, L0));

    const std::vector<double> bod = Profile(3);
    double worst = 0;
    for (int i = 0; i < channel.nodes; ++i) {
        const double x = i * channel.dx;
        const double expected = L0 * std::exp(-mc.KBOD / Day * x / channel.velocity);
        worst = std::max(worst, std::fabs(bod[i] / expected - 1));
    }
    EXPECT_LT(worst, 0.01);
    RecordProperty("largest relative error", Figure(worst));
}

// The deficit below saturation D = Osat - O of water that receives BOD L0 at saturation:
// D(t) = kd L0 / (ka - kd) (exp(-kd t) - exp(-ka t)), greatest at t = ln(ka / kd) / (ka - kd)
// where it is kd / ka L0 exp(-kd t).
TEST_F(WQTransport, OxygenSagOfStreeterAndPhelps)
{
    UniformChannel channel;
    channel.nodes = 201;
    channel.dx = 75;   // 15 km
    channel.Build();
    ModelControl& mc = g_ModelControl;
    NutrientProcessesOff();
    mc.WaterTemperature = 20;
    const double kd = 4, ka = 8, L0 = 10;   // per day, per day, mg/L
    mc.KBOD = kd;
    mc.ThetaBOD = 1;
    mc.Ks = 0;
    mc.AOne = ka;
    mc.ThetaRear = 1;
    mc.EOne = mc.ETwo = mc.EThree = 0;
    const double saturation = SaturationAt20();
    ASSERT_TRUE(RunBODLoadToSteadyState(channel, saturation, L0));

    const double tc = std::log(ka / kd) / (ka - kd) * Day;
    const double xc = channel.velocity * tc;
    const double Dc = kd / ka * L0 * std::exp(-kd * tc / Day);

    // The greatest deficit of the nodes, placed by the parabola through it and its neighbours.
    const std::vector<double> oxygen = Profile(0);
    const int m = static_cast<int>(std::min_element(oxygen.begin() + 1, oxygen.end() - 1) - oxygen.begin());
    const double d0 = saturation - oxygen[m - 1], d1 = saturation - oxygen[m], d2 = saturation - oxygen[m + 1];
    const double shift = 0.5 * (d0 - d2) / (d0 - 2 * d1 + d2);
    const double position = (m + shift) * channel.dx;
    const double size = d1 - 0.25 * (d0 - d2) * shift;
    EXPECT_NEAR(position / xc, 1.0, 0.02) << position << " m against " << xc;
    EXPECT_NEAR(size / Dc, 1.0, 0.02) << size << " mg/L against " << Dc;
    RecordProperty("position error", Figure(position / xc - 1));
    RecordProperty("size error", Figure(size / Dc - 1));
}

namespace {

// A tracer pulse, exp(-(x - x0)^2 / (2 s0^2)), in a channel of steady uniform flow with every
// process off, the upstream inflow clean.
struct Pulse {
    double x0 = 2000, s0 = 200;
    UniformChannel channel;

    void Start(double upwinding, int updating, double dispersion, double step)
    {
        channel.nodes = 251;
        channel.dx = 40;   // 10 km
        channel.Build();
        ModelControl& mc = g_ModelControl;
        MetalProcessesOff(WQHeavyMetals);
        mc.DispersionCoefficient = dispersion;
        SetConstantSeries(g_BoundaryElementBlock[0], {0, 0, 0, 0, 0, 0, 0, 0, 0});
        for (NodeRecord* n = g_Nodes; n; n = n->Next) {
            const double z = (n->Chainage - x0) / s0;
            n->WQUnknowns[0] = 10 * std::exp(-0.5 * z * z);
        }
        StartWaterQuality(step);
        EquationSystem& es = g_EquationSystems[WaterQualitySystem];
        es.Upwinding = upwinding;
        es.UpwindingUpdating = updating;
    }

    // Centroid (m) and variance (m2) of the dissolved value's nodal mass.
    static void Moments(double* centroid, double* variance)
    {
        double m0 = 0, m1 = 0, m2 = 0;
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
            const double m = n->FlowArea * n->WQUnknowns[0];
            m0 += m;
            m1 += m * n->Chainage;
            m2 += m * n->Chainage * n->Chainage;
        }
        *centroid = m1 / m0;
        *variance = m2 / m0 - *centroid * *centroid;
    }
};

}  // namespace

// The pulse keeps its mass while inside the reach and moves at the flow velocity, with and
// without upwinding.
TEST_F(WQTransport, TracerPulseKeepsItsMassAndMovesWithTheFlow)
{
    for (double upwinding : {0.25, 0.0}) {
        SCOPED_TRACE(testing::Message() << "upwinding " << upwinding);
        Pulse pulse;
        pulse.Start(upwinding, 0, 0, 120);
        const double mass0 = NodalMass(0);
        double c0, v0;
        Pulse::Moments(&c0, &v0);
        double worstMass = 0, worstCentroid = 0;
        const double u = pulse.channel.velocity;
        ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, 3 * 3600, [&] {
            worstMass = std::max(worstMass, std::fabs(NodalMass(0) / mass0 - 1));
            double c, v;
            Pulse::Moments(&c, &v);
            worstCentroid = std::max(worstCentroid, std::fabs(c - (c0 + u * g_ModelControl.ModelTime)));
        }));
        EXPECT_LT(worstMass, 1e-9);
        EXPECT_LT(worstCentroid, pulse.channel.dx);
        RecordProperty(upwinding > 0 ? "mass error upwinded" : "mass error", Figure(worstMass));
        RecordProperty(upwinding > 0 ? "centroid error upwinded" : "centroid error", Figure(worstCentroid));
        ReleaseModel();
    }
}

// Without upwinding the pulse spreads by the dispersion alone: its variance grows by 2 E t,
// with E = k h sqrt(g Sf R) of the uniform flow (Manning's friction slope, rectangle's radius).
TEST_F(WQTransport, TracerPulseSpreadsByTheDispersion)
{
    Pulse pulse;
    const double k = 120;
    pulse.Start(0.0, 0, k, 60);
    const UniformChannel& c = pulse.channel;
    const double radius = c.Area() / (c.width + 2 * c.depth);
    const double E = k * c.depth * std::sqrt(9.81 * c.Slope() * radius);
    ASSERT_GT(E, c.velocity * c.dx / 2);   // the grid resolves the pulse's front

    double c0, v0;
    Pulse::Moments(&c0, &v0);
    const double t = 3 * 3600;
    ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, t));
    double c1, v1;
    Pulse::Moments(&c1, &v1);
    EXPECT_NEAR((v1 - v0) / (2 * E * t), 1.0, 0.05) << "E " << E << " m2/s";
    RecordProperty("variance growth error", Figure((v1 - v0) / (2 * E * t) - 1));
}

// Updating mode 2 switches the upwinding off, whatever its coefficient.
TEST_F(WQTransport, UpwindingUpdatingTwoIsNoUpwinding)
{
    std::vector<double> without, updatingTwo;
    for (int run = 0; run < 2; ++run) {
        Pulse pulse;
        if (run == 0)
            pulse.Start(0.0, 0, 10, 60);
        else
            pulse.Start(0.25, 2, 10, 60);
        ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, 1800));
        (run == 0 ? without : updatingTwo) = Profile(0);
        ReleaseModel();
    }
    EXPECT_EQ(without, updatingTwo);
    // And the upwinding does change the result when it is on.
    Pulse pulse;
    pulse.Start(0.25, 0, 10, 60);
    ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, 1800));
    EXPECT_NE(Profile(0), without);
}

// ---------------------------------------------------------------------------------------
// Mixing
// ---------------------------------------------------------------------------------------

// A lateral inflow of a tracer into clean water mixes to Ql Cl / (Q + Ql) below it.
TEST_F(WQTransport, LateralInflowMixesWithTheFlow)
{
    const int nodes = 41;
    const double dx = 100, width = 20, n = 0.03, slope = 2e-4, q = 30, ql = 10, cl = 12;
    testmodel::BuildChain(nodes, dx, [&](NodeRecord& node, int i) {
        node.RectWidth = width;
        node.ManningN = n;
        node.Invert = 100 + slope * (nodes - 1 - i) * dx;
        node.HydroUnknowns[0] = width * 2;
        node.HydroUnknowns[1] = i < 15 ? q : q + ql;
    });
    testmodel::SetBoundaries({{0, -1, testmodel::Constant(0, 1, 0, q)},
                              {15, -1, testmodel::Constant(0, 99, 0, ql)},
                              {nodes - 1, 1, testmodel::Constant(1, 0, 102, q + ql)}});
    ASSERT_EQ(testmodel::StartRun(), 0);
    ModelControl& mc = g_ModelControl;
    mc.DeltaT = mc.MaxDeltaT = 60;
    ASSERT_TRUE(testmodel::RunToSteady(600, 2e5));

    MetalProcessesOff(WQHeavyMetals);
    SetConstantSeries(g_BoundaryElementBlock[0], {0, 0, 0, 0, 0, 0, 0, 0, 0});
    SetConstantSeries(g_BoundaryElementBlock[1], {0, 0, 0, 0, 0, 0, cl, 0, 0});
    StartWaterQuality(120);
    ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, 8 * 3600));

    const double mixed = ql * cl / (q + ql);
    const std::vector<double> tracer = Profile(0);
    double worst = 0;
    for (int i = 17; i < nodes; ++i) {
        EXPECT_NEAR(tracer[i] / mixed, 1.0, 2e-3) << "node " << i;
        worst = std::max(worst, std::fabs(tracer[i] / mixed - 1));
    }
    RecordProperty("largest mixing error", Figure(worst));
}

// The branched example: a tributary of 20 m3/s of clean water joins a river of 40 m3/s that
// carries a tracer; below the confluence, and in both branches below the split, the tracer is
// mixed to 40 C / 60.
TEST_F(WQTransport, ConfluenceOfTheNetworkMixesByDischarge)
{
    ASSERT_EQ(LoadModelFile(VASQUIL_SOURCE_DIR "/examples/sample-network.vqx"), 0);
    // Steady inflows: 40 m3/s into the river, 20 m3/s into the tributary.
    const double inflows[2] = {40, 20};
    for (int b = 0; b < 2; ++b) {
        BoundaryHydrograph* h = g_BoundaryElementBlock[b].Hydrograph;
        ASSERT_NE(h, nullptr);
        std::fill(h->Columns[2].begin(), h->Columns[2].begin() + h->RowCount, inflows[b]);
    }
    ModelControl& mc = g_ModelControl;
    mc.DeltaT = mc.MaxDeltaT = 60;
    ASSERT_TRUE(testmodel::RunToSteady(1800, 4e5));

    MetalProcessesOff(WQHeavyMetals);
    const double c = 9;
    SetConstantSeries(g_BoundaryElementBlock[0], {0, 0, 0, 0, 0, 0, c, 0, 0});
    SetConstantSeries(g_BoundaryElementBlock[1], {0, 0, 0, 0, 0, 0, 0, 0, 0});
    StartWaterQuality(120);
    ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, 12 * 3600));

    const double mixed = inflows[0] * c / (inflows[0] + inflows[1]);
    double worst = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
        if (n->Number < 13) continue;   // above the confluence
        EXPECT_NEAR(n->WQUnknowns[0] / mixed, 1.0, 2e-3) << "node " << n->Number;
        worst = std::max(worst, std::fabs(n->WQUnknowns[0] / mixed - 1));
    }
    RecordProperty("largest mixing error", Figure(worst));
}

// A tracer entering the example river through its flood: what the reach holds at the end
// equals what came in (the series' discharge times its concentration, integrated exactly over
// the hydrograph) less what left through the downstream end (the discharge there times the
// value, by the trapezoidal rule over the steps).
TEST_F(WQTransport, TracerMassBalanceThroughAFlood)
{
    ASSERT_EQ(LoadModelFile(VASQUIL_SOURCE_DIR "/examples/sample-river.vqx"), 0);
    ModelControl& mc = g_ModelControl;
    MetalProcessesOff(WQHeavyMetals);
    BoundaryElementRecord& inflow = g_BoundaryElementBlock[0];
    // A concentration that rises and falls over the flood.
    const std::vector<double> times = {0, 4 * 3600.0, 10 * 3600.0, 20 * 3600.0, 1e12};
    const std::vector<double> concentrations = {2, 2, 8, 1, 1};
    SetConstantSeries(inflow, {0, 0, 0, 0, 0, 0, 0, 0, 0});
    inflow.WQHydrograph->RowCount = static_cast<int>(times.size());
    for (auto& column : inflow.WQHydrograph->Columns) column.assign(times.size(), 0.0);
    inflow.WQHydrograph->Columns[0] = times;
    inflow.WQHydrograph->Columns[7] = concentrations;
    mc.HydrodynamicsOn = 1;
    StartWaterQuality(60, 1e-10);
    mc.MaxDeltaT = 300;

    const BoundaryHydrograph* flood = inflow.Hydrograph;
    auto linear = [](const std::vector<double>& xs, const double* ys, double x) {
        size_t k = 1;
        while (k + 1 < xs.size() && xs[k] < x) ++k;
        return ys[k - 1] + (ys[k] - ys[k - 1]) * (x - xs[k - 1]) / (xs[k] - xs[k - 1]);
    };
    const std::vector<double> floodTimes(flood->Columns[0].begin(), flood->Columns[0].begin() + flood->RowCount);
    auto massFlux = [&](double t) {
        return linear(floodTimes, flood->Columns[2].data(), t) * linear(times, concentrations.data(), t);
    };

    const NodeRecord* outlet = g_BoundaryElementBlock[1].Node();
    const double start = NodalMass(0);
    double in = 0, out = 0, last = 0;
    ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, 30 * 3600, [&] {
        const double t = mc.ModelTime;
        // Simpson's rule on pieces short against the series' rows.
        const int pieces = 64;
        const double h = (t - last) / pieces;
        for (int i = 0; i < pieces; ++i) {
            const double a = last + i * h;
            in += h / 6 * (massFlux(a) + 4 * massFlux(a + h / 2) + massFlux(a + h));
        }
        out += 0.5 * (t - last) *
               (outlet->Discharge * outlet->WQUnknowns[0] + outlet->PreviousDischarge * outlet->PreviousWQUnknowns[0]);
        last = t;
    }));
    const double held = NodalMass(0) - start;
    EXPECT_NEAR((held - (in - out)) / in, 0.0, 1e-3) << "held " << held << " g, in " << in << " g, out " << out << " g";
    RecordProperty("balance error", Figure((held - (in - out)) / in));
}

// ---------------------------------------------------------------------------------------
// Still water
// ---------------------------------------------------------------------------------------

namespace {

// A level rectangular pool of still water `depth` deep, without boundaries.
void BuildPool(double depth)
{
    testmodel::BuildChain(6, 100, [&](NodeRecord& n, int) {
        n.RectWidth = 10;
        n.Invert = 50;
        n.HydroUnknowns[0] = n.PreviousHydroUnknowns[0] = 10 * depth;
    });
    g_ModelControl.HydrodynamicsOn = 0;
    for (NodeRecord& n : g_NodeBlock) UpdateNodeHydraulics(&n);
    ShiftTimeLevel();
}

}  // namespace

// Suspended solids settle at Ws per day over the depth, SS0 exp(-Ws t / H), onto the bed,
// which gains what the water loses.
TEST_F(WQTransport, SuspendedSolidsSettleInStillWater)
{
    ModelControl& mc = g_ModelControl;
    for (double depth : {0.5, 2.0, 6.0}) {
        SCOPED_TRACE(testing::Message() << "depth " << depth);
        BuildPool(depth);
        MetalProcessesOff(WQHeavyMetals);
        mc.Ws = 1.5;   // m/day
        mc.Ucrit = 1;
        const double ss0 = 40, bed0 = 100;
        for (NodeRecord* n = g_Nodes; n; n = n->Next) {
            n->WQUnknowns[2] = ss0;
            n->WQUnknowns[5] = bed0;
        }
        StartWaterQuality(60);   // the theta scheme's error over two days stays below 1e-5
        const double t = 2 * Day;
        ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, t));
        const double expected = ss0 * std::exp(-mc.Ws * t / Day / depth);
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) {
            EXPECT_NEAR(n->WQUnknowns[2] / expected, 1.0, 1e-5);
            EXPECT_NEAR(n->WQUnknowns[5], bed0 + depth * (ss0 - expected), 1e-6 * bed0);
        }
        ReleaseModel();
    }
}

// Hydrolysis at k = 10^-pH Khac + Khne + 10^(pH - 14) Khal per day, and photolysis at the
// surface rate Kpho times the light averaged over the depth, (1 - exp(-alpha H)) / (alpha H):
// the dissolved xenobiotic decays as exp(-k t).
TEST_F(WQTransport, XenobioticsDecayInStillWater)
{
    ModelControl& mc = g_ModelControl;
    struct Case {
        const char* name;
        double pH, khac, khne, khal;
        double kpho, alpha;
        double rate;   // per day
    };
    const double depth = 3;
    const Case cases[] = {
        {"neutral hydrolysis", 7, 0, 0.4, 0, 0, 0.1, 0.4},
        {"acid hydrolysis at pH 5", 5, 2e4, 0.1, 0, 0, 0.1, 2e4 * 1e-5 + 0.1},
        {"alkaline hydrolysis at pH 9", 9, 0, 0, 3e4, 0, 0.1, 3e4 * 1e-5},
        {"all three at pH 8", 8, 1e7, 0.05, 1e5, 0, 0.1, 1e7 * 1e-8 + 0.05 + 1e5 * 1e-6},
        {"photolysis in clear water", 7, 0, 0, 0, 0.9, 0.05, 0.9 * (1 - std::exp(-0.05 * depth)) / (0.05 * depth)},
        {"photolysis in turbid water", 7, 0, 0, 0, 0.9, 3, 0.9 * (1 - std::exp(-3 * depth)) / (3 * depth)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildPool(depth);
        MetalProcessesOff(WQXenobiotics);
        mc.PHw = c.pH;
        mc.Khac = c.khac;
        mc.Khne = c.khne;
        mc.Khal = c.khal;
        mc.Kpho = c.kpho;
        mc.AlphaL = c.alpha;
        const double c0 = 5;
        SetEverywhere(0, c0);
        StartWaterQuality(300);
        const double t = Day;
        ASSERT_TRUE(AdvanceTo(RunWaterQualityStep, t));
        const double expected = c0 * std::exp(-c.rate * t / Day);
        for (const NodeRecord* n = g_Nodes; n; n = n->Next) EXPECT_NEAR(n->WQUnknowns[0] / expected, 1.0, 1e-5);
        ReleaseModel();
    }
}

// ---------------------------------------------------------------------------------------
// Boundaries
// ---------------------------------------------------------------------------------------

// What each kind of boundary does to the values: an inflow through a discharge hydrograph
// brings the series' concentrations with the series' discharge; wherever else water crosses
// (stage hydrograph, rating curve, a free end, a discharge hydrograph the water leaves by), it
// carries the node's own values out (or in); a lateral inflow enters through its elements and
// a looped rating curve lets nothing through.
TEST_F(WQTransport, BoundariesBringTheSeriesOrCarryTheNodesValues)
{
    enum Expect { Series, Local, Nothing };
    const struct {
        const char* name;
        int stageCode, dischargeCode;
        double position, seriesDischarge;
        Expect expect;
    } cases[] = {
        {"inflow upstream", 0, 1, -1, 4, Series},
        {"inflow turned out of the reach upstream", 0, 1, -1, -4, Local},
        {"discharge hydrograph downstream", 0, 1, 1, 4, Local},
        {"inflow at a downstream end", 0, 1, 1, -4, Series},
        {"stage hydrograph downstream", 1, 0, 1, 0, Local},
        {"stage hydrograph upstream", 1, 0, -1, 0, Local},
        {"rating curve", 2, 2, 1, 0, Local},
        {"discharge rating alone", 0, 2, 1, 0, Local},
        {"free end", 0, 0, 1, 0, Local},
        {"stage and discharge hydrographs: the discharge drives", 1, 1, -1, 4, Series},
        {"lateral inflow", 0, 99, -1, 4, Nothing},
        {"looped rating curve", 0, 3, 1, 0, Nothing},
    };
    ModelControl& mc = g_ModelControl;
    for (int type : {WQNutrients, WQXenobiotics}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", type " << type);
            testmodel::BuildChain(2, 100, [](NodeRecord& n, int) {
                n.Discharge = 3.5;   // not the series' discharge
                n.PreviousDischarge = 2.5;
                for (int k = 0; k < 6; ++k) {
                    n.WQUnknowns[k] = 1 + k;
                    n.PreviousWQUnknowns[k] = 10 + k;
                }
            });
            testmodel::SetBoundaries({{0, c.position, testmodel::Constant(c.stageCode, c.dischargeCode, 1, c.seriesDischarge)}});
            BoundaryElementRecord& b = g_BoundaryElementBlock[0];
            SetConstantSeries(b, {20, 21, 22, 23, 24, 25, 26, 27, 28});
            mc.WQFileType = type;
            mc.DeltaT = 100;
            EquationSystem& es = g_EquationSystems[WaterQualitySystem];
            es.UnknownsPerNode = 6;
            es.Theta = 0.6;
            mc.ElementVector.assign(13, 0.0);
            ComputeWQBoundaryResidual(&b);

            const NodeRecord* n = b.Node();
            const int moving = type == WQNutrients ? 6 : 3;
            for (int k = 0; k < 6; ++k) {
                double expected = 0;
                if (k < moving && c.expect == Series) {
                    const double inflow = type == WQNutrients ? 20 + k : 26 + k;
                    expected = inflow * c.seriesDischarge * -c.position * mc.DeltaT;
                } else if (k < moving && c.expect == Local) {
                    expected = -c.position * mc.DeltaT *
                               (0.6 * n->Discharge * n->WQUnknowns[k] + 0.4 * n->PreviousDischarge * n->PreviousWQUnknowns[k]);
                }
                EXPECT_NEAR(mc.ElementVector[k], expected, 1e-9 * (1 + std::fabs(expected))) << "value " << k;
            }
            ReleaseModel();
        }
    }
}
