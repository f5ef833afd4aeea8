// The steps every screen tour takes on the running program: report a check, take a picture at
// a stop, let the event loop settle, send the main frame a command, and reach a dialog's
// buttons and lists, and set Output Options for a run. The tours of the views derive from it.
#pragma once

#include "platform/Dialog.h"
#include "platform/Frame.h"
#include "platform/TestHooks.h"
#include "platform/Window.h"
#include "resources/ResourceIds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace tour_steps {

// What a tour tells its runner: a stop worth a picture, and a check that failed.
struct Observer {
    std::function<void(const std::string& name)> Shot;  // may be empty
    std::function<void(const std::string& failure)> Fail;
};

class TourSteps
{
protected:
    explicit TourSteps(Observer& observer) : observer_(observer) {}

    // Counts a check that did not hold and tells the runner what it was.
    void Expect(bool held, const std::string& what)
    {
        if (held) return;
        ++failures_;
        if (observer_.Fail) observer_.Fail(what);
    }
    // A picture of the screen once the events of the last step have been handled.
    void Shot(const std::string& name)
    {
        if (!observer_.Shot) return;
        Settle();
        observer_.Shot(name);
    }
    // Handles events for the given time (ms), for repaints and timers to run.
    static void Settle(int milliseconds = 300)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
    }
    static void Events()
    {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    void Command(UINT id)
    {
        frame_->SendMessage(WM_COMMAND, id, 0);
        Events();
    }
    // Presses the run dialog's Run button and handles events until the run has ended or limit
    // milliseconds have passed. Returns whether the run has ended.
    template <class RunDialog> static bool RunUntilEnded(RunDialog& dialog, int limit)
    {
        Button(dialog, IDC_RUN_BUTTON)->Click();
        QElapsedTimer timer;
        timer.start();
        while (dialog.Running && timer.elapsed() < limit) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
        return !dialog.Running;
    }
    // Simulation > Output Options as a tour sets it before a run: the results database at path
    // (an earlier file there removed; files answers the Browse dialog with it) written every time
    // step, and no time series when seriesOff. dialogs takes the script that sets the choices,
    // accepts them and closes the dialog.
    void ChooseDatabaseEveryStep(ModalDialogInterceptor& dialogs, FileDialogProvider& files,
                                 const std::filesystem::path& path, bool seriesOff = false)
    {
        std::filesystem::remove(path);
        files.answers = {path};
        dialogs.scripts.push_back([seriesOff](CDialog& d) {
            if (seriesOff && Button(d, IDC_OUT_SERIES)->GetCheck() == BST_CHECKED) Button(d, IDC_OUT_SERIES)->Click();
            if (Button(d, IDC_OUT_DATABASE)->GetCheck() != BST_CHECKED) Button(d, IDC_OUT_DATABASE)->Click();
            Button(d, IDC_OUT_DATABASE_BROWSE)->Click();
            Combo(d, IDC_OUT_DATABASE_LIST)->SetCurSel(0);  // every time step
            Button(d, IDOK)->Click();                       // accepts the choices
            Button(d, IDCANCEL)->Click();                   // and closes
        });
        Command(ID_SIMULATION_OUTPUT_OPTIONS);
    }
    static CButton* Button(CWnd& dialog, int id) { return static_cast<CButton*>(dialog.GetDlgItem(id)); }
    static CComboBox* Combo(CWnd& dialog, int id) { return static_cast<CComboBox*>(dialog.GetDlgItem(id)); }
    // A value as text that reads back to the same double.
    static std::string Text(double v)
    {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", v);
        return text;
    }

    Observer& observer_;
    int failures_ = 0;
    CFrameWnd* frame_ = nullptr;
};

}  // namespace tour_steps
