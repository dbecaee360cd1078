#pragma once

#include "alarmengine/alarmscan.h"
#include "alarmengine/nextdue.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// What the program tells a command line of the alarms, in the locale's words
// and the time zone of `now`: the alarm due next, its date, time and message,
// or that there is none.
QString nextAlarmReport(const std::optional<NextDue> &next, const AlarmSlots &alarms,
                        const QDateTime &now, const QLocale &locale);

// One line an alarm: its slot, frequency, time, the next moment it is due
// after `now` ("never" when it never is) and its message, tab apart.
QStringList alarmListReport(const AlarmSlots &alarms, int alarmCount, const AlarmMarksTable &marks,
                            const QDateTime &now, const QLocale &locale);
