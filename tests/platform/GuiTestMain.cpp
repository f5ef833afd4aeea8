// Every GUI test executable shares this main: one Qt application, made before the first test runs (listing the tests
// needs none) and gone after the last.
#include "platform/UiThread.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <memory>

namespace {

// Qt's offscreen platform says what it cannot do (raise a window, ...) on every call: that
// says nothing about the code under test.
// Every other message goes to the handler that was in place before, or to standard error.
QtMessageHandler g_PreviousHandler = nullptr;

void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (g_PreviousHandler)
        g_PreviousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        g_PreviousHandler = qInstallMessageHandler(QuietOffscreenNotes);
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
    char name_[16] = "vasquil_tests";
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
