// The GUI tests share one Qt application, made before the first test runs (listing the tests
// needs none) and gone after the last.
#include "platform/UiThread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <clocale>
#include <memory>

namespace {

class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        app_ = std::make_unique<PlatformApplication>(argc_, argv_);
        QApplication::setQuitOnLastWindowClosed(false);
        std::setlocale(LC_NUMERIC, "C");
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "platform_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<PlatformApplication> app_;
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
    return RUN_ALL_TESTS();
}
