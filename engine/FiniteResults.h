// The node quantities that outputs write (database rows, result text files, model-state files)
// must be finite numbers: an output never holds NaN or an infinity.
#pragma once

struct NodeRecord;

// Looks through every node (chain order) for an output quantity that is not a finite number.
// Returns 1 with *node, *quantity (the field's name: "Stage", "WQValues[2]", ...) and *value
// set at the first such value, or 0 when every value is finite (nothing is set then).
int FindNonFiniteResult(const NodeRecord** node, const char** quantity, double* value);
