// Water-quality kinetics: the six source and sink rates of a node's water-quality values, for
// nutrients (dissolved oxygen, ammonia, nitrate, BOD, ortho- and particulate phosphorus) and for
// heavy metals and xenobiotics (dissolved, adsorbed and suspended solids in the water; dissolved,
// adsorbed and sediment mass in the bed).
//
// Units: concentrations in the water in mg/L (g/m3), bed values per bed area in g/m2, depth H in
// m, velocity in m/s; the coefficients are per day, and the rates are turned into per second at
// the end.
#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>

#include "engine/EngineData.h"
#include "engine/WaterQuality.h"
#include "engine/WaterQualityFile.h"

namespace {

constexpr int ValueCount = 6;
constexpr double SecondsPerDay = 86400.0;
// Smallest depth (m) the kinetics divide by.
constexpr double MinKineticsDepth = 0.01;
// Reference temperature (degC) of every temperature factor theta^(T - 20).
constexpr double ReferenceTemperature = 20.0;
// Molecular diffusivity of a heavy metal and of a xenobiotic, times the square root of the
// mole weight.
constexpr double MetalDiffusivity = 1.01e-4;
constexpr double XenobioticDiffusivity = 1.19e-4;
// Henry's constants below this one switch volatilisation off.
constexpr double MinHenryConstant = 1e-5;
constexpr double ZeroCelsius = 273.15;

// What the kinetics read of a node besides its values: depth H (m), water temperature T (degC),
// speed |U| (m/s), fall of the water surface |S| (m/m) and ice concentration.
struct Site {
    double H, T, speed, fall, ice;
};

// Powers the kinetics take again and again with the same arguments: a node's kinetics are
// refreshed many times a step at the same temperature, depth, speed and fall, with the same
// coefficients. Each place that takes one keeps its last arguments and result.
enum PowerSite {
    ReaerationTheta, RespirationTheta, BODTheta, NitrificationTheta, DenitrificationTheta, SODTheta, ReleaseTheta,
    FormationTheta, BiodegradationTheta, SpeedFactor, DepthFactor, FallFactor, AcidWater, AlkalineWater, AcidBed,
    AlkalineBed, AcidFraction, BaseFraction, GasFilm, LiquidFilm, PowerSiteCount
};

double Power(PowerSite site, double base, double exponent)
{
    struct Memo {
        double base, exponent, value;
    };
    static std::array<Memo, PowerSiteCount> memo = [] {
        std::array<Memo, PowerSiteCount> m;
        m.fill({0.0, 0.0, 1.0});
        return m;
    }();
    Memo& m = memo[site];
    if (!(m.base == base && m.exponent == exponent)) m = {base, exponent, std::pow(base, exponent)};
    return m.value;
}

double TemperatureFactor(PowerSite site, double theta, double t)
{
    return Power(site, theta, t - ReferenceTemperature);
}

// |base|^exponent as a factor of a rate, for a base of 0 or more. A zero base with a negative
// exponent has no finite value: the factor is 0, so the term it belongs to drops out.
double RateFactor(PowerSite site, double base, double exponent)
{
    if (base == 0.0 && exponent < 0.0) return 0.0;
    return Power(site, base, exponent);
}

// c^order of a process of that order in the concentration c > 0.
double OrderPower(double c, double order)
{
    return order == 1.0 ? c : std::pow(c, order);
}

// Dissolved-oxygen saturation (mg/L) of fresh water at temperature t (degC).
double OxygenSaturation(double t)
{
    return 14.65 - 0.41022 * t + 0.007991 * t * t - 7.7774e-5 * t * t * t;
}

// Rates per day of the nutrients v = (O, NH, NO, L, OP, PP).
void NutrientRates(const double v[ValueCount], const Site& s, double r[ValueCount])
{
    const ModelControl& mc = g_ModelControl;
    const double O = v[0], NH = v[1], NO = v[2], L = v[3], OP = v[4], PP = v[5];
    const double H = s.H;

    // Oxygen limitation of the oxygen-consuming processes: none without oxygen.
    const double f = O > 0.0 ? O * O / (O * O + mc.Ks) : 0.0;

    const double reaeration = TemperatureFactor(ReaerationTheta, mc.ThetaRear, s.T) * mc.AOne * (1.0 - s.ice) *
                              RateFactor(SpeedFactor, s.speed, mc.EOne) * RateFactor(DepthFactor, H, mc.ETwo) *
                              RateFactor(FallFactor, s.fall, mc.EThree) * (OxygenSaturation(s.T) - O);

    // Production follows half a cosine over the hours of daylight; none at night or on a day
    // without daylight (the cosine would divide by a day length of 0).
    double production = 0.0;
    if (mc.DaylightFlag != 0.0 && mc.DayLengthFraction > 0.0) {
        production =
            mc.Pmax * std::max(0.0, mc.DaylightFlag * std::cos(mc.Pi * mc.HoursFromNoon / 24.0 / mc.DayLengthFraction));
    }
    double respiration = TemperatureFactor(RespirationTheta, mc.ThetaResp, s.T) * mc.Rresp * f;
    if (mc.PmTwo == 1.0) {
        production /= H;
        respiration /= H;
    }
    const double netProduction = production - respiration;

    const double bodDecay = TemperatureFactor(BODTheta, mc.ThetaBOD, s.T) * mc.KBOD * L * f;
    double nitrification = 0.0, denitrification = 0.0;
    if (NH > 0.0)
        nitrification = TemperatureFactor(NitrificationTheta, mc.ThetaNit, s.T) * mc.Knit * OrderPower(NH, mc.NOne) * f;
    if (NO > 0.0)
        denitrification = OrderPower(NO, mc.NTwo) * mc.Kden * TemperatureFactor(DenitrificationTheta, mc.ThetaDen, s.T);
    const double sedimentDemand = TemperatureFactor(SODTheta, mc.ThetaSOD, s.T) * mc.KSOD * f / H;

    // Ammonia taken up by the plants where they grow (the phosphorus rate uses the coefficient
    // Up instead).
    const double ammoniaUptake = mc.Un * std::max(netProduction, 0.8 * (mc.Pmax / H - respiration));
    const double ammoniaLimitation = NH > 0.0 ? NH / (NH + mc.Ksden) : 0.0;

    const double sedimentation = mc.Ucrit > s.speed ? L * mc.Ksed / H : 0.0;
    const double resuspension = mc.Ucrit < s.speed ? mc.Ksus / H : 0.0;

    const double release = TemperatureFactor(ReleaseTheta, mc.ThetaRel, s.T) * mc.Krel * PP;
    const double formation = TemperatureFactor(FormationTheta, mc.ThetaAds, s.T) * mc.Kads * OP;
    const double deposition = mc.UPcrit > s.speed ? PP * mc.KPdep / H : 0.0;
    const double phosphorusResuspension = mc.UPcrit < s.speed ? mc.KPres / H : 0.0;

    r[0] = netProduction + reaeration - bodDecay - mc.Ynit * nitrification - sedimentDemand;
    r[1] = mc.YBOD * bodDecay - nitrification - ammoniaUptake * ammoniaLimitation - mc.Ub * bodDecay;
    r[2] = nitrification - denitrification;
    r[3] = resuspension - sedimentation - bodDecay;
    r[4] = mc.Yp * bodDecay - mc.Up * netProduction + release - formation;
    r[5] = formation - release - deposition + phosphorusResuspension;
}

// Depth average of the light exp(-alpha z) over 0 <= z <= H, as a function of alpha H; 1 in the
// limit alpha H -> 0.
double DepthAveragedLight(double alphaH)
{
    if (alphaH == 0.0) return 1.0;
    return -std::expm1(-alphaH) / alphaH;
}

// First-order hydrolysis rate (per day) at a pH, of the water or of the bed.
double HydrolysisRate(double pH, bool bed)
{
    const ModelControl& mc = g_ModelControl;
    return Power(bed ? AcidBed : AcidWater, 10.0, -pH) * mc.Khac + mc.Khne +
           Power(bed ? AlkalineBed : AlkalineWater, 10.0, pH - 14.0) * mc.Khal;
}

// Michaelis-Menten biodegradation of a concentration c (none at or below 0).
double Biodegradation(double c, double maxRate, double halfSaturation, double thetaFactor)
{
    if (!(c > 0.0) || !(c + halfSaturation > 0.0)) return 0.0;
    return c * maxRate / (c + halfSaturation) * thetaFactor * c;
}

// Volatilisation velocity R (m/day) of the neutral fraction through the two films, for a
// molecular diffusivity dm; 0 for a Henry's constant below MinHenryConstant.
double VolatilisationVelocity(double t, double dm)
{
    const ModelControl& mc = g_ModelControl;
    if (mc.KH < MinHenryConstant) return 0.0;
    const double acid = mc.Bacid == 1 ? 1.0 / (Power(AcidFraction, 10.0, mc.PHw - mc.Pka) + 1.0) : 1.0;
    const double base = mc.Bbase == 1 ? 1.0 / (Power(BaseFraction, 10.0, 14.0 - mc.PHw - mc.Pkb) + 1.0) : 1.0;
    const double neutral = acid + base - 1.0;
    const double gasFilm = Power(GasFilm, 1.103 / std::sqrt(mc.Mw), 0.67) * (426.1 * mc.Uwind + 639.15);
    const double liquidFilm = Power(LiquidFilm, dm, 0.57) * (16.029 * mc.Uwind * mc.Uwind + 160.2);
    const double henry = neutral * mc.KH / ((t + ZeroCelsius) * mc.RG);
    const double gas = gasFilm * henry;
    if (!(gas > 0.0) || !(liquidFilm > 0.0)) return 0.0;
    return 1.0 / (1.0 / gas + 1.0 / liquidFilm);
}

// Rates per day of the metal or xenobiotic values v = (Cw, Aw, SS, Cs, As, M).
void MetalRates(const double v[ValueCount], const Site& s, bool xenobiotic, double r[ValueCount])
{
    const ModelControl& mc = g_ModelControl;
    const double Cw = v[0], Aw = v[1], SS = v[2], Cs = v[3], As = v[4], M = v[5];
    const double H = s.H;
    const double dt = mc.DeltaT;

    const double adsorptionWater = Cw > 0.0 && SS > 0.0 ? mc.Koc * mc.Focw / 1e6 * mc.Kw * Cw * SS : 0.0;
    const double desorptionWater = Aw > 0.0 ? mc.Kw * Aw : 0.0;

    const double dm = (xenobiotic ? XenobioticDiffusivity : MetalDiffusivity) / std::sqrt(mc.Mw);
    // Thickness (m) of the bed layer; without bed sediment there is no layer, and none of the
    // exchanges through it.
    const double Y = M > 0.0 ? M / mc.RhoDs / 1000.0 : 0.0;
    const bool bed = Y > 0.0;

    double diffusion = 0.0;
    const double film = mc.Fdzds * 1000.0 * Y + mc.Dzf;
    if (bed && Cs > 0.0 && Cw > 0.0 && film > 0.0)
        diffusion = (Cs / mc.Ps / Y - Cw) * (mc.Fbiot * 8640.0 * dm) / film;

    // Resuspension of the bed: the suspension is loose enough and the flow over the bed is
    // fast. The velocity over the bed grows without bound as the bed fills the depth. Never
    // negative, so it cannot move matter back into the bed.
    double resuspension = 0.0;
    const double looseness = 1.0 - SS / (1000.0 * mc.RhoDs / (1.0 - mc.Ps));
    const double overBed = H > Y ? s.speed * H / (H - Y)
                                 : (s.speed > 0.0 ? std::numeric_limits<double>::infinity() : 0.0);
    if (looseness > mc.Ps && overBed > mc.Ucrit)
        resuspension = std::max(0.0, std::min((M - 1.0) / dt * SecondsPerDay, mc.Rs));

    double adsorptionBed = 0.0;
    if (bed && Cs > 0.0) {
        adsorptionBed = mc.Focs * mc.Koc / 1e6 * mc.KsSediment * Cs * M / Y / mc.Ps;
        adsorptionBed = std::min(adsorptionBed, Cs * SecondsPerDay / dt);
    }
    const double desorptionBed = As > 0.0 ? mc.KsSediment * As : 0.0;

    double photolysis = 0.0, biodegradationWater = 0.0, biodegradationBed = 0.0, volatilisation = 0.0;
    double hydrolysisWater = 0.0, hydrolysisBed = 0.0;
    if (xenobiotic) {
        const double thetaB = TemperatureFactor(BiodegradationTheta, mc.ThetaB, s.T);
        photolysis = mc.Kpho * DepthAveragedLight(mc.AlphaL * H) * Cw;
        biodegradationWater = Biodegradation(Cw, mc.Kbw, mc.Khsw, thetaB);
        biodegradationBed = Biodegradation(Cs, mc.Kbs, mc.Khss, thetaB);
        volatilisation = Cw * VolatilisationVelocity(s.T, dm) / H;
        hydrolysisWater = HydrolysisRate(mc.PHw, false) * Cw;
        hydrolysisBed = HydrolysisRate(mc.PHs, true) * Cs;
    }

    // Adsorbed matter carried by resuspended sediment, per bed area: none without sediment.
    const double carried = M > 0.0 ? As * resuspension / M : 0.0;
    r[0] = diffusion / H + desorptionWater - adsorptionWater - biodegradationWater - hydrolysisWater - photolysis -
           volatilisation;
    r[1] = adsorptionWater - desorptionWater - mc.Ws * Aw / H + carried / H;
    r[2] = mc.Rp / H - SS * mc.Ws / H + resuspension / H;
    r[3] = desorptionBed - adsorptionBed - diffusion - biodegradationBed - hydrolysisBed;
    r[4] = adsorptionBed - desorptionBed + mc.Ws * Aw - carried;
    r[5] = SS * mc.Ws - resuspension;
}

}  // namespace

