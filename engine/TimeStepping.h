// Transient stepping, time levels and the model clock.
#pragma once

#include <string>

#include "engine/Calendar.h"   // the model clock (ComputeCalendarDate) that a step advances

// Floor of the adaptive time step. A rejection that halves the step below the floor stops
// the run (TransientStep returns 1): a model whose Newton iterations keep failing there has a
// fault in its data, and stepping on would crawl (at a millisecond a model hour takes 3.6
// million steps). The floor is the smaller of MinimumTimeStep and the model's maximum step
// divided by 2^StepFloorHalvings. The absolute part: the fastest signal of a river model, a
// gravity wave (sqrt(g h), about 30 m/s in 100 m of water), needs some 30 ms to cross even a
// 1 m element, and the implicit scheme converges at steps far longer than that. The relative
// part keeps models on a laboratory scale running (a frictionless dam break on 0.5 m elements
// with a 0.05 s maximum step rejects its way down to 2.4e-6 s at the bore, 2^14 below its
// maximum, and completes). Above the floor no crawl is stopped: a model may step at a few
// milliseconds for twenty thousand steps and then recover its maximum step (one of the test
// models does), and a stop would lose a run that completes. MinimumTimeStep is also the
// smallest maximum step a model file or a run may set.
inline constexpr double MinimumTimeStep = 1e-3;   // s
inline constexpr int StepFloorHalvings = 20;

// A converged step (transient or steady) lets the next one grow by this factor, up to MaxDeltaT.
inline constexpr double StepGrowthFactor = 1.5;

// The floor of the time step for the present MaxDeltaT, s.
double TimeStepFloor();

// Results of TransientStep and AdvanceTimeStep.
enum TransientStepResult {
    StepMade = 0,            // accepted or rejected; the run goes on
    StepCannotProgress = 1,  // the step cannot advance the clock, or fell below TimeStepFloor()
    StepNotAssembled = 2,    // an equation system could not be assembled (no memory)
};

// One adaptive time step of every equation system that is switched on. Returns StepMade when
// the step was made: accepted (ModelTime advanced) or rejected (DeltaT halved, and the clock
// and the whole state of every system - time levels, border ice, ice fronts, peaks - back at
// the exact start of the step, whichever system did not converge). Returns StepCannotProgress
// when the run cannot progress: the step cannot advance the model time (DeltaT not a positive
// finite number, or so small that ModelTime + DeltaT equals ModelTime; DeltaT unchanged), or a
// rejection halved DeltaT below TimeStepFloor() (DeltaT is the halved step; the increments of
// the last Newton update stay in the systems' Rhs, so FindLargestHydroIncrementNode names the
// node where the hydrodynamic one was largest). A rejected step that the output schedule had
// cut short does not stop the run as long as half of the step it cut is not below the floor.
// Returns StepNotAssembled when an equation system could not be assembled. In every case but
// StepMade the model time and the unknowns are those of the start of the step.
int TransientStep();
// Why the step that returned `result` (StepCannotProgress or StepNotAssembled) ended the run,
// as a clause for a message ("the time step fell to 0.0005 s, below the smallest of 0.001 s
// (the Newton update was largest at node 31)"), read from the state the step left; empty for
// StepMade.
std::string DescribeFailedStep(int result);
// The step of TransientStep in which `solveLast` (when not null) solves one more equation
// system after the hydrodynamics, dynamic ice and thermal ice have all converged. solveLast
// returns 1 when it converged, 0 when it did not (the step is rejected), any other value when
// it could not be assembled (the results of the Newton drivers, NewtonResult); it leaves a
// failed attempt as it is, and the stepping takes the step back as for any other system. The
// step grows only when every system converged.
// Returns as TransientStep.
int AdvanceTimeStep(int (*solveLast)());
void ShiftTimeLevel();
void RestorePreviousLevel();
// Records what a step may change in the nodes besides their time-level twins (border ice, ice
// fronts, peaks, flags), before the ShiftTimeLevel that starts a step. False when there is no
// memory for the record (the step is then not to be made).
bool SaveStepStart();
// Back to the exact start of the step in progress, whichever system failed: the clock at
// `start`, every time-level quantity of every system (UnshiftTimeLevel) and what SaveStepStart
// recorded.
void ReturnToStepStart(double start);
// Takes back the ShiftTimeLevel that started the step in progress: every twinned quantity
// (the unknowns of the four systems among them) returns to its previous-level value, and the
// two history slots of the floating and anchor ice areas move back one place, so the next
// ShiftTimeLevel gives exactly the time levels the step started with.
void UnshiftTimeLevel();
