#pragma once

#include "app/alarmscan.h"

#include <QDate>
#include <QList>

#include <optional>

// How late a sleep alarm may start and still turn the computer off: later,
// the user has most likely come back to it (a resumed laptop, a clock put
// right) and is not to lose their work to an alarm that is long past.
inline constexpr int kPowerOffLateSeconds = 60;

// An alarm that begins to ring.
struct AlarmStart {
    int slot = 0;
    QDate date;             // the day it rings for
    qint64 lateSeconds = 0; // how long after its moment it starts

    bool mayPowerOff() const { return lateSeconds <= kPowerOffLateSeconds; }
    friend bool operator==(const AlarmStart &, const AlarmStart &) = default;
};

// Which alarm rings, which wait their turn, and when each snoozed alarm rings
// again. One alarm rings at a time; whatever falls due meanwhile waits and
// rings after it, in the order it fell due, the lowest slot first within a
// second, so no alarm is lost to another.
class AlarmQueue final {
public:
    explicit AlarmQueue(const QLocale &locale) : m_scan(locale) {}

    struct TickOutcome {
        std::optional<AlarmStart> start; // begins to ring now
        QList<MissedAlarm> missed;
        bool fullHour = false;
    };
    // The clock's tick: scans the table and queues what fell due; when no
    // alarm is in progress, the first waiting one starts.
    TickOutcome tick(const QDateTime &now, AlarmSlots &alarms, int alarmCount);

    // The alarm in progress is over (answered, or its fade-out has ended);
    // the next waiting alarm, if any, starts now.
    std::optional<AlarmStart> finish(const QDateTime &now, AlarmSlots &alarms);

    // Snooze pressed at `now` for the alarm in `slot`: it rings again at the
    // start of the minute its snooze minutes after this one.
    void snooze(int slot, const QDateTime &now, AlarmSlots &alarms);

    // The alarm in `slot` left the table and the alarms after it moved up.
    void deleted(int slot);

    bool inProgress() const { return m_inProgress; }
    const SnoozeDeadlines &snoozeDeadlines() const { return m_snoozes; }

private:
    std::optional<AlarmStart> startNext(qint64 nowUtc, AlarmSlots &alarms);
    bool isQueued(int slot) const;

    AlarmScan m_scan;
    SnoozeDeadlines m_snoozes{};
    QList<DueAlarm> m_waiting;
    bool m_inProgress = false;
    int m_ringing = 0; // its slot; 0 once it left the table
};
