// Water-quality kinetics of one node: conservation of metal and solids by the exchange
// processes, and of phosphorus by its exchange, on random states; oxygen saturation against the
// published solubility of oxygen in fresh water; photolysis against a numerical depth average of
// the light; production over the day; and the edge cases of the rates (no oxygen, shallow nodes,
// night and polar night, reverse flow, no bed sediment, the limiting of a sink within one step).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "WaterQualityModel.h"
#include "engine/EngineData.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace {

using wqtest::Day;
using wqtest::DecayOff;
using wqtest::MetalProcessesOff;
using wqtest::NutrientProcessesOff;

class WQKinetics : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetModelDefaults();
        SetNodeDefaults(&node_);
        ModelControl& mc = g_ModelControl;
        mc.WaterTemperature = 20;
        mc.DeltaT = 1e-3;   // the limiting of a rate does not bind in so short a step
        SetSite(2.0, 0.5, 1e-4);
    }
    void TearDown() override { SetModelDefaults(); }

    // Depth H (m) over an invert at 100 m, velocity (m/s) and water-surface fall (m/m).
    void SetSite(double depth, double velocity, double slope)
    {
        node_.Invert = 100;
        node_.Stage = 100 + depth;
        node_.Velocity = velocity;
        node_.SurfaceSlope = slope;
    }

    // The six rates per day of the values v, for the loaded type.
    std::vector<double> RatesPerDay(const std::vector<double>& v)
    {
        for (int k = 0; k < 6; ++k) node_.WQUnknowns[k] = v[k];
        ComputeWQKinetics(&node_);
        const double* r = g_ModelControl.WQFileType == WQNutrients ? node_.WQRates : node_.MetalRates;
        std::vector<double> perDay(6);
        for (int k = 0; k < 6; ++k) perDay[k] = r[k] * Day;
        return perDay;
    }

    // At 20 degC in a short step, with the case's coefficients: finite rates, as expected
    // (per day).
    void ExpectRates(void (*setup)(ModelControl& mc), const std::vector<double>& values,
                     const std::vector<double>& expected)
    {
        ModelControl& mc = g_ModelControl;
        mc.WaterTemperature = 20;
        mc.DeltaT = 1e-3;
        setup(mc);
        const std::vector<double> r = RatesPerDay(values);
        for (int k = 0; k < 6; ++k) {
            EXPECT_TRUE(std::isfinite(r[k])) << k;
            EXPECT_NEAR(r[k], expected[k], 1e-12 * (1 + std::fabs(expected[k]))) << k;
        }
    }

    NodeRecord node_;
};

// ---------------------------------------------------------------------------------------
// Conservation on random states
// ---------------------------------------------------------------------------------------

