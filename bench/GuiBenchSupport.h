// What the benchmarks of the windows share: the program's Qt application around the run.
#pragma once

#include "platform/Dialog.h"
#include "platform/TestHooks.h"
#include "platform/UiThread.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>

#include <clocale>
#include <functional>

namespace benchsupport {

// Runs the dialog modally with script played on the live dialog, which then closes.
inline void RunModal(CDialog& dialog, const std::function<void(CDialog&)>& script)
{
    ModalDialogInterceptor interceptor;
    interceptor.scripts.push_back([&](CDialog& live) {
        script(live);
        live.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
}

// Runs the benchmarks the command line names inside the program's Qt application, on Qt's
// offscreen platform unless QT_QPA_PLATFORM names another, with numbers read and written in
// the C locale as the program does. Then calls cleanup (when given) and delivers the deferred
// deletes of the windows left, before the application ends. Returns 0, the process's exit code.
inline int RunWindowBenchmarks(int argc, char** argv, const std::function<void()>& cleanup = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    PlatformApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (cleanup) cleanup();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

}  // namespace benchsupport
