// Transient stepping, time levels and the model clock.
#pragma once

// One adaptive time step of every equation system that is switched on. Returns 0 when the
// step was made: accepted (ModelTime advanced) or rejected (ModelTime back at the start of
// the step, DeltaT halved, previous level restored). Returns 1 when the step cannot advance
// the model time (DeltaT not a positive finite number, or so small that ModelTime + DeltaT
// equals ModelTime), and 2 when an equation system could not be assembled (no memory); in
// both cases the model time and the unknowns are those of the start of the step.
int TransientStep();
void ShiftTimeLevel();
void RestorePreviousLevel();
// Takes back the ShiftTimeLevel that started the step in progress: every twinned quantity
// (the unknowns of the four systems among them) returns to its previous-level value, and the
// two history slots of the floating and anchor ice areas move back one place, so the next
// ShiftTimeLevel gives exactly the time levels the step started with.
void UnshiftTimeLevel();
// The model time at which the step in progress started: StepStartTime when it belongs to this
// step (not after ModelTime, at most one DeltaT before it), otherwise ModelTime - DeltaT.
double StepStartModelTime();
// StartDate advanced by the whole seconds of ModelTime: year, month, day, hour, minute, second.
void ComputeCalendarDate(int date[6]);