void ComputeWQKinetics(NodeRecord* node)
{
    const ModelControl& mc = g_ModelControl;
    StoreWQUnknowns(node);
    const bool nutrients = mc.WQFileType == WQNutrients;
    const double* v = node->WQUnknowns;

    Site site;
    site.H = std::max(node->Stage - node->Invert, MinKineticsDepth);
    site.T = mc.FileType == FileTypeThermalIce ? node->WaterTemp : mc.WaterTemperature;
    site.speed = std::fabs(node->Velocity);
    site.fall = std::fabs(node->SurfaceSlope);
    site.ice = node->IceConcentration;

    double r[ValueCount];
    if (nutrients)
        NutrientRates(v, site, r);
    else
        MetalRates(v, site, mc.WQFileType == WQXenobiotics, r);

    // Per second, and no sink that would take its value below 0 within the step: a sink
    // removes at most what there is. A value already below 0 (an undershoot of the transport)
    // keeps no sink but gets no source either, which would make matter from nothing.
    const double dt = mc.DeltaT;
    double* rates = nutrients ? node->WQRates : node->MetalRates;
    for (int k = 0; k < ValueCount; ++k) {
        double rate = r[k] / SecondsPerDay;
        if (dt > 0.0 && rate < 0.0 && v[k] + rate * dt < 0.0) rate = -std::max(v[k], 0.0) / dt;
        rates[k] = rate;
    }
}

