#pragma once

#include "alarmengine/alarmscan.h"

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

// Which alarms wait their turn to ring, and what the program knows of each
// alarm: when a snoozed one rings again, what has rung. One alarm rings at a
// time; whatever falls due meanwhile waits and rings after it, in the order
// it fell due, the lowest slot first within a second, so no alarm is lost to
// another.
class AlarmQueue final {
public:
    explicit AlarmQueue(const QLocale &locale) : m_scan(locale) {}

    struct TickOutcome {
        QList<MissedAlarm> missed;
        bool fullHour = false;
        bool fellDue = false; // an alarm fell due, and is remembered as rung
    };
    // The clock's tick: scans the table and queues what fell due, but for the
    // alarm in `ringingSlot` (0 for none), which is still ringing.
    TickOutcome tick(const QDateTime &now, const AlarmSlots &alarms, int alarmCount,
                     int ringingSlot);

    // The alarm that waited longest, taken out of the queue to ring now; its
    // snooze, if it had one, is over.
    std::optional<AlarmStart> takeNext(const QDateTime &now);

    // Snooze pressed at `now` (`steadyMs` on the steady clock) for `alarm` in
    // `slot`: it rings again at the start of the minute its snooze minutes
    // after this one, that many minutes on however the wall clock is set.
    void snooze(int slot, const AlarmRecord &alarm, const QDateTime &now, qint64 steadyMs);
    // Puts each snooze's moment on the wall clock where the steady clock says
    // it is now; true when one moved (the wall clock was set).
    bool followSteadyClock(const QDateTime &now, qint64 steadyMs);
    // The alarm in `slot` was answered: it is not snoozed.
    void answered(int slot);
    // The alarm in `slot` was made or changed at `utc`.
    void changed(int slot, qint64 utc) { m_marks[slot].changedAt = utc; }

    // The alarm in `slot` left the table and the alarms after it moved up.
    void deleted(int slot);

    const AlarmMarksTable &marks() const { return m_marks; }
    std::optional<LastLook> lastLook() const { return m_scan.lastLook(); }
    // What an earlier run knew: the marks, and when it last looked.
    void restore(const AlarmMarksTable &marks, const std::optional<LastLook> &looked);

private:
    bool isWaiting(int slot) const;

    AlarmScan m_scan;
    AlarmMarksTable m_marks{};
    QList<DueAlarm> m_waiting;
};
