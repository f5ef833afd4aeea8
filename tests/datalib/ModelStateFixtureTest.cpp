// The model state and the state files over the model-file fixtures of every file type, metric
// and imperial: the display model mirrors what was read, writing back every unedited object
// leaves the model file the engine writes unchanged byte for byte, and a timed state file
// reads back as the same model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "tests/TestFolder.h"
#include "datalib/ModelState.h"
#include "datalib/ResultsWriter.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"

using namespace VQXDisplayLib;
namespace fs = std::filesystem;

namespace {

class ReleaseEngineAtExit : public ::testing::Environment {
public:
    void TearDown() override { ReleaseModel(); }
};
::testing::Environment* const ReleaseEngine = ::testing::AddGlobalTestEnvironment(new ReleaseEngineAtExit);

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Load(const fs::path& path)
{
    std::FILE* stream = std::fopen(path.string().c_str(), "rb");
    return stream != nullptr && ReadModelFile(stream) == 0;
}

// The engine data as the model writer writes them.
std::string Written(const fs::path& path)
{
    std::FILE* stream = std::fopen(path.string().c_str(), "wb");
    EXPECT_NE(stream, nullptr);
    EXPECT_EQ(WriteModelFile(stream), 0);
    return ReadFile(path);
}

// Empty when the texts are equal, else the first line in which they differ.
std::string FirstDifference(const std::string& a, const std::string& b)
{
    if (a == b)
        return {};
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool ga = static_cast<bool>(std::getline(sa, la));
        const bool gb = static_cast<bool>(std::getline(sb, lb));
        if (!ga && !gb)
            return "texts differ only at the end";
        if (la != lb || ga != gb)
            return "line " + std::to_string(line) + ":\n  " + la + "\n  " + lb;
    }
}

// The fixtures the reader accepts, sorted by name.
std::vector<fs::path> ReadableFixtures()
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(VASQUIL_TEST_DATA))
        if (entry.path().extension() == ".vqx")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<fs::path> readable;
    for (const fs::path& f : files)
        if (Load(f))
            readable.push_back(f);
    return readable;
}

class FixtureFiles : public ::testing::Test {
protected:
    fs::path Folder;
    void SetUp() override
    {
        Folder = FreshTestFolder("vasquil-fixtures");
    }
    void TearDown() override { fs::remove_all(Folder); }
};

// Writes back every object a user can edit, unedited, and pushes the run settings.
void WriteEverythingBack(ModelState& s, VQXDisplayModel& m)
{
    for (VQXDisplayNode* n = m.FirstNode(); n != nullptr; n = m.NextNode())
        EXPECT_EQ(s.WriteNodeToEngine(n), ModelStateOk) << "node " << n->Number;
    for (VQXDisplayNode* n = m.FirstNode(); n != nullptr; n = m.NextNode())
        if (n->CrossSection) {
            EXPECT_EQ(s.WriteCrossSectionToEngine(n, nullptr), ModelStateOk) << "node " << n->Number;
        }
    for (VQXDisplayBoundaryElement* b = m.FirstBoundaryElement(); b != nullptr; b = m.NextBoundaryElement())
        EXPECT_EQ(s.WriteBoundarySeriesToEngine(b), ModelStateOk) << "boundary element " << b->Number;
    for (VQXAtmosphericZone* z = m.FirstZone(); z != nullptr; z = m.NextZone())
        EXPECT_EQ(s.WriteZoneSeriesToEngine(z), ModelStateOk) << "zone " << z->Number;
    s.PushRunSettings();
}

}  // namespace

