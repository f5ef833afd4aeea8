// A comma-decimal process locale changes no byte written and no value read.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "ModelFilesTestSupport.h"
#include "engine/ModelFiles.h"

using namespace modelfiles_test;

namespace {

TEST_F(ModelFileTest, ACommaDecimalLocaleChangesNothing)
{
    std::vector<std::string> snapshots, texts;
    for (const char* fixture : AllFixtures) {
        ASSERT_EQ(ReadTextQuietly(Fixture(fixture)), 0) << fixture;
        snapshots.push_back(EngineSnapshot());
        texts.push_back(WriteText());
    }
    CommaLocale locale;
    if (!locale.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    size_t k = 0;
    for (const char* fixture : AllFixtures) {
        ASSERT_EQ(ReadTextQuietly(Fixture(fixture)), 0) << fixture;
        std::setlocale(LC_ALL, "C");   // the snapshot itself formats numbers
        EXPECT_EQ(EngineSnapshot(), snapshots[k]) << fixture;
        std::setlocale(LC_ALL, "de_DE.UTF-8") || std::setlocale(LC_ALL, "de_DE.utf8") || std::setlocale(LC_ALL, "de_DE");
        int code = -2;
        EXPECT_EQ(WriteText(&code), texts[k]) << fixture;
        EXPECT_EQ(code, 0);
        ++k;
    }
}

}  // namespace
