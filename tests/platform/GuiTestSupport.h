// Helpers of the GUI tests: running the event queue and a window that records its messages.
#pragma once

#include "platform/Window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

#include <map>
#include <string>
#include <vector>

// Runs every queued event (deferred deletions too).
inline void ProcessEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Runs events until done() holds or the time is up; returns done().
template <class Done>
bool WaitUntil(Done done, int milliseconds = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

// Counts the paints each widget of the application receives.
class PaintCounter : public QObject
{
public:
    PaintCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~PaintCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints[object];
        return false;
    }
    int Total() const
    {
        int total = 0;
        for (const auto& entry : paints) total += entry.second;
        return total;
    }
    std::map<const QObject*, int> paints;
};

// A custom-drawn window that records what reaches its handlers, as "name" or "name x,y".
class RecordingWindow : public CWnd
{
public:
    std::vector<std::string> log;
    // When set, destruction is also written here as "<name> destroy" and "<name> ncdestroy".
    std::vector<std::string>* journal = nullptr;
    std::string name;

    int OnCreate(CREATESTRUCT* cs) override
    {
        log.push_back("create");
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() override { Note("destroy"); }
    void PostNcDestroy() override { Note("ncdestroy"); }
    void OnTimer(UINT_PTR id) override { log.push_back("timer " + std::to_string(id)); }
    void OnCaptureChanged(CWnd* wnd) override { log.push_back(std::string("capturechanged ") + (wnd ? "window" : "none")); }
    void OnLButtonDown(UINT flags, CPoint p) override { log.push_back(Point("lbuttondown", flags, p)); }
    void OnLButtonUp(UINT flags, CPoint p) override { log.push_back(Point("lbuttonup", flags, p)); }
    void OnLButtonDblClk(UINT flags, CPoint p) override { log.push_back(Point("lbuttondblclk", flags, p)); }
    int OnMouseActivate(CWnd* desktop, UINT hit, UINT message) override
    {
        log.push_back("mouseactivate");
        return CWnd::OnMouseActivate(desktop, hit, message);
    }
    void OnContextMenu(CWnd* wnd, CPoint p) override
    {
        log.push_back("contextmenu " + std::to_string(p.x) + "," + std::to_string(p.y));
        CWnd::OnContextMenu(wnd, p);
    }
    void OnKeyDown(UINT key, UINT, UINT) override { log.push_back("keydown " + std::to_string(key)); }
    void OnSize(UINT, int cx, int cy) override { log.push_back("size " + std::to_string(cx) + "," + std::to_string(cy)); }

    bool Logged(const std::string& entry) const
    {
        for (const std::string& e : log) {
            if (e == entry) return true;
        }
        return false;
    }

private:
    void Note(const std::string& what)
    {
        log.push_back(what);
        if (journal) journal->push_back(name + " " + what);
    }
    static std::string Point(const char* name, UINT flags, CPoint p)
    {
        return std::string(name) + " " + std::to_string(flags) + " " + std::to_string(p.x) + "," + std::to_string(p.y);
    }
};
