#pragma once

#include "alarms/alarmrecord.h"
#include "alarms/alarmtable.h"

#include <QDateTime>
#include <QLocale>

#include <optional>

// How long before an alarm the computer is woken: resume, the sound server
// and the scan's catch-up window all need their time, and an alarm that rings
// from the catch-up is still on time to the second it was due.
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
// this alarm, as a UTC instant: its schedule by the scan's rules (a time in
// the hour skipped when daylight saving starts is due at the jump, one in the
// repeated hour at its first occurrence still to come, a local time that has
// already rung is not due again) or its snooze running out. Empty when it is
// never due: not in use, a passed fixed date, no weekday ticked, a time text
// that cannot be read and no snooze.
std::optional<QDateTime> nextDue(const AlarmRecord &alarm, const DueContext &context);

// The earliest nextDue of the table: the moment the program must be awake for.
// The hourly chime is not an alarm and never counts.
std::optional<QDateTime> nextWakeUp(const AlarmSlots &alarms, const DueContext &context);