// With the decay processes off, adsorption, desorption, diffusion, settling and resuspension
// only move metal between the water column (per bed area: H (Cw + Aw)) and the bed (Cs + As),
// and solids between the water (H SS) and the bed (M), apart from the particle production Rp.
TEST_F(WQKinetics, MetalExchangesKeepTotalMetalAndSolids)
{
    std::mt19937 random(20240611);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    // Half of the draws of a value are 0 or a small value, so every guard is crossed.
    auto value = [&](double hi) {
        const double u = uniform(0, 1);
        return u < 0.15 ? 0.0 : (u < 0.3 ? uniform(0, 1e-3) : uniform(0, hi));
    };
    ModelControl& mc = g_ModelControl;
    for (int type : {WQHeavyMetals, WQXenobiotics}) {
        for (int trial = 0; trial < 4000; ++trial) {
            SetModelDefaults();
            DecayOff(type);
            mc.DeltaT = 1e-9;   // nothing is limited, and the bed at Rs
            mc.WaterTemperature = uniform(0, 30);
            mc.Koc = uniform(0, 1e5);
            mc.Kw = uniform(0, 5);
            mc.KsSediment = uniform(0, 1);
            mc.Focw = uniform(0, 0.5);
            mc.Focs = uniform(0, 0.5);
            mc.Dzf = uniform(0.01, 0.2);
            mc.Fdzds = uniform(0, 1);
            mc.Fbiot = uniform(0, 3);
            mc.Mw = uniform(1, 300);
            mc.RhoDs = uniform(50, 2000);
            mc.Ps = uniform(0.1, 0.95);
            mc.Ws = uniform(0, 5);
            mc.Rs = uniform(0, 2000);
            mc.Rp = uniform(0, 10);
            mc.Ucrit = uniform(0, 1.5);
            if (type == WQHeavyMetals) {
                // Heavy metals take none of the decay processes, whatever their coefficients.
                mc.Kbw = uniform(0, 5);
                mc.Kpho = uniform(0, 5);
                mc.KH = uniform(0, 100);
                mc.Khne = uniform(0, 5);
            }
            SetSite(uniform(-0.5, 5), uniform(-2, 2), uniform(-1e-3, 1e-3));
            const double H = std::max(node_.Stage - node_.Invert, 0.01);
            const std::vector<double> v = {value(10), value(10), value(200), value(50), value(50), value(20000)};
            const std::vector<double> r = RatesPerDay(v);
            const double metal = H * (r[0] + r[1]) + r[3] + r[4];
            const double solids = H * r[2] + r[5] - mc.Rp;
            const double scale = 1e-12 * (1 + H * (std::fabs(r[0]) + std::fabs(r[1])) + std::fabs(r[3]) +
                                          std::fabs(r[4]) + H * std::fabs(r[2]) + std::fabs(r[5]));
            ASSERT_NEAR(metal, 0.0, scale) << "type " << type << " trial " << trial;
            ASSERT_NEAR(solids, 0.0, scale) << "type " << type << " trial " << trial;
            for (double x : r) ASSERT_TRUE(std::isfinite(x)) << "type " << type << " trial " << trial;
        }
    }
}

// A kinetics refresh writes no field its copy does not name, and copying the named fields out and
// back undoes a refresh at other values, byte for byte: the differencing of the water quality
// puts its perturbed nodes back that way. Every type, at values whose rates differ.
TEST_F(WQKinetics, ACopyOfTheRefreshedFieldsUndoesARefresh)
{
    const size_t fields[][2] = {{offsetof(NodeRecord, WQValues), sizeof node_.WQValues},
                                {offsetof(NodeRecord, WQRates), sizeof node_.WQRates},
                                {offsetof(NodeRecord, MetalValues), sizeof node_.MetalValues},
                                {offsetof(NodeRecord, MetalRates), sizeof node_.MetalRates}};
    const auto declared = [&](size_t byte) {
        for (const auto& f : fields)
            if (byte >= f[0] && byte < f[0] + f[1]) return true;
        return false;
    };
    const double a[6] = {8, 2, 0.5, 1.5, 3, 40}, b[6] = {1, 0, 4, 0.2, 12, 900};
    for (int type : {WQNutrients, WQHeavyMetals, WQXenobiotics}) {
        SCOPED_TRACE(type);
        g_ModelControl.WQFileType = type;
        NodeRecord start, atA;
        std::copy(a, a + 6, node_.WQUnknowns);
        std::memcpy(static_cast<void*>(&start), &node_, sizeof node_);
        ComputeWQKinetics(&node_);
        const auto* b0 = reinterpret_cast<const unsigned char*>(&start);
        const auto* b1 = reinterpret_cast<const unsigned char*>(&node_);
        for (size_t k = 0; k < sizeof node_; ++k) {
            ASSERT_TRUE(b0[k] == b1[k] || declared(k)) << "undeclared byte " << k;
        }

        std::memcpy(static_cast<void*>(&atA), &node_, sizeof node_);
        NodeWQCopy copy;
        SaveNodeWQState(&node_, &copy);
        std::copy(b, b + 6, node_.WQUnknowns);
        ComputeWQKinetics(&node_);
        EXPECT_NE(std::memcmp(&node_, &atA, sizeof node_), 0);
        std::copy(a, a + 6, node_.WQUnknowns);
        RestoreNodeWQState(&node_, &copy);
        EXPECT_EQ(std::memcmp(&node_, &atA, sizeof node_), 0);
    }
}

