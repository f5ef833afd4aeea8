// What the check programs of the vasquil-batch command-line tests share.
#pragma once

#include <cmath>
#include <cstdio>

#include "engine/ModelFiles.h"

// Reads the model file at path into the engine; on a failure says so on standard error,
// after the name of the check program, and returns 1. Returns 0 once the model is read.
inline int ReadModel(const char* program, const char* path)
{
    if (LoadModelFile(path) != 0) {
        std::fprintf(stderr, "%s: cannot read the model file %s\n", program, path);
        return 1;
    }
    return 0;
}

// Whether two values written to and read from the results agree to a millionth of the larger.
inline bool Close(double a, double b) { return std::fabs(a - b) <= 1e-6 * std::fmax(std::fabs(a), std::fabs(b)) + 1e-9; }
