// Steady runs: pseudo-time passes towards a steady state.
#pragma once

// Results of RunSteadyPass and RunSteadyJamPass (the first two are those of the Newton drivers).
enum SteadyPassResult {
    SteadyPassRejected = 0,
    SteadyPassConverged = 1,
    SteadyPassNotMade = -1,
};

// One steady pass: a pseudo-time step at model time 0 with theta 1 and the steady tolerances
// of every equation system, after which the model time, the thetas and the tolerances are
// back as they were. Returns SteadyPassConverged when the pass converged (DeltaT grown by half,
// capped at MaxDeltaT), SteadyPassRejected when it was rejected (DeltaT halved, the state before
// the pass restored), and SteadyPassNotMade when no pass can be made: DeltaT is not a positive
// finite number, or an equation system could not be assembled (the state before the pass
// restored).
int RunSteadyPass();

// What the ice-jam half of a steady pass did.
struct JamPassReport {
    int Solved = 0;                     // 1 when the jam was solved in the pass
    double LargestThicknessChange = 0;  // m, largest change of a jammed node's thickness
};

// One steady pass of a static-ice model with the ice-jam stability solution: the jam (which
// acts only once the discharge has settled), then a pseudo-time step of the hydrodynamics
// alone at model time 0, theta 1 and the steady tolerances (DeltaT grows by half when the
// hydrodynamics are off or converged), then the water-surface slopes and the ice-layer
// elevations. Returns as RunSteadyPass; with SteadyPassNotMade for a DeltaT that is not a
// positive finite number nothing was done. `report`, when given, says what the jam did.
int RunSteadyJamPass(JamPassReport* report);
