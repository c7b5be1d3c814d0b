#include "app/qt/LocaleDateFormat.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>

#include "app/model/DateText.h"

namespace corvane::app {

QString LocaleDateFormat::shortDateShortTime(double secondsSince1970) {
    if (!std::isfinite(secondsSince1970)) secondsSince1970 = 0.0;
    const QDateTime date = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(secondsSince1970)));
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

void LocaleDateFormat::install() {
    DateText::setShortStyleFormatter([](double seconds) { return shortDateShortTime(seconds).toStdString(); });
}

}  // namespace corvane::app