TEST_F(FixtureFiles, UneditedWriteBackKeepsEveryModelFileByteForByte)
{
    std::set<std::pair<int, int>> covered;
    for (const fs::path& fixture : ReadableFixtures()) {
        SCOPED_TRACE(fixture.filename().string());
        ASSERT_TRUE(Load(fixture));
        covered.insert({g_ModelControl.FileType, g_ModelControl.UnitSystem});
        const std::string before = Written(Folder / "before.vqx");

        VQXDisplayModel model;
        ModelState state(&model);
        state.BuildDisplayModel();
        EXPECT_EQ(model.NodeList.Count, g_ModelControl.NodeCount);
        EXPECT_EQ(model.InteriorList.Count, g_ModelControl.ElementCount);
        EXPECT_EQ(model.BoundaryList.Count, g_ModelControl.BoundaryElementCount);
        EXPECT_EQ(model.JunctionList.Count, g_ModelControl.JunctionCount);
        EXPECT_EQ(model.ZoneList.Count, g_ModelControl.AtmosphericZoneCount);
        EXPECT_EQ(model.EventList.Count, g_ModelControl.BridgingEventCount);
        EXPECT_EQ(model.UnitSystem, g_ModelControl.UnitSystem);
        int i = 0;
        for (VQXDisplayNode* n = model.FirstNode(); n != nullptr; n = model.NextNode(), ++i) {
            const NodeRecord& e = *g_NodeIndex[static_cast<std::size_t>(i)];
            EXPECT_EQ(n->Number, e.Number);
            EXPECT_NEAR(n->Stage * g_ModelControl.LengthFactor, e.Stage, 1e-9 * std::fabs(e.Stage) + 1e-12);
            EXPECT_EQ(n->CrossSection != nullptr, e.CrossSection != nullptr);
        }

        WriteEverythingBack(state, model);
        EXPECT_EQ(FirstDifference(Written(Folder / "after.vqx"), before), "");

        // Pushing the global and water-quality settings unchanged re-initialises the engine
        // and changes no value of the file, a thermal model's ice velocities included: a file
        // in the writer's own layout comes out byte for byte.
        state.PushGlobalSettings();
        state.PushWaterQualitySettings();
        const std::string pushed = Written(Folder / "pushed.vqx");
        EXPECT_EQ(FirstDifference(pushed, before), "");
        if (fixture.filename().string().rfind("layout-", 0) == 0) {
            EXPECT_EQ(FirstDifference(pushed, ReadFile(fixture)), "");
        }
    }
    for (int fileType = 0; fileType <= 3; ++fileType)
        for (int units = 0; units <= 1; ++units)
            EXPECT_TRUE(covered.count({fileType, units})) << "no fixture of file type " << fileType << " units " << units;
}

TEST_F(FixtureFiles, TimedStateFileReadsBackAsTheModel)
{
    for (const fs::path& fixture : ReadableFixtures()) {
        SCOPED_TRACE(fixture.filename().string());
        ASSERT_TRUE(Load(fixture));
        const std::string original = Written(Folder / "original.vqx");
        VQXDisplayModel model;
        ModelState state(&model);
        state.BuildDisplayModel();
        ResultsWriter writer(&model, &state);
        writer.StateFolder = Folder.string();
        const std::string modelPath = (fs::path("somewhere") / fixture.filename()).string();
        ASSERT_EQ(writer.WriteStateFile(modelPath), ResultsOk);
        const fs::path written = writer.StateFilePath(modelPath, 2);
        ASSERT_TRUE(fs::exists(written)) << written;
        const std::string name = written.filename().string();
        EXPECT_EQ(name.substr(name.size() - 8), " hrs.vqX");
        ASSERT_TRUE(Load(written));
        EXPECT_EQ(FirstDifference(Written(Folder / "again.vqx"), original), "");
        fs::remove(written);
    }
}

TEST_F(FixtureFiles, StateFilesOfTimesThatRoundAlikeAreKeptApart)
{
    const std::vector<fs::path> fixtures = ReadableFixtures();
    ASSERT_FALSE(fixtures.empty());
    ASSERT_TRUE(Load(fixtures.front()));
    VQXDisplayModel model;
    ModelState state(&model);
    state.BuildDisplayModel();
    ResultsWriter writer(&model, &state);
    writer.StateFolder = Folder.string();
    const std::string modelPath = "river.vqx";

    state.ModelTime = 12.501;
    ASSERT_EQ(writer.WriteStateFile(modelPath), ResultsOk);
    state.ModelTime = 12.504;  // also "12.50" with two decimals
    ASSERT_EQ(writer.WriteStateFile(modelPath), ResultsOk);
    state.ModelTime = 12.501;  // the same time again replaces its own file
    ASSERT_EQ(writer.WriteStateFile(modelPath), ResultsOk);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"river - 12.50 hrs.vqX", "river - 12.504 hrs.vqX"}));
}
