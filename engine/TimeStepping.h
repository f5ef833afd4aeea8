// Transient stepping, time levels and the model clock.
#pragma once

// One adaptive time step of every equation system that is switched on. Returns 0 when the
// step was made: accepted (ModelTime advanced) or rejected (ModelTime back at the start of
// the step, DeltaT halved, previous level restored). Returns 1 when the step cannot advance
// the model time (DeltaT not a positive finite number, or so small that ModelTime + DeltaT
// equals ModelTime), and 2 when an equation system could not be assembled (no memory); in
// both cases the model time and the unknowns are those of the start of the step.
int TransientStep();
// The step of TransientStep in which `solveLast` (when not null) solves one more equation
// system after the hydrodynamics, dynamic ice and thermal ice have all converged. solveLast
// returns 1 when it converged, 0 when it rejected the step (the clock and every system back
// at the step start, DeltaT halved), any other value when it could not be assembled (the
// clock and every system back at the step start). The step grows only when every system
// converged. Returns as TransientStep.
int AdvanceTimeStep(int (*solveLast)());
void ShiftTimeLevel();
void RestorePreviousLevel();
// Takes back the ShiftTimeLevel that started the step in progress: every twinned quantity
// (the unknowns of the four systems among them) returns to its previous-level value, and the
// two history slots of the floating and anchor ice areas move back one place, so the next
// ShiftTimeLevel gives exactly the time levels the step started with.
void UnshiftTimeLevel();
// StartDate advanced by the whole seconds of ModelTime: year, month, day, hour, minute, second.
void ComputeCalendarDate(int date[6]);
// Day of the year of a date (1 on 1 January; Gregorian leap years); a month outside 1-12 is
// taken as the nearest of them.
int ComputeDayOfYear(int year, int month, int day);
