// Water-quality step, daylight, kinetics and equations (equation system 3).
#pragma once

#include "engine/EngineData.h"

// One adaptive time step of a water-quality run: TransientStep's step in which, once the
// hydrodynamics, dynamic ice and thermal ice have converged, the daylight of the step start is
// set and equation system 3 is solved (six unknowns per node). A water-quality solve that does
// not converge rejects the step as any other system does: the clock and every system back at
// the exact step start, DeltaT halved. Returns as
// TransientStep: 0 step made (accepted or rejected), 1 cannot progress, 2 a system could not be
// assembled (the clock and every system back at the step start).
int RunWaterQualityStep();
// The water-surface slopes of every node, then the kinetics of every node in index order: the
// state a run starts from after a water-quality file was loaded.
void InitialiseWaterQuality();

// Sets DaylightFlag (1.0 while the sun is up, else 0.0), DayLengthFraction and HoursFromNoon
// from CurrentDate, PhiLatitude and Ftd.
void UpdateDaylight();
// Fraction of the day (0 to 1) from sunrise to sunset at latitude PhiLatitude (degrees) on a
// date, by the solar declination of its day of the year: 1 where the sun does not set, 0 where
// it does not rise.
double ComputeDayLengthFraction(int year, int month, int day);

// Copies the node's water-quality unknowns into its values of the loaded type (nutrients,
// or metals and xenobiotics).
void StoreWQUnknowns(NodeRecord* node);

// The six source and sink rates (/s) of the node's water-quality values, by the WQ File Type,
// into WQRates (nutrients) or MetalRates (heavy metals and xenobiotics), after copying the
// unknowns into the values. A sink that would take its value below 0 within DeltaT is cut to
// remove exactly that value over DeltaT (a value below 0 keeps no sink).
void ComputeWQKinetics(NodeRecord* node);
// Every node field ComputeWQKinetics writes: the values and rates of both types (it writes
// those of the loaded type). Copying them out and back puts a node's kinetics back to what they
// were before a refresh at other unknowns.
struct NodeWQCopy {
    double WQValues[6], WQRates[6], MetalValues[6], MetalRates[6];
};
void SaveNodeWQState(const NodeRecord* node, NodeWQCopy* copy);
void RestoreNodeWQState(NodeRecord* node, const NodeWQCopy* copy);
// ComputeWQKinetics for a residual evaluation, skipped while the framework differences the
// residuals (it keeps the nodes' kinetics current itself).
void RefreshWQKinetics(NodeRecord* node);
// A coefficient with which a water-quality run cannot start: heavy metals and xenobiotics
// divide by Mw, RhoDs and Ps at every step, so each must be above 0. Returns the name of the
// first that is not ("Mw", "RhoDs" or "Ps") and stores its value in *value (when given); null
// when the run can start (always for nutrients).
const char* FindUnrunnableWQCoefficient(double* value);

// Residual of equation system 3 over an interior element (junction branches included) into
// ElementVector: advection, dispersion, lateral inflow, storage and reaction of the six values
// per node, by the nodal rule (xi -1 and +1). Refreshes the kinetics of the element's nodes.
// Returns the element's node count (0: nothing added).
int ComputeWQElementResidual(ElementRecord* element);
// Residual of equation system 3 at a boundary element into ElementVector: what the inflow
// brings and the outflow takes.
void ComputeWQBoundaryResidual(BoundaryElementRecord* element);

// Node values the transport of one element reads, gathered once per residual evaluation: flow
// areas (m2) of both levels and the smallest admissible one, discharges (m3/s) of both levels,
// hydraulic depth (m), friction slope, hydraulic radius (m), and the node's water-quality values
// and rates (/s) at both levels. Node A of a junction side branch enters with the branch's part
// of its areas and its share of A's discharges.
struct WQElementNodes {
    int Count = 0;
    double Area[MaxElementNodes], PreviousArea[MaxElementNodes], MinArea[MaxElementNodes];
    double Discharge[MaxElementNodes], PreviousDischarge[MaxElementNodes];
    double Depth[MaxElementNodes], FrictionSlope[MaxElementNodes], Radius[MaxElementNodes];
    const double* Values[MaxElementNodes];
    const double* PreviousValues[MaxElementNodes];
    const double* Rates[MaxElementNodes];
    const double* PreviousRates[MaxElementNodes];
    // Concentrations of the lateral inflow at ModelTime, by value; null without one.
    const double* Lateral = nullptr;
};
// The transport terms of one point of the nodal rule, added to ElementVector.
void AddWaterQualityTerms(const GaussPointRecord* point, const WQElementNodes& nodes);
// The inflow and outflow terms of a boundary element, added to ElementVector.
void AddWQBoundaryTerms(BoundaryElementRecord* element);