// Release and formation exchange phosphorus between its ortho and particulate forms.
TEST_F(WQKinetics, PhosphorusExchangeKeepsItsSum)
{
    std::mt19937 random(7);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    ModelControl& mc = g_ModelControl;
    for (int trial = 0; trial < 2000; ++trial) {
        NutrientProcessesOff();
        mc.Krel = uniform(0, 2);
        mc.Kads = uniform(0, 2);
        mc.ThetaRel = uniform(0.9, 1.1);
        mc.ThetaAds = uniform(0.9, 1.1);
        mc.WaterTemperature = uniform(0, 30);
        SetSite(uniform(0.1, 5), uniform(-2, 2), 1e-4);
        const std::vector<double> r =
            RatesPerDay({uniform(0, 12), uniform(0, 2), uniform(0, 5), uniform(0, 30), uniform(0, 1), uniform(0, 1)});
        ASSERT_NEAR(r[4] + r[5], 0.0, 1e-12 * (std::fabs(r[4]) + std::fabs(r[5]) + 1)) << trial;
        ASSERT_NE(r[4], 0.0) << trial;
    }
}

// ---------------------------------------------------------------------------------------
// Oxygen saturation and photolysis against independent references
// ---------------------------------------------------------------------------------------

// Solubility of oxygen (mg/L) in fresh water under one atmosphere, after Benson and Krause
// (1984), as published in Standard Methods 4500-O.
double PublishedOxygenSolubility(double celsius)
{
    const double t = celsius + 273.15;
    return std::exp(-139.34411 + 1.575701e5 / t - 6.642308e7 / (t * t) + 1.243800e10 / (t * t * t) -
                    8.621949e11 / (t * t * t * t));
}

// Reaeration alone into water without oxygen: the rate is AOne Osat.
TEST_F(WQKinetics, OxygenSaturationFollowsPublishedSolubility)
{
    ModelControl& mc = g_ModelControl;
    NutrientProcessesOff();
    mc.AOne = 1;
    mc.ThetaRear = 1;
    for (double t = 0; t <= 30; t += 0.5) {
        mc.WaterTemperature = t;
        const double saturation = RatesPerDay({0, 0, 0, 0, 0, 0})[0];
        const double published = PublishedOxygenSolubility(t);
        EXPECT_NEAR(saturation / published, 1.0, 0.02) << t << " degC: " << saturation << " against " << published;
    }
    // A thermal model's water has each node's own temperature.
    mc.FileType = 3;
    mc.WaterTemperature = 25;
    node_.WaterTemp = 4;
    EXPECT_NEAR(RatesPerDay({0, 0, 0, 0, 0, 0})[0] / PublishedOxygenSolubility(4), 1.0, 0.02);
    // A few published values themselves, as a check of the reference.
    EXPECT_NEAR(PublishedOxygenSolubility(0), 14.62, 0.01);
    EXPECT_NEAR(PublishedOxygenSolubility(20), 9.09, 0.01);
    EXPECT_NEAR(PublishedOxygenSolubility(30), 7.56, 0.01);
}

// Photolysis removes the dissolved xenobiotic at the surface rate Kpho times the light averaged
// over the depth, exp(-alpha z) integrated by Simpson's rule: a sink at every attenuation.
TEST_F(WQKinetics, PhotolysisIsTheDepthAveragedSurfaceRate)
{
    ModelControl& mc = g_ModelControl;
    const struct {
        double alpha, stageAboveInvert, depth;
    } cases[] = {
        {0.1, 2, 2}, {2, 5, 5}, {25, 3, 3}, {1e-9, 1, 1}, {0, 3, 3}, {4, -1, 0.01}, {0.5, 0.004, 0.01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "alpha " << c.alpha << ", depth " << c.depth);
        MetalProcessesOff(WQXenobiotics);
        mc.Kpho = 0.8;
        mc.AlphaL = c.alpha;
        SetSite(c.stageAboveInvert, 0, 0);
        const int intervals = 20000;
        const double h = c.depth / intervals;
        double sum = 0;
        for (int i = 0; i <= intervals; ++i) {
            const double weight = i == 0 || i == intervals ? 1 : (i % 2 ? 4 : 2);
            sum += weight * std::exp(-c.alpha * i * h);
        }
        const double average = sum * h / 3 / c.depth;
        const double cw = 3.0;
        const double rate = RatesPerDay({cw, 0, 0, 0, 0, 0})[0];
        EXPECT_LT(rate, 0.0);
        EXPECT_NEAR(-rate / (mc.Kpho * cw), average, 1e-9);
    }
}

