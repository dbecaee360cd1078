#include "app/clocktext.h"

#include <QTimeZone>

namespace {

void appendTwoDigits(QString &text, int value)
{
    text += QChar(u'0' + value / 10);
    text += QChar(u'0' + value % 10);
}

} // namespace

// Made on every tick, so built in place rather than from temporary strings.
QString clockTimeText(QTime time, bool twentyFourHour, const QLocale &locale)
{
    const int hour = time.hour();
    const QString amPm = twentyFourHour ? QString() : hour < 12 ? locale.amText() : locale.pmText();
    QString text;
    text.reserve(12 + amPm.size());
    appendTwoDigits(text, twentyFourHour ? hour : (hour % 12 == 0 ? 12 : hour % 12));
    text += QLatin1Char(':');
    appendTwoDigits(text, time.minute());
    text += QLatin1Char(':');
    appendTwoDigits(text, time.second());
    text += QLatin1Char(' ');
    text += amPm;
    // Tenths of the seconds since midnight, rounded as a one-decimal figure is.
    const int tenths = (time.msecsSinceStartOfDay() + 50) / 100 % 10;
    text += QLatin1Char('.');
    text += QChar(u'0' + tenths);
    return text;
}

QString dateLineText(QDate date, const QLocale &locale)
{
    return locale.dayName(date.dayOfWeek()) + QLatin1String("  ") + QString::number(date.day()) +
           QLatin1String("  ") + locale.monthName(date.month()) + QLatin1String("  ") +
           QString::number(date.year());
}

DigitPainter::TimeRule digitTimeRule(const QDateTime &now, bool twentyFourHour)
{
    DigitPainter::TimeRule rule;
    rule.twentyFourHour = twentyFourHour;
    rule.offsetSeconds = now.offsetFromUtc();
    rule.offsetAfter = rule.offsetSeconds;
    const QTimeZone zone = now.timeZone();
    if (zone.isValid() && zone.hasTransitions()) {
        const QTimeZone::OffsetData change = zone.nextTransition(now);
        if (change.atUtc.isValid()) {
            rule.offsetChangesAt = change.atUtc.toSecsSinceEpoch();
            rule.offsetAfter = change.offsetFromUtc;
        }
    }
    return rule;
}

bool digitTimeRuleHolds(const DigitPainter::TimeRule &rule, const QDateTime &now,
                        bool twentyFourHour)
{
    return rule.offsetSeconds == now.offsetFromUtc() && rule.twentyFourHour == twentyFourHour &&
           now.toSecsSinceEpoch() < rule.offsetChangesAt;
}
