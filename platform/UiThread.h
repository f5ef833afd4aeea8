// The user-interface thread: the thread of the Qt application object. Widgets are touched
// only there; other threads reach it by posting or by a call that waits.
#pragma once

#include <QApplication>

#include <functional>

// True on the thread that owns the Qt application (false when there is none).
bool IsUiThread();

// Stops a debug build when a widget is touched off the user-interface thread.
void AssertUiThread();

// Runs fn on the user-interface thread and returns when it has run: a direct call there, a
// queued call that the caller waits for elsewhere (the user-interface thread must keep
// processing events). Returns false, without running fn, when there is no Qt application.
bool CallOnUiThread(const std::function<void()>& fn);

// Queues fn to run on the user-interface thread after what is already queued; callable from
// any thread, and calls queued from one thread run in the order they were queued. Returns
// false, without queueing, when there is no Qt application.
bool QueueOnUiThread(std::function<void()> fn);

// The Qt application of the program and of the GUI tests: it counts the events being
// delivered, so that a window destroyed by one of its own handlers is deleted only after the
// delivery has returned.
class PlatformApplication : public QApplication
{
public:
    PlatformApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// True while an event is being delivered on the user-interface thread.
bool InsideEventDelivery();
