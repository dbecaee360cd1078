#include "alarmengine/alarmreport.h"

namespace {

QString momentText(const QDateTime &utc, const QDateTime &now, const QLocale &locale)
{
    const QDateTime local = utc.toTimeZone(now.timeZone());
    return locale.toString(local.date(), QLocale::ShortFormat) + u' ' +
           local.time().toString(u"HH:mm:ss");
}

} // namespace

QString nextAlarmReport(const std::optional<NextDue> &next, const AlarmSlots &alarms,
                        const QDateTime &now, const QLocale &locale)
{
    if (!next)
        return QStringLiteral("No alarm is due.");
    return momentText(next->at, now, locale) + QStringLiteral("  ") + alarms[next->slot].message;
}

QStringList alarmListReport(const AlarmSlots &alarms, int alarmCount, const AlarmMarksTable &marks,
                            const QDateTime &now, const QLocale &locale)
{
    const QStringList frequencies = alarmFrequencyNames();
    QStringList lines;
    for (int slot = 1; slot <= alarmCount; ++slot) {
        const AlarmRecord &alarm = alarms[slot];
        const std::optional<QDateTime> due = alarmNextDue(alarm, marks[slot], now, locale);
        lines << QStringList{QString::number(slot), frequencies.value(alarm.frequency),
                             alarm.timeText,
                             due ? momentText(*due, now, locale) : QStringLiteral("never"),
                             alarm.message}
                     .join(u'\t');
    }
    return lines;
}
