#include "alarmengine/alarmscan.h"

#include "alarmengine/schedule.h"

#include <algorithm>
#include <tuple>

namespace {

// The chime's memory of the last full hour reaches one day back: a clock set
// back chimes no hour twice, and one set back further is past caring.
bool cameRoundAgain(qint64 localSecond, std::optional<qint64> handled)
{
    return handled && localSecond <= *handled && *handled - localSecond < kSecondsPerDay;
}

} // namespace

bool AlarmMarks::handledAt(qint64 localSecond) const
{
    return std::binary_search(handled.begin(), handled.end(), localSecond);
}

void AlarmMarks::markHandled(qint64 localSecond)
{
    const auto at = std::lower_bound(handled.begin(), handled.end(), localSecond);
    if (at != handled.end() && *at == localSecond)
        return;
    handled.insert(at, localSecond);
    const qint64 oldest = handled.constLast() - kHandledMemorySeconds;
    handled.removeIf([oldest](qint64 second) { return second < oldest; });
    if (handled.size() > kMaxHandled)
        handled.remove(0, handled.size() - kMaxHandled);
}

void removeMarks(AlarmMarksTable &marks, int slot)
{
    std::move(marks.begin() + slot + 1, marks.end(), marks.begin() + slot);
    marks.back() = AlarmMarks();
}

struct AlarmScan::Pass {
    const AlarmSlots &alarms;
    AlarmMarksTable &marks;
    int alarmCount; // slots 1 to alarmCount hold the alarms, none after
    ScanResult &result;
    const QTimeZone &zone;
    // A late tick evaluates up to an hour of seconds; each time text is read once.
    std::array<std::optional<QTime>, kAlarmSlots> alarmTimes{};
};

ScanResult AlarmScan::tick(const QDateTime &now, const AlarmSlots &alarms, int alarmCount,
                           AlarmMarksTable &marks)
{
    ScanResult result;
    const QTimeZone zone = now.timeZone();
    Pass pass{alarms, marks, alarmCount, result, zone};
    for (int slot = 1; slot <= alarmCount; ++slot)
        pass.alarmTimes[slot] = alarmTimeOfDay(alarms[slot].timeText, m_locale);
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

    // A snooze is an answer the user already gave: it rings however late.
    for (int slot = 1; slot <= alarmCount; ++slot) {
        AlarmMarks &mark = marks[slot];
        if (!mark.snoozeUntil || *mark.snoozeUntil > nowUtc)
            continue;
        result.due.append({slot, localSecondIn(zone, *mark.snoozeUntil), *mark.snoozeUntil});
        mark.snoozeUntil.reset();
        mark.snoozeSteadyMs.reset();
    }
    std::stable_sort(result.due.begin(), result.due.end(),
                     [](const DueAlarm &a, const DueAlarm &b) {
                         return std::tie(a.dueUtc, a.localSecond, a.slot) <
                                std::tie(b.dueUtc, b.localSecond, b.slot);
                     });
    m_last = Reading{nowUtc, nowLocal, zone};
    return result;
}

std::optional<LastLook> AlarmScan::lastLook() const
{
    if (!m_last)
        return std::nullopt;
    return LastLook{m_last->utc, m_last->local, m_last->zone.id()};
}

void AlarmScan::setLastLook(const LastLook &look)
{
    m_last = Reading{look.utc, look.local, QTimeZone(look.zone)};
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
        const std::optional<QTime> &alarmTime = pass.alarmTimes[slot];
        AlarmMarks &mark = pass.marks[slot];
        if (!alarmTime || !scheduleMatchesAt(pass.alarms[slot], *alarmTime, date, time) ||
            mark.handledAt(localSecond) || (mark.changedAt && dueUtc <= *mark.changedAt))
            continue;
        mark.markHandled(localSecond);
        pass.result.due.append({slot, localSecond, dueUtc});
    }
}

void AlarmScan::reportMissed(qint64 after, qint64 upTo, Pass &pass)
{
    if (upTo <= after)
        return;
    for (int slot = 1; slot <= pass.alarmCount; ++slot) {
        const std::optional<QTime> &alarmTime = pass.alarmTimes[slot];
        if (!alarmTime)
            continue;
        AlarmMarks &mark = pass.marks[slot];
        const qint64 from =
            mark.changedAt ? std::max(after, localSecondIn(pass.zone, *mark.changedAt)) : after;
        std::optional<qint64> due = nextScheduleSecond(pass.alarms[slot], *alarmTime, from);
        while (due && *due <= upTo && mark.handledAt(*due))
            due = nextScheduleSecond(pass.alarms[slot], *alarmTime, *due);
        if (due && *due <= upTo) {
            pass.result.missed.append({slot, *due});
            mark.markHandled(*due);
        }
    }
}
