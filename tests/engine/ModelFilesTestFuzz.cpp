// A bounded, seeded mutation run of the reader over the fixtures: every mutated file is either
// refused with a listed code, leaving no model, or read into consistent data that the writer
// saves and the reader takes back. Run under the sanitizers it also shows no memory errors and
// no leaks. VASQUIL_FUZZ_ITERATIONS and VASQUIL_FUZZ_SEED change the run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "ModelFileMutation.h"
#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int DefaultIterations = 80000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int DefaultIterations = 80000;
#else
constexpr int DefaultIterations = 5000;
#endif
#else
constexpr int DefaultIterations = 5000;
#endif

int EnvironmentInt(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// The first number of two texts that differs by more than 1e-9 of its size, as "a / b"; empty
// when none does and the texts hold as many numbers.
std::string FirstNumberThatDiffers(const std::string& a, const std::string& b)
{
    const auto spansA = TokenSpans(a);
    const auto spansB = TokenSpans(b);
    if (spansA.size() != spansB.size()) return "a different count of numbers";
    for (size_t k = 0; k < spansA.size(); ++k) {
        const std::string x = a.substr(spansA[k].first, spansA[k].second);
        const std::string y = b.substr(spansB[k].first, spansB[k].second);
        const double u = std::strtod(x.c_str(), nullptr);
        const double v = std::strtod(y.c_str(), nullptr);
        if (!(std::fabs(u - v) <= 1e-9 * std::fmax(std::fabs(u), std::fabs(v)))) return x + " / " + y;
    }
    return "";
}

bool EngineIsEmpty()
{
    const ModelControl& mc = g_ModelControl;
    return mc.NodeCount == 0 && mc.ElementCount == 0 && mc.BoundaryElementCount == 0 && mc.JunctionCount == 0 &&
           mc.AtmosphericZoneCount == 0 && mc.BridgingEventCount == 0 && !g_Nodes && !g_Elements &&
           !g_BoundaryElements && !g_Junctions && !g_AtmosphericZones && !g_BridgingEvents && !g_JamTable &&
           g_NodeIndex.empty() && g_NodeBlock.empty();
}

// What a model that was read must hold; an empty string when it does.
std::string Inconsistency()
{
    const ModelControl& mc = g_ModelControl;
    int nodes = 0;
    for (const NodeRecord* n = g_Nodes; n; n = n->Next, ++nodes) {
        if (n->Index != nodes || g_NodeIndex[nodes] != n) return "node index";
        if ((n->SectionCode != 0) != (n->CrossSection != nullptr)) return "cross section";
        if (n->IceRoughnessMode < 0 || n->IceRoughnessMode > 3) return "ice roughness mode";
    }
    if (nodes != mc.NodeCount || static_cast<int>(g_NodeIndex.size()) != nodes) return "node count";
    int elements = 0;
    for (const ElementRecord* e = g_Elements; e; e = e->Next, ++elements)
        if (!e->Nodes[0] || !e->Nodes[1]) return "element node";
    if (elements != mc.ElementCount) return "element count";
    int boundaries = 0;
    for (const BoundaryElementRecord* b = g_BoundaryElements; b; b = b->Next, ++boundaries)
        if (!b->Node()) return "boundary node";
    if (boundaries != mc.BoundaryElementCount) return "boundary count";
    int junctions = 0;
    for (const JunctionRecord* j = g_Junctions; j; j = j->Next, ++junctions) {
        for (const NodeRecord* n : j->ReadNodes)
            if (!n) return "junction node";
        for (const ElementRecord* e : j->ReadElements)
            if (!e) return "junction element";
    }
    if (junctions != mc.JunctionCount) return "junction count";
    return "";
}

TEST(ModelFileFuzz, MutatedFilesAreReadOrRefusedCleanly)
{
    const int iterations = EnvironmentInt("VASQUIL_FUZZ_ITERATIONS", DefaultIterations);
    const unsigned seed = static_cast<unsigned>(EnvironmentInt("VASQUIL_FUZZ_SEED", 20240611));
    std::vector<std::string> seeds;
    for (const char* name : AllFixtures) seeds.push_back(Fixture(name));
    for (const char* name : {"layout-ft0-metric.vqx", "layout-ft1-imperial.vqx", "layout-ft2-metric.vqx",
                             "layout-ft3-imperial.vqx", "new-command.vqx"})
        seeds.push_back(Fixture(name));
    for (const std::string& s : seeds) ASSERT_FALSE(s.empty());

    const std::set<int> codes = {0,  -1, 4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                                 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41};
    // The file being read stays on disk if the run dies, and every failing mutant is kept, to
    // reproduce them.
    const std::string stem =
        (std::filesystem::temp_directory_path() / "vasquil-fuzz-").string() + std::to_string(getpid());
    const std::filesystem::path input = stem + ".vqx";
    std::fprintf(stderr, "fuzz: %d iterations, seed %u; the input being read is %s\n", iterations, seed,
                 input.c_str());

    std::vector<std::string> failures;
    int read = 0, refused = 0, written = 0;
    {
        QuietStdout quiet;
        for (int i = 0; i < iterations && failures.size() < 10; ++i) {
            std::mt19937 random(seed * 1000003u + static_cast<unsigned>(i));
            const std::string text = Mutate(seeds[random() % seeds.size()], random);
            {
                std::FILE* f = std::fopen(input.c_str(), "wb");
                std::fwrite(text.data(), 1, text.size(), f);
                std::fclose(f);
            }
            // What is wrong with the mutant's read, write and second write; empty when nothing is.
            const auto check = [&]() -> std::string {
                const int code = LoadModelFile(input);
                if (!codes.count(code)) return "unlisted code " + std::to_string(code);
                if (code != 0) {
                    ++refused;
                    if (!EngineIsEmpty()) return "refused with code " + std::to_string(code) + " but not empty";
                    return "";
                }
                ++read;
                if (const std::string what = Inconsistency(); !what.empty()) return "inconsistent " + what;
                int writeCode = -2;
                const std::string saved = WriteText(&writeCode);
                if (writeCode == 1) return "";   // a value that is not finite (from extreme input) is refused
                if (writeCode != 0) return "writer code " + std::to_string(writeCode);
                ++written;
                if (const int again = ReadText(saved); again != 0)
                    return "written file refused with code " + std::to_string(again);
                // An open and a save change nothing more: the saved model saves the same again, to
                // the printed precision.
                if (const std::string what = FirstNumberThatDiffers(WriteText(&writeCode), saved); !what.empty())
                    return "a second save differs from the first: " + what;
                return "";
            };
            if (const std::string what = check(); !what.empty()) {
                // A failing mutant is kept beside the input, named by its iteration.
                const std::filesystem::path kept = stem + "-" + std::to_string(i) + ".vqx";
                std::filesystem::copy_file(input, kept, std::filesystem::copy_options::overwrite_existing);
                failures.push_back("iteration " + std::to_string(i) + " (kept as " + kept.string() + "): " + what);
            }
        }
        ReleaseModel();
    }
    for (const std::string& f : failures) ADD_FAILURE() << f;
    std::filesystem::remove(input);
    std::fprintf(stderr, "fuzz: %d read, %d written back, %d refused\n", read, written, refused);
    EXPECT_GT(read, iterations / 20) << "mutations should leave some files readable";
    EXPECT_GT(refused, iterations / 4);
}

}  // namespace
