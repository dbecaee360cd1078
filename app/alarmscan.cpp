#include "app/alarmscan.h"

#include "app/schedule.h"

#include <algorithm>
#include <tuple>

namespace {

// A clock set back brings local times round again, and what rang at them must
// not ring twice. The memory reaches one day back: a clock that goes back
// further was wrong before, and the days it now passes through are due; an
// alarm must not fall silent for years because the clock once ran ahead.
constexpr qint64 kRepeatMemorySeconds = kSecondsPerDay;

bool cameRoundAgain(qint64 localSecond, std::optional<qint64> handled)
{
    return handled && localSecond <= *handled && *handled - localSecond < kRepeatMemorySeconds;
}

std::optional<qint64> scheduleRangSecond(const AlarmRecord &alarm)
{
    if (!alarm.scheduleRang.isValid())
        return std::nullopt;
    return localSecondOf(alarm.scheduleRang.date(), alarm.scheduleRang.time());
}

} // namespace

struct AlarmScan::Pass {
    AlarmSlots &alarms;
    int alarmCount; // slots 1 to alarmCount hold the alarms, none after
    ScanResult &result;
    // A late tick evaluates up to an hour of seconds; each time text is read once.
    std::array<std::optional<QTime>, kAlarmSlots> alarmTimes{};
};

ScanResult AlarmScan::tick(const QDateTime &now, AlarmSlots &alarms, int alarmCount,
                           SnoozeDeadlines &snoozes)
{
    ScanResult result;
    Pass pass{alarms, alarmCount, result};
    for (int slot = 1; slot <= alarmCount; ++slot) {
        if (alarms[slot].inUse)
            pass.alarmTimes[slot] = alarmTimeOfDay(alarms[slot].timeText, m_locale);
    }
    const QTimeZone zone = now.timeZone();
    const qint64 nowUtc = now.toSecsSinceEpoch();
    const qint64 nowLocal = localSecondOf(now.date(), now.time());

    const bool sameZone = m_last && m_last->zone == zone;
    if (!m_last || nowUtc <= m_last->utc || (!sameZone && nowLocal <= m_last->local)) {
        // The first tick, a second tick in the same second and a clock set
        // back have nothing to catch up.
        evaluate(nowLocal, nowUtc, pass);
    } else if (sameZone) {
        const qint64 first = std::max(m_last->utc + 1, nowUtc - kCatchUpSeconds);
        qint64 previous = first == m_last->utc + 1 ? m_last->local : localSecondIn(zone, first - 1);
        reportMissed(m_last->local, previous, pass);
        for (qint64 second = first; second <= nowUtc; ++second) {
            const qint64 local = second == nowUtc ? nowLocal : localSecondIn(zone, second);
            // The local seconds that the start of daylight saving skips never
            // come by themselves; what falls due in them is due at the jump.
            for (qint64 skipped = previous + 1; skipped < local; ++skipped)
                evaluate(skipped, second, pass);
            evaluate(local, second, pass);
            previous = local;
        }
    } else {
        // Another time zone moves local time as setting the clock would.
        const qint64 first = std::max(m_last->local + 1, nowLocal - kCatchUpSeconds);
        reportMissed(m_last->local, first - 1, pass);
        for (qint64 local = first; local <= nowLocal; ++local)
            evaluate(local, nowUtc - (nowLocal - local), pass);
    }

    for (int slot = 1; slot <= alarmCount; ++slot) {
        std::optional<qint64> &deadline = snoozes[slot];
        if (!deadline || *deadline > nowUtc || !alarms[slot].inUse || !alarms[slot].snoozed)
            continue;
        const qint64 local = localSecondIn(zone, *deadline);
        if (nowUtc - *deadline > kCatchUpSeconds)
            result.missed.append({slot, local});
        else
            result.due.append({slot, local, *deadline});
        deadline.reset();
    }
    std::stable_sort(result.due.begin(), result.due.end(),
                     [](const DueAlarm &a, const DueAlarm &b) {
                         return std::tie(a.dueUtc, a.localSecond, a.slot) <
                                std::tie(b.dueUtc, b.localSecond, b.slot);
                     });
    m_last = Reading{nowUtc, nowLocal, zone};
    return result;
}

void AlarmScan::evaluate(qint64 localSecond, qint64 dueUtc, Pass &pass)
{
    if (localSecond % 3600 == 0 && !cameRoundAgain(localSecond, m_lastFullHour)) {
        m_lastFullHour = localSecond;
        pass.result.fullHour = true;
    }
    const QDate date = dateOfLocalSecond(localSecond);
    const QTime time = timeOfLocalSecond(localSecond);
    for (int slot = 1; slot <= pass.alarmCount; ++slot) {
        AlarmRecord &alarm = pass.alarms[slot];
        const std::optional<QTime> &alarmTime = pass.alarmTimes[slot];
        if (!alarm.inUse || !alarmTime || !scheduleMatchesAt(alarm, *alarmTime, date, time) ||
            cameRoundAgain(localSecond, scheduleRangSecond(alarm)))
            continue;
        alarm.scheduleRang = QDateTime(date, time, Qt::UTC);
        pass.result.due.append({slot, localSecond, dueUtc});
    }
}

void AlarmScan::reportMissed(qint64 after, qint64 upTo, Pass &pass) const
{
    if (upTo <= after)
        return;
    for (int slot = 1; slot <= pass.alarmCount; ++slot) {
        const AlarmRecord &alarm = pass.alarms[slot];
        const std::optional<QTime> &alarmTime = pass.alarmTimes[slot];
        if (!alarm.inUse || !alarmTime)
            continue;
        const std::optional<qint64> due = nextScheduleSecond(alarm, *alarmTime, after);
        if (due && *due <= upTo && !cameRoundAgain(*due, scheduleRangSecond(alarm)))
            pass.result.missed.append({slot, *due});
    }
}
