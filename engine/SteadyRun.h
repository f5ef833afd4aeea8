// Steady runs: pseudo-time passes towards a steady state.
#pragma once

// One steady pass: a pseudo-time step at model time 0 with theta 1 and the steady tolerances
// of every equation system, after which the model time, the thetas and the tolerances are
// back as they were. Returns 1 when the pass converged (DeltaT grown by half, capped at
// MaxDeltaT), 0 when it was rejected (DeltaT halved, previous level restored), and -1 when
// no pass can be made: DeltaT is not a positive finite number, or an equation system could
// not be assembled (the unknowns are then those before the pass).
int RunSteadyPass();