// ---------------------------------------------------------------------------------------
// Edge cases
// ---------------------------------------------------------------------------------------

// Sedimentation and resuspension of BOD and of particulate phosphorus, below and above 1 m/s.
void BedExchange(ModelControl& m)
{
    m.Ksus = 0.5;
    m.Ksed = 0.8;
    m.Ucrit = 1;
    m.KPres = 0.5;
    m.KPdep = 0.8;
    m.UPcrit = 1;
}

TEST_F(WQKinetics, NutrientEdgeCases)
{
    struct Case {
        const char* name;
        void (*setup)(ModelControl& mc);
        double depth, velocity, slope;
        std::vector<double> values;    // O, NH, NO, L, OP, PP
        std::vector<double> expected;  // rates per day
    };
    const Case cases[] = {
        {"no oxygen: no respiration, BOD decay, nitrification or sediment demand, even with Ks 0",
         [](ModelControl& m) {
             m.Ks = 0;
             m.Rresp = 3;
             m.KBOD = 0.5;
             m.Knit = 1.5;
             m.KSOD = 2;
             m.YBOD = 0.3;
         },
         2, 0.5, 1e-4, {0, 1, 0, 10, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"oxygen limitation O^2 / (O^2 + Ks) of BOD decay",
         [](ModelControl& m) { m.KBOD = 0.5; },
         2, 0.5, 1e-4, {2, 0, 0, 10, 0, 0}, {-5 * 4 / 6.0, 0, 0, -5 * 4 / 6.0, 0, 0}},
        {"a node below its invert uses the depth 0.01 m",
         [](ModelControl& m) {
             m.KSOD = 0.5;
             m.Ks = 0;
         },
         -1, 0, 0, {5, 0, 0, 0, 0, 0}, {-50, 0, 0, 0, 0, 0}},
        {"reverse flow and an adverse surface: the speed and fall reaerate",
         [](ModelControl& m) {
             m.AOne = 3.93;
             m.ThetaRear = 1;
             m.EOne = 0.5;
             m.ETwo = -1.5;
             m.EThree = 0.25;
         },
         4, -0.81, -1e-4, {6, 0, 0, 0, 0, 0},
         {3.93 * 0.9 / 8 * 0.1 * (14.65 - 0.41022 * 20 + 0.007991 * 400 - 7.7774e-5 * 8000 - 6), 0, 0, 0, 0, 0}},
        {"still water with a negative velocity exponent: no reaeration term",
         [](ModelControl& m) {
             m.AOne = 3.93;
             m.EOne = -0.5;
         },
         2, 0, 1e-4, {6, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"a level surface with a negative slope exponent: no reaeration term",
         [](ModelControl& m) {
             m.AOne = 3.93;
             m.EThree = -0.2;
         },
         2, 0.5, 0, {6, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"reverse flow above the critical velocities resuspends BOD and phosphorus", BedExchange, 2, -1.5, 1e-4,
         {8, 0, 0, 4, 0, 0.2}, {0, 0, 0, 0.25, 0, 0.25}},
        {"slow reverse flow lets BOD and phosphorus settle", BedExchange, 2, -0.5, 1e-4, {8, 0, 0, 4, 0, 0.2},
         {0, 0, 0, -1.6, 0, -0.08}},
        {"no nitrification of no ammonia, even at half order",
         [](ModelControl& m) {
             m.Knit = 1.5;
             m.NOne = 0.5;
             m.Kden = 0.2;
             m.NTwo = 0.5;
         },
         2, 0.5, 1e-4, {8, -1e-3, -1e-3, 0, 0, 0}, {0, 0, 0, 0, 0, 0}},
        {"half-order nitrification and denitrification take the powers as written",
         [](ModelControl& m) {
             m.Ks = 0;
             m.Knit = 1.5;
             m.NOne = 0.5;
             m.Ynit = 4;
             m.Kden = 0.2;
             m.NTwo = 0.5;
         },
         2, 0.5, 1e-4, {8, 0.25, 0.16, 0, 0, 0}, {-4 * 0.75, -0.75, 0.75 - 0.08, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetModelDefaults();
        NutrientProcessesOff();
        SetSite(c.depth, c.velocity, c.slope);
        ExpectRates(c.setup, c.values, c.expected);
    }
}

// Production Pmax max(0, cos(pi h / 24 / L)) h hours from noon on a day of daylight fraction
// L, per depth with PmTwo 1; none at night, and none on a day without daylight (not 0/0).
TEST_F(WQKinetics, ProductionFollowsTheDaylight)
{
    ModelControl& mc = g_ModelControl;
    const struct {
        const char* name;
        double flag, length, hoursFromNoon, pmTwo;
        double expected;   // per day at 2 m
    } cases[] = {
        {"night", 0, 0.5, 0, 1, 0},
        {"polar night", 0, 0, 0, 1, 0},
        {"a day without daylight, whatever the flag", 1, 0, 2, 1, 0},
        {"midday with PmTwo 1 at 2 m: Pmax / 2", 1, 0.5, 0, 1, 1.75},
        {"three hours from noon on a twelve-hour day: cos(pi / 4)", 1, 0.5, -3, 0, 3.5 * std::sqrt(0.5)},
        {"beyond the day's half-cosine", 1, 0.25, 4, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NutrientProcessesOff();
        mc.Pmax = 3.5;
        mc.DaylightFlag = c.flag;
        mc.DayLengthFraction = c.length;
        mc.HoursFromNoon = c.hoursFromNoon;
        mc.PmTwo = c.pmTwo;
        const std::vector<double> r = RatesPerDay({8, 0, 0, 0, 0, 0});
        EXPECT_NEAR(r[0], c.expected, 1e-12);
        for (int k = 1; k < 6; ++k) EXPECT_EQ(r[k], 0.0) << k;
    }
}

// A sink that would take its value below 0 within the step removes exactly that value over
// DeltaT; one that would not is left as it is. Values below 0 (undershoots of the transport)
// get neither a sink nor a source: a tracer with every process off keeps its mass.
TEST_F(WQKinetics, SinksAreLimitedToTheValueWithinOneStep)
{
    ModelControl& mc = g_ModelControl;
    NutrientProcessesOff();
    mc.KBOD = 2;   // per day, on 10 mg/L of BOD
    mc.Ks = 0;
    for (double dt : {3600.0, 43200.0, 86400.0, 864000.0}) {
        mc.DeltaT = dt;
        const std::vector<double> r = RatesPerDay({8, 0, 0, 10, 0, 0});
        const double unlimited = -20.0;
        const double expected = 10 + unlimited * dt / Day < 0 ? -10 / dt * Day : unlimited;
        EXPECT_NEAR(r[3], expected, 1e-12) << dt;
        EXPECT_GE(10 + r[3] / Day * dt, -1e-12) << dt;
    }
    // Below 0 with no process on.
    mc.DeltaT = 600;
    mc.KBOD = 0;
    EXPECT_EQ(RatesPerDay({-8, -0.5, -0.1, -2, -0.01, -0.3}), std::vector<double>(6, 0.0));
    // Below 0 with a sink: none is taken.
    mc.KSOD = 2;
    mc.Ks = 0;
    EXPECT_EQ(RatesPerDay({-1e-3, 0, 0, 0, 0, 0}), std::vector<double>(6, 0.0));
    MetalProcessesOff(WQHeavyMetals);
    EXPECT_EQ(RatesPerDay({-1, -1, -1, -1, -1, -1}), std::vector<double>(6, 0.0));
}

// Diffusion, adsorption in and desorption from the bed, and resuspension above 0.1 m/s.
void BedTransfers(ModelControl& m)
{
    m.Fbiot = 1;
    m.KsSediment = 0.1;
    m.Koc = 5e4;
    m.Rs = 1000;
    m.Ucrit = 0.1;
}

// Resuspension at 40 g/m2 a day above 0.5 m/s.
void Resuspension(ModelControl& m)
{
    m.Rs = 40;
    m.Ucrit = 0.5;
}

TEST_F(WQKinetics, MetalEdgeCases)
{
    struct Case {
        const char* name;
        void (*setup)(ModelControl& mc);
        double velocity;
        std::vector<double> values;    // Cw, Aw, SS, Cs, As, M
        std::vector<double> expected;  // rates per day
    };
    const Case cases[] = {
        {"no bed sediment: no diffusion, bed adsorption or resuspension through a layer of no thickness",
         BedTransfers, 1.0, {1, 0, 0, 2, 3, 0}, {0, 0, 0, 0.3, -0.3, 0}},
        {"a bed of negative mass is no bed either", BedTransfers, 1.0, {1, 0, 0, 2, 3, -5}, {0, 0, 0, 0.3, -0.3, 0}},
        {"below 1 g/m2 the bed is not resuspended, nor carried back into it",
         [](ModelControl& m) {
             m.Rs = 1000;
             m.Ucrit = 0.1;
             m.Ws = 2;
         },
         1.0, {0, 0, 10, 0, 0, 0.5}, {0, 0, -10, 0, 0, 20}},
        {"reverse flow above the critical velocity resuspends the bed at Rs", Resuspension, -1.0,
         {0, 0, 0, 0, 0, 5000}, {0, 0, 20, 0, 0, -40}},
        {"slow reverse flow leaves the bed", Resuspension, -0.3, {0, 0, 0, 0, 0, 5000}, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetModelDefaults();
        MetalProcessesOff(WQHeavyMetals);
        SetSite(2, c.velocity, 1e-4);
        ExpectRates(c.setup, c.values, c.expected);
    }
}

// Heavy metals take no decay process, whatever its coefficients; a Henry's constant below 1e-5
// switches volatilisation off.
TEST_F(WQKinetics, DecayProcessesBelongToXenobioticsAndVolatilisationNeedsHenrysConstant)
{
    ModelControl& mc = g_ModelControl;
    const std::vector<double> v = {2, 0.5, 30, 4, 1, 3000};
    SetModelDefaults();
    mc.WQFileType = WQHeavyMetals;
    mc.WaterTemperature = 14;
    mc.DeltaT = 1e-3;
    const std::vector<double> plain = RatesPerDay(v);
    mc.Kbw = mc.Kbs = 2;
    mc.Kpho = 3;
    mc.KH = 500;
    mc.Uwind = 4;
    mc.Khac = mc.Khne = mc.Khal = 0.3;
    mc.PHw = 5;
    mc.Bacid = 1;
    mc.Pka = 6;
    mc.ThetaB = 1.2;
    EXPECT_EQ(RatesPerDay(v), plain);

    // Volatilisation alone.
    MetalProcessesOff(WQXenobiotics);
    const std::vector<double> water = {2, 0, 0, 0, 0, 0};
    mc.KH = 9.99e-6;
    EXPECT_EQ(RatesPerDay(water)[0], 0.0);
    mc.KH = 1e-5;
    EXPECT_LT(RatesPerDay(water)[0], 0.0);
    mc.KH = 100;
    EXPECT_LT(RatesPerDay(water)[0], 0.0);
}

// The runner refuses heavy metals and xenobiotics whose kinetics would divide by 0.
TEST_F(WQKinetics, MoleWeightBedDensityAndPorosityMustBeAboveZero)
{
    ModelControl& mc = g_ModelControl;
    double value = 1;
    mc.WQFileType = WQNutrients;
    mc.Mw = 0;
    EXPECT_EQ(FindUnrunnableWQCoefficient(&value), nullptr);
    for (int type : {WQHeavyMetals, WQXenobiotics}) {
        SetModelDefaults();
        mc.WQFileType = type;
        EXPECT_EQ(FindUnrunnableWQCoefficient(&value), nullptr);
        mc.Ps = -0.1;
        EXPECT_STREQ(FindUnrunnableWQCoefficient(&value), "Ps");
        EXPECT_EQ(value, -0.1);
        mc.RhoDs = 0;
        EXPECT_STREQ(FindUnrunnableWQCoefficient(&value), "RhoDs");
        mc.Mw = std::numeric_limits<double>::quiet_NaN();
        EXPECT_STREQ(FindUnrunnableWQCoefficient(&value), "Mw");
    }
}

}  // namespace
