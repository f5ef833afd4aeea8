// Figures of the HEC-RAS geometry conversion: a file of 5,000 cross sections of 200 points
// each (with cut lines and three n values) read, readied and written as a model file, whole
// and step by step.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "datalib/HECRASConversion.h"
#include "datalib/HECRASData.h"

using namespace VQXHECRASDataLib;

namespace {

constexpr int Sections = 5000;
constexpr int Points = 200;

// A right-aligned field of the given width.
void Field(std::string& text, double value, int width, int decimals)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
    text += buffer;
}

// The geometry text: one reach of sections 100 m apart, each a channel 200 points wide.
std::string GeometryText()
{
    std::string text = "Geom Title=Benchmark\nRiver Reach=Long River      ,Whole           \n\n";
    for (int s = 0; s < Sections; ++s) {
        char line[128];
        std::snprintf(line, sizeof line, "Type RM Length L Ch R = 1 ,%-8d,100,100,100\n", Sections - s);
        text += line;
        text += "XS GIS Cut Line=2\n";
        for (double v : {1000.0 + 100 * s, 0.0, 1000.0 + 100 * s, 400.0}) Field(text, v, 16, 4);
        text += '\n';
        std::snprintf(line, sizeof line, "#Sta/Elev= %d \n", Points);
        text += line;
        const double bed = 500.0 - 0.01 * s;
        for (int p = 0; p < Points; ++p) {
            const double x = 2.0 * p;
            const double depth = 8.0 * std::sin(3.141592653589793 * p / (Points - 1)) + 0.3 * std::sin(p * 0.7);
            Field(text, x, 8, 1);
            Field(text, bed + 10.0 - depth, 8, 2);
            if ((p + 1) % 5 == 0 || p + 1 == Points) text += '\n';
        }
        text += "#Mann= 3 , 0 , 0 \n";
        for (double v : {0.0, 0.06, 0.0, 100.0, 0.035, 0.0, 300.0, 0.06, 0.0}) Field(text, v, 8, 3);
        text += "\nBank Sta=100,300\nExp/Cntr=0.3,0.1\n\n";
    }
    return text;
}

const std::filesystem::path& GeometryFile()
{
    static const std::filesystem::path path = [] {
        const std::filesystem::path p =
            std::filesystem::temp_directory_path() / ("vasquil-hecras-bench-" + std::to_string(::getpid()) + ".g01");
        std::ofstream(p, std::ios::binary) << GeometryText();
        return p;
    }();
    return path;
}

std::filesystem::path ModelFile()
{
    return std::filesystem::temp_directory_path() / ("vasquil-hecras-bench-" + std::to_string(::getpid()) + ".vqx");
}

void Settle(VQXHECRASDataSet& data)
{
    data.InitialDepth = 2;
    data.InitialDischarge = 100;
}

}  // namespace

static void ConvertWholeFile(benchmark::State& state)
{
    VQXConversionRequest request;
    request.GeometryPath = GeometryFile();
    request.ModelPath = ModelFile();
    request.InitialDepth = 2;
    request.InitialDischarge = 100;
    for (auto _ : state) {
        const VQXConversionResult result = ConvertHECRASGeometry(request);
        if (!result.Ok()) state.SkipWithError(result.Reason.c_str());
    }
    state.counters["sections"] = Sections;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(request.GeometryPath)) / 1e6;
    std::filesystem::remove(request.ModelPath);
}
BENCHMARK(ConvertWholeFile)->Unit(benchmark::kMillisecond);

static void ParseOnly(benchmark::State& state)
{
    for (auto _ : state) {
        VQXHECRASDataSet data;
        Settle(data);
        if (!VQXHECRASConverter(data).ParseGeometry(GeometryFile()).Ok()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(data.NodeVector.data());
    }
}
BENCHMARK(ParseOnly)->Unit(benchmark::kMillisecond);

static void PrepareOnly(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        VQXHECRASDataSet data;
        Settle(data);
        VQXHECRASConverter(data).ParseGeometry(GeometryFile());
        state.ResumeTiming();
        if (!data.PrepareNodes().Ok()) state.SkipWithError("prepare failed");
    }
}
BENCHMARK(PrepareOnly)->Unit(benchmark::kMillisecond);

static void WriteOnly(benchmark::State& state)
{
    VQXHECRASDataSet data;
    Settle(data);
    VQXHECRASConverter(data).ParseGeometry(GeometryFile());
    data.PrepareNodes();
    for (auto _ : state)
        if (!data.WriteConvertedModel(ModelFile(), {2024, 1, 1, 0, 0, 0}).Ok()) state.SkipWithError("write failed");
    std::filesystem::remove(ModelFile());
}
BENCHMARK(WriteOnly)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(GeometryFile());
    return 0;
}
