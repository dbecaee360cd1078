#include "alarmengine/nextdue.h"

#include "alarmengine/schedule.h"

#include <QTimeZone>

#include <algorithm>
#include <utility>

namespace {

constexpr qint64 kUnixEpochLocalSecond = qint64(2440588) * kSecondsPerDay; // 1970-01-01

int offsetAt(const QTimeZone &zone, qint64 utcSecond)
{
    return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(utcSecond, Qt::UTC));
}

std::optional<qint64> nextScheduleDue(const AlarmRecord &alarm, const AlarmMarks &mark,
                                      const QLocale &locale, qint64 after)
{
    const std::optional<QTime> time = alarmTimeOfDay(alarm.timeText, locale);
    if (!time)
        return std::nullopt;
    std::optional<qint64> due = nextScheduleSecond(alarm, *time, after);
    // After the clock was set back, a time that has rung does not ring again.
    while (due && mark.handledAt(*due))
        due = nextScheduleSecond(alarm, *time, *due);
    return due;
}

// The first instant after afterUtc that shows the local second `local`; for a
// second the start of daylight saving skips, the instant of the jump.
qint64 instantOf(qint64 local, qint64 afterUtc, const QTimeZone &zone)
{
    const qint64 wall = local - kUnixEpochLocalSecond;
    // Zones change their offset at most once in two days.
    const int before = offsetAt(zone, wall - kSecondsPerDay);
    const int later = offsetAt(zone, wall + kSecondsPerDay);
    std::optional<qint64> first;
    for (const int offset : {before, later}) {
        const qint64 utc = wall - offset;
        if (utc > afterUtc && offsetAt(zone, utc) == offset)
            first = first ? std::min(*first, utc) : utc;
    }
    if (first)
        return *first;
    // Skipped: the jump lies between the two readings; find its second.
    qint64 low = wall - later;   // still the old offset
    qint64 high = wall - before; // already the new one
    while (high - low > 1) {
        const qint64 middle = low + (high - low) / 2;
        (offsetAt(zone, middle) == before ? low : high) = middle;
    }
    return std::max(high, afterUtc + 1);
}

// When one alarm comes due after `after`: the local second its schedule
// names next, and the instant its snooze ends.
struct SlotDue {
    std::optional<qint64> local;
    std::optional<qint64> snoozeUtc;
};

SlotDue slotDue(const AlarmRecord &alarm, const AlarmMarks &mark, const QDateTime &after,
                qint64 afterUtc, qint64 afterLocal, const QLocale &locale)
{
    // Nothing up to the alarm's last change rings, should the clock have been set back since.
    const qint64 from = mark.changedAt && *mark.changedAt > afterUtc
                            ? localSecondIn(after.timeZone(), *mark.changedAt)
                            : afterLocal;
    SlotDue due{nextScheduleDue(alarm, mark, locale, from), std::nullopt};
    if (mark.snoozeUntil && *mark.snoozeUntil > afterUtc)
        due.snoozeUtc = mark.snoozeUntil;
    return due;
}

} // namespace

std::optional<NextDue> nextWakeUp(const AlarmSlots &alarms, int alarmCount,
                                  const AlarmMarksTable &marks, const QDateTime &after,
                                  const QLocale &locale)
{
    const qint64 afterUtc = after.toSecsSinceEpoch();
    const qint64 afterLocal = localSecondOf(after.date(), after.time());
    // Later local seconds never fall at earlier instants, so only the
    // earliest is turned into an instant. Each keeps the lowest slot of its
    // second, as the slots are walked upwards.
    std::optional<std::pair<qint64, int>> earliestLocal;
    std::optional<std::pair<qint64, int>> earliestSnooze;
    const auto keepEarlier = [](std::optional<std::pair<qint64, int>> &earliest, qint64 second,
                                int slot) {
        if (!earliest || second < earliest->first)
            earliest = std::pair(second, slot);
    };
    for (int slot = 1; slot <= alarmCount; ++slot) {
        const SlotDue due = slotDue(alarms[slot], marks[slot], after, afterUtc, afterLocal, locale);
        if (due.local)
            keepEarlier(earliestLocal, *due.local, slot);
        if (due.snoozeUtc)
            keepEarlier(earliestSnooze, *due.snoozeUtc, slot);
    }
    std::optional<std::pair<qint64, int>> due = earliestSnooze;
    if (earliestLocal) {
        const qint64 instant = instantOf(earliestLocal->first, afterUtc, after.timeZone());
        if (!due || std::pair(instant, earliestLocal->second) < *due)
            due = std::pair(instant, earliestLocal->second);
    }
    if (!due)
        return std::nullopt;
    return NextDue{QDateTime::fromSecsSinceEpoch(due->first, Qt::UTC), due->second};
}

std::optional<QDateTime> alarmNextDue(const AlarmRecord &alarm, const AlarmMarks &mark,
                                      const QDateTime &after, const QLocale &locale)
{
    const qint64 afterUtc = after.toSecsSinceEpoch();
    const SlotDue due =
        slotDue(alarm, mark, after, afterUtc, localSecondOf(after.date(), after.time()), locale);
    std::optional<qint64> at = due.snoozeUtc;
    if (due.local) {
        const qint64 instant = instantOf(*due.local, afterUtc, after.timeZone());
        if (!at || instant < *at)
            at = instant;
    }
    if (!at)
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(*at, Qt::UTC);
}

qint64 nextNeededTick(const QDateTime &now, std::optional<qint64> dueUtc)
{
    const qint64 nowUtc = now.toSecsSinceEpoch();
    qint64 needed = nowUtc + 60 - now.time().second();
    if (dueUtc && *dueUtc > nowUtc) {
        const qint64 readyAt = *dueUtc - kReadyLeadSeconds;
        needed = std::min(needed, readyAt > nowUtc ? readyAt : *dueUtc);
    }
    return needed;
}
