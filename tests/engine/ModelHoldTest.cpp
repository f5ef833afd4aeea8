// Holding a model aside while another file is read: a refused file gives back the earlier
// model exactly (every value, every link, the very same records), an accepted one releases it.
#include <gtest/gtest.h>

#include <string>

#include "ModelFilesTestSupport.h"
#include "engine/EngineData.h"
#include "engine/ModelHold.h"

using namespace modelfiles_test;

namespace {

// A file the reader refuses after it has allocated nodes: an element names a node that does not exist.
std::string RefusedText()
{
    std::string text = Fixture("new-command.vqx");
    const std::string row = "\t4\t4\t5\t0";
    const size_t at = text.find(row);
    EXPECT_NE(at, std::string::npos);
    return text.replace(at, row.size(), "\t4\t4\t9\t0");
}

TEST_F(ModelFileTest, ARefusedFileGivesBackTheHeldModelAsItWas)
{
    // Each fixture carries other parts: zones, bridging events and the jam table in the thermal one.
    for (const char* name : {"ft3-metric.vqx", "ft1-imperial.vqx"}) {
        ASSERT_EQ(ReadTextQuietly(Fixture(name)), 0) << name;
        const std::string before = EngineSnapshot();
        const NodeRecord* head = g_Nodes;
        const void* section = g_Nodes->CrossSection;

        HeldModel held;
        HoldModel(&held);
        ExpectEngineEmpty();
        EXPECT_NE(ReadTextQuietly(RefusedText()), 0);
        RestoreHeldModel(&held);

        EXPECT_EQ(EngineSnapshot(), before) << name;
        EXPECT_EQ(g_Nodes, head);  // the same records, not a copy
        EXPECT_EQ(g_Nodes->CrossSection, section);
        EXPECT_EQ(held.Holding, 0);
    }
}

TEST_F(ModelFileTest, AnAcceptedFileReplacesTheHeldModelWhichIsReleased)
{
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-metric.vqx")), 0);
    ReleaseModel();
    SetModelDefaults();
    ASSERT_EQ(ReadTextQuietly(Fixture("ft3-imperial.vqx")), 0);
    const std::string alone = EngineSnapshot();

    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-metric.vqx")), 0);
    {
        HeldModel held;
        HoldModel(&held);
        ASSERT_EQ(ReadTextQuietly(Fixture("ft3-imperial.vqx")), 0);
        ReleaseHeldModel(&held);
        EXPECT_EQ(held.Holding, 0);
        EXPECT_TRUE(held.NodeBlock.empty());
    }
    // Read over a held model or on its own, the file gives the same engine.
    EXPECT_EQ(EngineSnapshot(), alone);

    // A model still held when its holder ends is released with it (the sanitizer build sees a leak otherwise).
    HeldModel* held = new HeldModel;
    HoldModel(held);
    ASSERT_EQ(ReadTextQuietly(Fixture("ft0-imperial.vqx")), 0);
    delete held;
    EXPECT_EQ(g_ModelControl.UnitSystem, 0);
}

TEST_F(ModelFileTest, HoldingNoModelGivesBackNoModel)
{
    const std::string empty = EngineSnapshot();
    HeldModel held;
    HoldModel(&held);
    HoldModel(&held);  // holds one model only: the second call changes nothing
    ASSERT_EQ(ReadTextQuietly(Fixture("ft2-metric.vqx")), 0);
    RestoreHeldModel(&held);
    EXPECT_EQ(g_Nodes, nullptr);
    EXPECT_EQ(EngineSnapshot(), empty);
    RestoreHeldModel(&held);  // nothing held: nothing happens
    EXPECT_EQ(EngineSnapshot(), empty);
}

}  // namespace
