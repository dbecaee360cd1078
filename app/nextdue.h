#pragma once

#include "alarms/alarmtable.h"
#include "app/alarmscan.h"

#include <QDateTime>
#include <QLocale>

#include <optional>

// How long before an alarm the computer is woken: resume and the sound server
// need their time, and a resume slower than that still rings the alarm
// through the scan's catch-up window.
inline constexpr int kWakeLeadSeconds = 60;

// The alarm that comes due next, and when, as a UTC instant.
struct NextDue {
    QDateTime at;
    int slot = 0;

    friend bool operator==(const NextDue &, const NextDue &) = default;
};

// The first moment after `after` (exclusive; the clock's reading with its time
// zone) at which the tick's scan would start an alarm of the table, and the
// alarm: the moment the program must be awake for, and the alarm whose sound
// it readies. Of alarms due at the same moment, the lowest slot, which the
// scan rings first. Each alarm comes due by
// its schedule, by the scan's rules (a time in the hour skipped when daylight
// saving starts is due at the jump, one in the repeated hour at its first
// occurrence still to come, a local time that has already rung is not due
// again), or at its snooze deadline. Never due: not in use, a passed fixed
// date, no weekday ticked, a time text that cannot be read and no snooze. The
// hourly chime is not an alarm and never counts.
std::optional<NextDue> nextWakeUp(const AlarmSlots &alarms, const SnoozeDeadlines &snoozes,
                                  const QDateTime &after, const QLocale &locale);
