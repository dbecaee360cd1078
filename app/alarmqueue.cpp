#include "app/alarmqueue.h"

#include "app/schedule.h"

#include <algorithm>
#include <cmath>

namespace {

// A snooze longer than this (a number typed into the file by hand) never runs out.
constexpr double kLongestSnoozeMinutes = 366.0 * 24 * 60;

} // namespace

AlarmQueue::TickOutcome AlarmQueue::tick(const QDateTime &now, AlarmSlots &alarms, int alarmCount)
{
    ScanResult scan = m_scan.tick(now, alarms, alarmCount, m_snoozes);
    for (const DueAlarm &due : std::as_const(scan.due)) {
        if (!isQueued(due.slot))
            m_waiting.append(due);
    }
    TickOutcome outcome;
    outcome.missed = std::move(scan.missed);
    outcome.fullHour = scan.fullHour;
    if (!m_inProgress)
        outcome.start = startNext(now.toSecsSinceEpoch(), alarms);
    return outcome;
}

std::optional<AlarmStart> AlarmQueue::finish(const QDateTime &now, AlarmSlots &alarms)
{
    m_inProgress = false;
    m_ringing = 0;
    return startNext(now.toSecsSinceEpoch(), alarms);
}

std::optional<AlarmStart> AlarmQueue::startNext(qint64 nowUtc, AlarmSlots &alarms)
{
    if (m_waiting.isEmpty())
        return std::nullopt;
    const DueAlarm due = m_waiting.takeFirst();
    m_inProgress = true;
    m_ringing = due.slot;
    alarms[due.slot].snoozed = false;
    m_snoozes[due.slot].reset();
    return AlarmStart{due.slot, dateOfLocalSecond(due.localSecond), nowUtc - due.dueUtc};
}

bool AlarmQueue::isQueued(int slot) const
{
    return (m_inProgress && m_ringing == slot) ||
           std::any_of(m_waiting.begin(), m_waiting.end(),
                       [slot](const DueAlarm &due) { return due.slot == slot; });
}

void AlarmQueue::snooze(int slot, const QDateTime &now, AlarmSlots &alarms)
{
    alarms[slot].snoozed = true;
    const std::optional<double> minutes = leadingNumber(alarms[slot].snoozeMinutes);
    if (!minutes || *minutes > kLongestSnoozeMinutes) {
        m_snoozes[slot].reset();
        return;
    }
    const qint64 minuteStart = now.toSecsSinceEpoch() - now.time().second();
    m_snoozes[slot] = minuteStart + static_cast<qint64>(std::ceil(std::max(0.0, *minutes))) * 60;
}

void AlarmQueue::deleted(int slot)
{
    m_waiting.removeIf([slot](const DueAlarm &due) { return due.slot == slot; });
    for (DueAlarm &due : m_waiting) {
        if (due.slot > slot)
            --due.slot;
    }
    std::move(m_snoozes.begin() + slot + 1, m_snoozes.end(), m_snoozes.begin() + slot);
    m_snoozes.back().reset();
    if (m_ringing == slot)
        m_ringing = 0;
    else if (m_ringing > slot)
        --m_ringing;
}
