#pragma once

#include "alarms/alarmrecord.h"
#include "alarms/alarmtable.h"

#include <QDateTime>
#include <QLocale>

#include <optional>

// How long before an alarm the computer is woken: resume and the sound server
// need their time, and a resume slower than that still rings the alarm
// through the scan's catch-up window.
inline constexpr int kWakeLeadSeconds = 60;

// What the alarm scan needs besides the table to say when an alarm comes due.
struct DueContext {
    QDateTime after; // exclusive: local time with its offset, as the clock reads it
    int snnhin = 0;  // the minute the last snooze began
    // A snoozed alarm waits for the alarm in progress, whose window keeps the
    // machine awake; closing it asks again.
    bool alarmInProgress = false;
    QLocale locale;
};

// The first moment after context.after at which the tick's scan would start
// an alarm of the table, as a UTC instant: the moment the program must be
// awake for. Each alarm comes due by its schedule, by the scan's rules (a time
// in the hour skipped when daylight saving starts is due at the jump, one in
// the repeated hour at its first occurrence still to come, a local time that
// has already rung is not due again), or by its snooze running out. Never due:
// not in use, a passed fixed date, no weekday ticked, a time text that cannot
// be read and no snooze. The hourly chime is not an alarm and never counts.
std::optional<QDateTime> nextWakeUp(const AlarmSlots &alarms, const DueContext &context);
