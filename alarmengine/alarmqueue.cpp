#include "alarmengine/alarmqueue.h"

#include "alarmengine/schedule.h"

#include <algorithm>
#include <cmath>

namespace {

// A snooze longer than this (a number typed into the file by hand) never runs out.
constexpr double kLongestSnoozeMinutes = 366.0 * 24 * 60;

} // namespace

AlarmQueue::TickOutcome AlarmQueue::tick(const QDateTime &now, const AlarmSlots &alarms,
                                         int alarmCount, int ringingSlot)
{
    ScanResult scan = m_scan.tick(now, alarms, alarmCount, m_marks);
    for (const DueAlarm &due : std::as_const(scan.due)) {
        if (due.slot != ringingSlot && !isWaiting(due.slot))
            m_waiting.append(due);
    }
    return TickOutcome{std::move(scan.missed), scan.fullHour, !scan.due.isEmpty()};
}

std::optional<AlarmStart> AlarmQueue::takeNext(const QDateTime &now)
{
    if (m_waiting.isEmpty())
        return std::nullopt;
    const DueAlarm due = m_waiting.takeFirst();
    answered(due.slot);
    return AlarmStart{due.slot, dateOfLocalSecond(due.localSecond),
                      now.toSecsSinceEpoch() - due.dueUtc};
}

bool AlarmQueue::isWaiting(int slot) const
{
    return std::any_of(m_waiting.begin(), m_waiting.end(),
                       [slot](const DueAlarm &due) { return due.slot == slot; });
}

void AlarmQueue::snooze(int slot, const AlarmRecord &alarm, const QDateTime &now, qint64 steadyMs)
{
    answered(slot);
    const std::optional<double> minutes = leadingNumber(alarm.snoozeMinutes);
    if (!minutes || *minutes > kLongestSnoozeMinutes)
        return;
    const qint64 minuteStart = now.toSecsSinceEpoch() - now.time().second();
    const qint64 until = minuteStart + static_cast<qint64>(std::ceil(std::max(0.0, *minutes))) * 60;
    AlarmMarks &mark = m_marks[slot];
    mark.snoozeUntil = until;
    mark.snoozeSteadyMs = steadyMs + (until * 1000 - now.toMSecsSinceEpoch());
}

bool AlarmQueue::followSteadyClock(const QDateTime &now, qint64 steadyMs)
{
    bool moved = false;
    for (AlarmMarks &mark : m_marks) {
        if (!mark.snoozeUntil || !mark.snoozeSteadyMs)
            continue;
        // To the nearest second: a wall clock that was not set gives the same
        // moment back, the start of its minute.
        const qint64 until =
            (now.toMSecsSinceEpoch() + (*mark.snoozeSteadyMs - steadyMs) + 500) / 1000;
        if (until != *mark.snoozeUntil) {
            mark.snoozeUntil = until;
            moved = true;
        }
    }
    return moved;
}

void AlarmQueue::answered(int slot)
{
    m_marks[slot].snoozeUntil.reset();
    m_marks[slot].snoozeSteadyMs.reset();
}

void AlarmQueue::restore(const AlarmMarksTable &marks, const std::optional<LastLook> &looked)
{
    m_marks = marks;
    if (looked)
        m_scan.setLastLook(*looked);
}

void AlarmQueue::deleted(int slot)
{
    m_waiting.removeIf([slot](const DueAlarm &due) { return due.slot == slot; });
    for (DueAlarm &due : m_waiting) {
        if (due.slot > slot)
            --due.slot;
    }
    removeMarks(m_marks, slot);
}
