// Processes that the engine does not compute yet, so a run can say what its results leave out.
#pragma once

#include <string>

// The processes a run needs and the engine does not compute yet, joined by "; ", for a model
// of the file type (0-3), a steady run or a transient one, with a water-quality model loaded or
// not; empty when the run computes everything it needs.
std::string PendingProcesses(int fileType, bool steadyRun, bool waterQuality);
