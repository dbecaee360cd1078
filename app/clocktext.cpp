#include "app/clocktext.h"

namespace {

// Armed this much after the half second, a timer that wakes a little early
// still reads the new second.
constexpr int kTickSlackMs = 2;

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString clockTimeText(QTime time, bool twentyFourHour, const QLocale &locale)
{
    const int hour = time.hour();
    QString text;
    if (twentyFourHour) {
        text = twoDigits(hour) + QLatin1Char(':') + twoDigits(time.minute()) + QLatin1Char(':') +
               twoDigits(time.second()) + QLatin1Char(' ');
    } else {
        const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
        text = twoDigits(hour12) + QLatin1Char(':') + twoDigits(time.minute()) + QLatin1Char(':') +
               twoDigits(time.second()) + QLatin1Char(' ') +
               (hour < 12 ? locale.amText() : locale.pmText());
    }
    // Tenths of the seconds since midnight, rounded as a one-decimal figure is.
    const int tenths = (time.msecsSinceStartOfDay() + 50) / 100 % 10;
    return text + QLatin1Char('.') + QString::number(tenths);
}

QString dateLineText(QDate date, const QLocale &locale)
{
    return locale.dayName(date.dayOfWeek()) + QLatin1String("  ") + QString::number(date.day()) +
           QLatin1String("  ") + locale.monthName(date.month()) + QLatin1String("  ") +
           QString::number(date.year());
}

int msecsToNextHalfSecond(QTime time)
{
    return 500 - time.msec() % 500 + kTickSlackMs;
}

int msecsToNextSecond(QTime time)
{
    return 1000 - time.msec() + kTickSlackMs;
}
