#pragma once

#include "alarms/alarmrecord.h"
#include "base/timeunits.h"

#include <QDate>
#include <QLocale>
#include <QStringView>
#include <QTime>
#include <QTimeZone>

#include <optional>

// Local wall time as a count of seconds with every day kSecondsPerDay long:
// the seconds of a skipped hour can be counted through, and a repeated hour
// gives the same numbers again. Alarms are matched on these.

qint64 localSecondOf(QDate date, QTime time);
QDate dateOfLocalSecond(qint64 localSecond);
QTime timeOfLocalSecond(qint64 localSecond);
// The local second that `zone` shows at a UTC instant.
qint64 localSecondIn(const QTimeZone &zone, qint64 utcSecond);

// The time of day of an alarm's time text: "hh:mm:ss" (24-hour) or "hh:mm:ss AM"
// / "hh:mm:ss PM" (12-hour, with the locale's or the English designators in any
// case), one-digit hours too. Empty when it cannot be read.
std::optional<QTime> alarmTimeOfDay(QStringView timeText, const QLocale &locale);

// Whether the alarm's schedule matches this local date and time, to the whole
// second. Weekly alarms count Sunday as day 1 of dayFlags whatever the locale's
// first weekday. An unknown frequency, an unreadable time text, date or day
// flag never matches.
bool scheduleMatches(const AlarmRecord &alarm, QDate date, QTime time, const QLocale &locale);
// The same with the alarm's time of day already read.
bool scheduleMatchesAt(const AlarmRecord &alarm, QTime alarmTime, QDate date, QTime time);

// The first local second after `after` at which the schedule matches; empty
// when it never will (a passed fixed date, no weekday ticked, an unknown
// frequency).
std::optional<qint64> nextScheduleSecond(const AlarmRecord &alarm, QTime alarmTime, qint64 after);
