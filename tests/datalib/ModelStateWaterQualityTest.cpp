// Water-quality inflow series through the model state, for each water-quality type: a file is
// loaded over its model, the display series are built from it, one concentration is edited and
// written back, and the saved file differs from the unedited save in that number only.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "EngineModelFixture.h"
#include "../engine/ModelFilesTestSupport.h"
#include "datalib/ModelState.h"
#include "engine/EngineData.h"
#include "engine/ModelFiles.h"
#include "engine/ModelSetup.h"
#include "engine/WaterQualityFile.h"

using namespace VQXDisplayLib;
namespace fs = std::filesystem;

namespace {

using modelfiles_test::QuietStdout;

std::vector<std::string> Lines(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;) fields.push_back(field);
    return fields;
}

class WaterQualitySeries : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("vasquil-wq-series-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

TEST_F(WaterQualitySeries, AnEditedInflowConcentrationIsSavedAndNothingElseChanges)
{
    const fs::path examples = fs::path(VASQUIL_SOURCE_DIR) / "examples";
    const fs::path data = VASQUIL_TEST_DATA;
    struct Case {
        fs::path model, wq;
        int type;
        int value;  // the edited entry of WQValues
    };
    const Case cases[] = {
        {examples / "sample-river.vqx", examples / "sample-river.nu", WQNutrients, 3},      // BOD
        {examples / "sample-network.vqx", examples / "sample-network.hm", WQHeavyMetals, 6},  // Cdw
        {data / "steady-channel.vqx", data / "tracer.xe", WQXenobiotics, 8},                 // Css
    };
    constexpr double Edited = 7.25;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wq.filename().string());
        QuietStdout quiet;
        ASSERT_EQ(LoadModelFile(c.model), 0);
        ASSERT_EQ(LoadWQFile(c.wq), 0) << WQReaderRefusal();
        auto model = std::make_unique<VQXDisplayModel>();
        ModelState state(model.get());
        state.BuildDisplayModel();
        state.WQLoaded = 1;
        state.PullWaterQualitySettings();
        ASSERT_EQ(state.WQType, c.type);
        state.RefreshBoundarySeries();

        // The first inflow with a series; its entries show the file's concentrations.
        VQXDisplayBoundaryElement* inflow = model->FirstBoundaryElement();
        BoundaryElementRecord* engine = g_BoundaryElements;
        for (; inflow && inflow->WQSeries.size() < 2; inflow = model->NextBoundaryElement()) engine = engine->Next;
        ASSERT_NE(inflow, nullptr);
        const int column = c.value + 1;  // WQValues 0-5 are series columns 1-6, WQValues 6-8 columns 7-9
        ASSERT_EQ(inflow->WQSeries[1].WQValues[c.value], engine->WQHydrograph->Columns[std::size_t(column)][1]);
        ASSERT_NE(inflow->WQSeries[1].WQValues[c.value], Edited);

        // Unedited, the series writes back unchanged.
        ASSERT_EQ(state.WriteBoundaryWaterQualityToEngine(inflow), ModelStateOk);
        ASSERT_EQ(SaveWQFile(folder_ / "before"), 0);
        inflow->WQSeries[1].WQValues[c.value] = Edited;
        ASSERT_EQ(state.WriteBoundaryWaterQualityToEngine(inflow), ModelStateOk);
        ASSERT_EQ(SaveWQFile(folder_ / "after"), 0);

        // One line differs, in the edited number only.
        const std::vector<std::string> before = Lines(folder_ / "before");
        const std::vector<std::string> after = Lines(folder_ / "after");
        ASSERT_EQ(before.size(), after.size());
        int changed = 0;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i]) continue;
            ++changed;
            const std::vector<std::string> was = Fields(before[i]), is = Fields(after[i]);
            ASSERT_EQ(was.size(), is.size());
            const std::size_t field = 1 + std::size_t(c.value - (c.type == WQNutrients ? 0 : 6));  // after the time
            for (std::size_t f = 0; f < was.size(); ++f)
                if (f == field) EXPECT_EQ(is[f], "7.25");
                else EXPECT_EQ(is[f], was[f]) << after[i];
        }
        EXPECT_EQ(changed, 1);

        // And the saved file reads back with it.
        ASSERT_EQ(LoadWQFile(folder_ / "after"), 0) << WQReaderRefusal();
        EXPECT_EQ(engine->WQHydrograph->Columns[std::size_t(column)][1], Edited);
    }
}

}  // namespace
