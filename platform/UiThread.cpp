#include "platform/UiThread.h"

#include <QCoreApplication>
#include <QThread>

#include <cassert>

namespace {
int g_deliveryDepth = 0;  // user-interface thread only
}

PlatformApplication::PlatformApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PlatformApplication::notify(QObject* receiver, QEvent* event)
{
    if (QThread::currentThread() != thread()) return QApplication::notify(receiver, event);
    ++g_deliveryDepth;
    struct Leave
    {
        ~Leave() { --g_deliveryDepth; }
    } leave;
    return QApplication::notify(receiver, event);
}

bool InsideEventDelivery()
{
    return g_deliveryDepth > 0;
}

bool IsUiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void AssertUiThread()
{
    assert(IsUiThread() && "a window was touched off the user-interface thread");
}

bool CallOnUiThread(const std::function<void()>& fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    if (QThread::currentThread() == app->thread()) {
        fn();
        return true;
    }
    return QMetaObject::invokeMethod(app, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

bool QueueOnUiThread(std::function<void()> fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    return QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}
