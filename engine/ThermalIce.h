// Thermal ice processes (equation system 2): the energy of the water-ice mixture, suspended
// frazil, slush under the cover, the surface ice concentration, surface slush and solid surface
// ice, transported along the river and transformed by the exchange of heat with the air.
#pragma once

#include "engine/NodeCopy.h"

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;

// Water warmer than this (degC) counts as warm: it melts ice, releases anchor ice and melts out
// the ice at a front.
inline constexpr double WarmWaterTemperature = 0.01;

// Water or ice moving no faster than this (m/s) stands still. A lake at rest carries
// discharges and velocities of round-off size and random sign; taken as motion they would move
// its cover, and taken as directions they would flip the upwinding from step to step and from
// node to node.
inline constexpr double StillVelocity = 1e-6;

// Newton iterations of one thermal step, after a converged hydrodynamic step: 1 converged (the
// node thermal state finished: clamps, anchor ice), 0 not converged, any other value the
// assembly's error code. A step that is not made is left as the failed attempt left it (border
// ice and ice fronts moved): the stepping (AdvanceTimeStep) takes it back.
int SolveThermalIceStep();
// Air temperature and solar radiation of every node from its zone at ModelTime (100 degC and 0
// without a zone, or with a zone that has no rows).
void ApplyAtmosphericForcing();
// Refreshes the node's thermal quantities from its six thermal unknowns: water temperature, heat
// fluxes, ice areas and thicknesses, slush congestion, deposition. Returns 1.
int UpdateNodeThermalState(NodeRecord* node);

// Every node field UpdateNodeThermalState writes (and the two slush elevations, which
// SaveNodeThermalState copies besides). Copying these fields out and back puts a node's thermal
// state back to what it was before a refresh at other unknowns.
#define VASQUIL_NODE_THERMAL_OUTPUTS(X)                                                               \
    X(double, ThermalEnergy) X(double, FrazilConcentration) X(double, UnderSlushArea)                \
    X(double, IceConcentration) X(double, SlushArea) X(double, SolidIceArea) X(double, WaterTemp)     \
    X(double, NetHeatFlux) X(double, SolidIceEquivalentArea) X(double, FloatingIceArea)               \
    X(double, BorderGapArea) X(double, IceCoveredWidth) X(double, SlushThickness)                     \
    X(double, IceThickness) X(double, UnderSlushThickness) X(double, AnchorBedElevation)              \
    X(double, IceTopElevation) X(double, IceBottomElevation) X(int, SlushCongested)                   \
    X(double, SolidEquivalentThickness) X(double, EffectiveIceThickness) X(double, CoverSurfaceBalance) \
    X(double, CoverHeatFlux) X(double, ThermalVelocity) X(double, DepositionRate)                     \
    X(double, FrazilHeatExchange) X(double, WaterIceHeatFlux)

struct NodeThermalCopy {
    VASQUIL_NODE_THERMAL_OUTPUTS(VASQUIL_NODE_COPY_MEMBER)
    double SlushElevations[2];
};
// Copies the fields UpdateNodeThermalState writes out of a node, and back into it.
void SaveNodeThermalState(const NodeRecord* node, NodeThermalCopy* copy);
void RestoreNodeThermalState(NodeRecord* node, const NodeThermalCopy* copy);
// While a hold made with `keep` lives, the thermal kernel interpolates each element point's
// previous level once and keeps it: within a thermal solve (the iterations of a step and the
// tally of its carried ice) nothing changes a node's previous level or an element's points, and
// the iterations evaluate every element again at each perturbed unknown. A step of all six
// unknowns holds it through its solve (with one or two unknowns a point's previous level costs
// less to interpolate from its nodes than to read back); a caller that makes the iterations of
// a step itself may hold it likewise, and must not change a previous level meanwhile. Without
// the memory for it, nothing is kept and every point is interpolated.
class ThermalPreviousLevelHold {
public:
    explicit ThermalPreviousLevelHold(bool keep);
    ~ThermalPreviousLevelHold();
    ThermalPreviousLevelHold(const ThermalPreviousLevelHold&) = delete;
    ThermalPreviousLevelHold& operator=(const ThermalPreviousLevelHold&) = delete;

private:
    bool active_ = false;
};
// End of a converged thermal step: clamps the ice unknowns, grows and releases anchor ice, bounds
// the ice concentration to [0, 1] and refreshes every node's thermal state.
void FinishThermalStep();
// Anchor ice on the bed of the node for the step, from its previous-level thickness; released into
// surface slush and ice concentration when the water is warm or the ice lifts the bed material.
void UpdateAnchorIce(NodeRecord* node);
// Under-cover deposition of frazil at the node, m2/s per unit length (negative: erosion of the
// accumulated slush), bounded by what the previous level holds.
double ComputeUnderCoverDeposition(NodeRecord* node);
// Element and boundary residuals of the thermal system into ElementVector (rows per node: the
// active unknowns in their order).
void ComputeThermalElementResidual(ElementRecord* element);
void ComputeThermalBoundaryResidual(BoundaryElementRecord* element);

// Water temperature (degC) of a mixture of energy e (J/kg) and frazil concentration cf: the real
// root T of h(T) (1 - cf) - s cf L = e with h the enthalpy of water; exactly 0 at the freezing
// point. Not floored; NaN when cf is 1 or more.
double ComputeWaterTemperature(double energy, double frazil);
// Heat conducted up through an ice cover of the given thickness (m), W/m2: the balance
// (0 - Ta) Hia - (1 - IceAlbedo) solar at its top over the resistances of the air film, the ice
// and the snow; without air-film exchange (Hia not above 0) only the absorbed sunshine, negative.
double ComputeCoverHeatFlux(double airTemperature, double solarRadiation, double thickness, double hia);
// Energy (J/kg) of a mixture at water temperature t and frazil concentration cf, the inverse of
// ComputeWaterTemperature.
double ComputeMixtureEnergy(double temperature, double frazil);
// The same energy of a node's water as a model file or an edit gives it (water temperature tw,
// degC; frazil concentration cf): h(tw) (1 - cf) - (IceDensity / WaterDensity) cf L, the
// enthalpy polynomial evaluated term by term. It may differ from ComputeMixtureEnergy in the
// last bit; every node state read or edited takes this one, so a model reads back as it was.
double ComputeNodeThermalEnergy(double temperature, double frazil);
