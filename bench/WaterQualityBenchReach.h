// The generated reach of the water-quality benchmarks: a model file of rectangular nodes and
// its water-quality file of nutrients or xenobiotics, generated as text and read from memory.
#pragma once

#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQualityFile.h"

namespace benchwq {

// A metric open-water reach of rectangular nodes 10 m apart, inflow upstream, stage downstream.
inline std::string GenerateModel(int nodes)
{
    std::string t;
    char line[512];
    std::snprintf(line, sizeof line,
                  " File Type = 0\n Delta t (s) = 60\n Max Delta t (s) = 60\n Model Time (s) = 0\n"
                  " Simulation Start DateTime (YYYY MM DD HH MM SS) = 2024 06 01 00 00 00\n"
                  " Number of Nodes = %d\n Number of Elements = %d\n Number of  Boundary Elements = 2\n"
                  " Number of Junctions = 0\n System of units = 1\n",
                  nodes, nodes - 1);
    t += line;
    t += " Upwinding = 0.25 0 Theta = 0.6 Tolerance = 1e-05 Formulation = 0 Alpha = 0.5\n Water Temperature = 12\n";
    for (int i = 0; i < nodes; ++i) {
        const double bed = 100 - 0.005 * i;
        std::snprintf(line, sizeof line, "\t%d\t0\t0\t1\t%.1f\t0\t%.3f\t%.4f\t0.03\t20\t1\t%.4f\t30 \n", i + 1, 10.0 * i,
                      0.01 * i, bed, bed + 1.6);
        t += line;
    }
    for (int e = 1; e < nodes; ++e) {
        std::snprintf(line, sizeof line, "\t%d\t%d\t%d\t0\t0\t0\t0\t0 \n", e, e, e + 1);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t1\t1\t-1\t0\t1\t2\t0\t30\t1000\t30\n\t2\t%d\t1\t1\t0\t2\t0\t%.4f\t1000\t%.4f\n",
                  nodes, 101.6 - 0.005 * (nodes - 1), 101.6 - 0.005 * (nodes - 1));
    t += line;
    return t;
}

// Coefficients of the sample river's nutrients, in file order.
inline const char* const NutrientCoefficients =
    "52.5 4992 1 1608 1.024 3 1.05 3.5 1 0.5 1.047 2 3.93 0.5 -1.5 0 0.5 1.065 0.5 0.8 1 0.29 0.066 0.109 1 0.2 "
    "1.08 4.57 0.05 1 0.1 1.16 0.009 0.009 0.5 0.8 1 0.1 1.02 0.1 1.02\n";
// Coefficients of a xenobiotic (metal part, then the 19 of xenobiotics, the acid flag 1).
inline const char* const XenobioticCoefficients =
    "5e4 1 0.1 0.1 0.05 0.1 0.2 1 150 1300 0.6 1 100 1 0.8 "
    "0.2 0.05 1 1 1.05 0.5 0.3 2 1 0 5 0 10 0.01 100 8.3144 7.5 7 3\n";

// Its water-quality file of the type (nutrients or xenobiotics), with `rows` rows in the inflow
// series.
inline std::string GenerateWaterQuality(int nodes, int rows, int type)
{
    const bool nutrients = type == WQNutrients;
    std::string t = nutrients ? " WQ File Type = 0\n 0 0\n 0.25 0 0.5 1e-05\n" : " WQ File Type = 2\n 0 0\n 0.25 0 0.5 1e-05\n";
    t += nutrients ? NutrientCoefficients : XenobioticCoefficients;
    char line[160];
    for (int i = 0; i < nodes; ++i) {
        if (nutrients)
            std::snprintf(line, sizeof line, "\t%d\t9.5\t0.05\t1.25\t%.3f\t0.03\t0.02 \n", i + 1, 2 + 0.001 * i);
        else
            std::snprintf(line, sizeof line, "\t%d\t%.4f\t0.005\t20\t0.5\t5\t10000 \n", i + 1, 0.01 + 1e-5 * i);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t1\t1\t-1\t0\t1\t%d \n", rows);
    t += line;
    for (int r = 0; r < rows; ++r) {
        if (nutrients)
            std::snprintf(line, sizeof line, "\t%.4f\t9.5\t0.05\t1.25\t8\t0.03\t0.02 \n", 0.01 * r);
        else
            std::snprintf(line, sizeof line, "\t%.4f\t0.05\t0.005\t20 \n", 0.01 * r);
        t += line;
    }
    std::snprintf(line, sizeof line, "\t2\t%d\t1\t1\t0\t0 \n", nodes);
    t += line;
    return t;
}

inline bool LoadModel(std::string& text)
{
    return ReadModelFile(fmemopen(text.data(), text.size(), "r")) == 0;
}

// The generated reach of `nodes` nodes with its water-quality file of the type loaded, the
// hydrodynamics off; false when a file was refused.
inline bool LoadReach(int nodes, int type)
{
    std::string model = GenerateModel(nodes);
    std::string wq = GenerateWaterQuality(nodes, 2, type);
    benchsupport::Silence quiet;
    if (!LoadModel(model) || ReadWQFile(fmemopen(wq.data(), wq.size(), "r")) != 0) return false;
    ModelControl& mc = g_ModelControl;
    mc.HydrodynamicsOn = 0;
    mc.FinalTime = 1e12;
    for (EquationSystem& es : g_EquationSystems) es.StructureBuilt = 0;
    return true;
}

}  // namespace benchwq