static_assert(sizeof(NodeWQCopy::WQValues) == sizeof(NodeRecord::WQValues) &&
                  sizeof(NodeWQCopy::WQRates) == sizeof(NodeRecord::WQRates) &&
                  sizeof(NodeWQCopy::MetalValues) == sizeof(NodeRecord::MetalValues) &&
                  sizeof(NodeWQCopy::MetalRates) == sizeof(NodeRecord::MetalRates),
              "the copy holds every value and rate of a node");

void SaveNodeWQState(const NodeRecord* node, NodeWQCopy* copy)
{
    std::copy(std::begin(node->WQValues), std::end(node->WQValues), copy->WQValues);
    std::copy(std::begin(node->WQRates), std::end(node->WQRates), copy->WQRates);
    std::copy(std::begin(node->MetalValues), std::end(node->MetalValues), copy->MetalValues);
    std::copy(std::begin(node->MetalRates), std::end(node->MetalRates), copy->MetalRates);
}

void RestoreNodeWQState(NodeRecord* node, const NodeWQCopy* copy)
{
    std::copy(std::begin(copy->WQValues), std::end(copy->WQValues), node->WQValues);
    std::copy(std::begin(copy->WQRates), std::end(copy->WQRates), node->WQRates);
    std::copy(std::begin(copy->MetalValues), std::end(copy->MetalValues), node->MetalValues);
    std::copy(std::begin(copy->MetalRates), std::end(copy->MetalRates), node->MetalRates);
}

void RefreshWQKinetics(NodeRecord* node)
{
    if (g_ModelControl.Differencing == NotDifferencing) ComputeWQKinetics(node);
}

const char* FindUnrunnableWQCoefficient(double* value)
{
    const ModelControl& mc = g_ModelControl;
    if (mc.WQFileType != WQHeavyMetals && mc.WQFileType != WQXenobiotics) return nullptr;
    const struct {
        const char* name;
        double value;
    } divisors[] = {{"Mw", mc.Mw}, {"RhoDs", mc.RhoDs}, {"Ps", mc.Ps}};
    for (const auto& d : divisors) {
        if (!(d.value > 0.0)) {
            if (value) *value = d.value;
            return d.name;
        }
    }
    return nullptr;
}
