#include "app/nextdue.h"

#include "app/alarmscan.h"

#include <QDate>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kSecondsPerDay = 24 * 60 * 60;
// The scan's memory of what rang reaches one day back (see alarmscan.cpp).
constexpr qint64 kRepeatMemorySeconds = kSecondsPerDay;
constexpr qint64 kUnixEpochLocalSecond = qint64(2440588) * kSecondsPerDay; // 1970-01-01

// Local wall time counted in seconds, every day 86400 long, as the scan counts it.
qint64 localSecondOf(QDate date, QTime time)
{
    return date.toJulianDay() * kSecondsPerDay + time.msecsSinceStartOfDay() / 1000;
}

QDate dateOf(qint64 localSecond)
{
    return QDate::fromJulianDay(localSecond / kSecondsPerDay);
}

int offsetAt(qint64 utcSecond)
{
    return QDateTime::fromSecsSinceEpoch(utcSecond, Qt::LocalTime).offsetFromUtc();
}

bool dayTicked(const AlarmRecord &alarm, QDate date)
{
    const qsizetype sundayFirst = date.dayOfWeek() % 7;
    return sundayFirst < alarm.dayFlags.size() && alarm.dayFlags[sundayFirst] == u'1';
}

// The first local second after `after` at which the schedule matches.
std::optional<qint64> nextScheduleSecond(const AlarmRecord &alarm, int timeOfDay, qint64 after)
{
    const QDate &on = alarm.alarmDate;
    const QDate today = dateOf(after);
    const auto at = [timeOfDay](QDate date) {
        return localSecondOf(date, QTime(0, 0)) + timeOfDay;
    };
    switch (alarm.frequency) {
    case AlarmFrequency::FixedDate:
        if (on.isValid() && at(on) > after)
            return at(on);
        return std::nullopt;
    case AlarmFrequency::Hourly: {
        const qint64 inHour = timeOfDay % 3600;
        const qint64 candidate = after - after % 3600 + inHour;
        return candidate > after ? candidate : candidate + 3600;
    }
    case AlarmFrequency::Daily:
        return at(today) > after ? at(today) : at(today.addDays(1));
    case AlarmFrequency::Weekly:
        for (int day = 0; day <= 7; ++day) {
            const QDate date = today.addDays(day);
            if (dayTicked(alarm, date) && at(date) > after)
                return at(date);
        }
        return std::nullopt;
    case AlarmFrequency::Monthly:
        // A day from 29 to 31 is missing from at most one month in a row.
        for (int month = 0; on.isValid() && month <= 2; ++month) {
            const QDate first = QDate(today.year(), today.month(), 1).addMonths(month);
            const QDate date(first.year(), first.month(), on.day());
            if (date.isValid() && at(date) > after)
                return at(date);
        }
        return std::nullopt;
    case AlarmFrequency::Yearly:
        // 29 February comes back within eight years (2096, then 2104).
        for (int year = 0; on.isValid() && year <= 8; ++year) {
            const QDate date(today.year() + year, on.month(), on.day());
            if (date.isValid() && at(date) > after)
                return at(date);
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<qint64> nextScheduleDue(const AlarmRecord &alarm, const QLocale &locale, qint64 after)
{
    const std::optional<QTime> time = alarmTimeOfDay(alarm.timeText, locale);
    if (!time)
        return std::nullopt;
    const int timeOfDay = time->msecsSinceStartOfDay() / 1000;
    std::optional<qint64> due = nextScheduleSecond(alarm, timeOfDay, after);
    // After the clock was set back, a time that has rung does not ring again.
    if (due && alarm.scheduleRang.isValid()) {
        const qint64 rang = localSecondOf(alarm.scheduleRang.date(), alarm.scheduleRang.time());
        if (*due <= rang && rang - *due < kRepeatMemorySeconds)
            due = nextScheduleSecond(alarm, timeOfDay, rang);
    }
    return due;
}

// The first local second after `after` whose minute runs the snooze out.
std::optional<qint64> nextSnoozeDue(const AlarmRecord &alarm, int snnhin, qint64 after)
{
    const qint64 next = after + 1;
    const int minute = static_cast<int>(next % 3600 / 60);
    if (snoozeRunOut(alarm, minute, snnhin))
        return next;
    // Not run out now, so the snooze is a number above the minutes elapsed.
    const double snooze = leadingNumber(alarm.snoozeMinutes).value_or(60);
    const int elapsed = ((minute - snnhin) % 60 + 60) % 60;
    const double reached = std::ceil(snooze);
    if (reached >= 60)
        return std::nullopt;
    return next - next % 60 + (static_cast<qint64>(reached) - elapsed) * 60;
}

std::optional<qint64> nextLocalDue(const AlarmRecord &alarm, const DueContext &context,
                                   qint64 after)
{
    if (!alarm.inUse)
        return std::nullopt;
    std::optional<qint64> due = nextScheduleDue(alarm, context.locale, after);
    if (alarm.snoozed && !context.alarmInProgress) {
        if (const std::optional<qint64> snooze = nextSnoozeDue(alarm, context.snnhin, after))
            due = due ? std::min(*due, *snooze) : *snooze;
    }
    return due;
}

// The first instant after afterUtc that shows the local second `local`; for a
// second the start of daylight saving skips, the instant of the jump.
QDateTime instantOf(qint64 local, qint64 afterUtc)
{
    const qint64 wall = local - kUnixEpochLocalSecond;
    // Zones change their offset at most once in two days.
    const int before = offsetAt(wall - kSecondsPerDay);
    const int later = offsetAt(wall + kSecondsPerDay);
    std::optional<qint64> first;
    for (const int offset : {before, later}) {
        const qint64 utc = wall - offset;
        if (utc > afterUtc && offsetAt(utc) == offset)
            first = first ? std::min(*first, utc) : utc;
    }
    if (!first) {
        // Skipped: the jump lies between the two readings; find its second.
        qint64 low = wall - later;   // still the old offset
        qint64 high = wall - before; // already the new one
        while (high - low > 1) {
            const qint64 middle = low + (high - low) / 2;
            (offsetAt(middle) == before ? low : high) = middle;
        }
        first = std::max(high, afterUtc + 1);
    }
    return QDateTime::fromSecsSinceEpoch(*first, Qt::UTC);
}

qint64 localSecondOf(const QDateTime &time)
{
    return localSecondOf(time.date(), time.time());
}

} // namespace

std::optional<QDateTime> nextWakeUp(const AlarmSlots &alarms, const DueContext &context)
{
    // Later local seconds never fall at earlier instants, so only the
    // earliest is turned into an instant.
    const qint64 after = localSecondOf(context.after);
    std::optional<qint64> earliest;
    for (int slot = 1; slot < kAlarmSlots; ++slot) {
        if (const std::optional<qint64> due = nextLocalDue(alarms[slot], context, after))
            earliest = earliest ? std::min(*earliest, *due) : *due;
    }
    if (!earliest)
        return std::nullopt;
    return instantOf(*earliest, context.after.toSecsSinceEpoch());
}
