// Water-quality step, daylight, kinetics and equations (equation system 3).
#pragma once

struct NodeRecord;
struct ElementRecord;
struct BoundaryElementRecord;

// One adaptive time step of a water-quality run: TransientStep's step in which, once the
// hydrodynamics, dynamic ice and thermal ice have converged, the daylight of the step start is
// set and equation system 3 is solved (six unknowns per node). A water-quality solve that does
// not converge puts the clock and every system back at the exact step start, refreshes the
// surface slopes and kinetics of the restored state and halves DeltaT. Returns as
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

void ComputeWQKinetics(NodeRecord* node);
void ComputeWQElementResidual(ElementRecord* element);
void ComputeWQBoundaryResidual(BoundaryElementRecord* element);
