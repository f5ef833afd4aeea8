#include "platform/Printing.h"

#include "platform/Text.h"

#include <QDateTime>
#include <QLocale>

std::string LocalDateTimeText()
{
    return QStringToCp1252(QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}
