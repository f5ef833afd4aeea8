#include "platform/WaitCursor.h"

#include "platform/UiThread.h"

#include <QCursor>
#include <QGuiApplication>

CWaitCursor::CWaitCursor()
{
    if (!QGuiApplication::instance()) return;
    AssertUiThread();
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    shown_ = true;
}

CWaitCursor::~CWaitCursor()
{
    if (shown_) QGuiApplication::restoreOverrideCursor();
}
