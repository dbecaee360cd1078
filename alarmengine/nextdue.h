#pragma once

#include "alarmengine/alarmscan.h"
#include "alarms/alarmtable.h"

#include <QDateTime>
#include <QLocale>

#include <optional>

// How long before an alarm the computer is woken: resume and the sound server
// need their time, and a resume slower than that still rings the alarm
// through the scan's catch-up window.
inline constexpr int kWakeLeadSeconds = 60;

// How long before its moment an alarm's sound is readied: time enough to load
// the media module and open the file on a busy machine, short enough that an
// alarm edited or deleted meanwhile seldom costs a second opening.
inline constexpr qint64 kReadyLeadSeconds = 5;

// The alarm that comes due next, and when, as a UTC instant.
struct NextDue {
    QDateTime at;
    int slot = 0;

    friend bool operator==(const NextDue &, const NextDue &) = default;
};

// The first moment after `after` (exclusive; the clock's reading with its time
// zone) at which the tick's scan would start an alarm of the table (slots 1 to
// alarmCount, with their marks), and the
// alarm: the moment the program must be awake for, and the alarm whose sound
// it readies. Of alarms due at the same moment, the lowest slot, which the
// scan rings first. Each alarm comes due by
// its schedule, by the scan's rules (a time in the hour skipped when daylight
// saving starts is due at the jump, one in the repeated hour at its first
// occurrence still to come, a local time that has already rung is not due
// again), or at its snooze deadline. Never due: a passed fixed
// date, no weekday ticked, a time text that cannot be read and no snooze. The
// hourly chime is not an alarm and never counts.
std::optional<NextDue> nextWakeUp(const AlarmSlots &alarms, int alarmCount,
                                  const AlarmMarksTable &marks, const QDateTime &after,
                                  const QLocale &locale);

// When one alarm comes due next after `after`, by its schedule or its snooze,
// as nextWakeUp reckons it; nothing when never.
std::optional<QDateTime> alarmNextDue(const AlarmRecord &alarm, const AlarmMarks &mark,
                                      const QDateTime &after, const QLocale &locale);

// The second (UTC, since the epoch) of the next tick the clock cannot do
// without while nothing needs one every second (no alarm ringing, the digits
// hidden or drawn without the tick), given the present time and when the next
// alarm is due: the start of the next minute of local time (for the chime on
// the hour, the date at midnight, the minute a screen reader is told of, and a
// bound on what any wrong reckoning could delay), or sooner the moment to
// ready that alarm's sound, or its own second.
qint64 nextNeededTick(const QDateTime &now, std::optional<qint64> dueUtc);
