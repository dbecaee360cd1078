#pragma once

#include "alarms/alarmrecord.h"
#include "alarms/alarmtable.h"

#include <QLocale>
#include <QStringList>

#include <array>

// The four texts of the record's row in the alarm list: alarm (the first nine
// characters of the message, an ellipsis after them when it goes on),
// frequency, time and date.
QStringList listRowTexts(const AlarmRecord &record, const QLocale &locale);

// The mark after the "Alarm" text of a row whose alarm the alarm file does not
// hold as shown.
inline const QString kNotSavedMark = QStringLiteral(" (not saved)");

// The changes the alarm file lacks, as the user knows the alarms: each by its
// name in the list and what became of it, "\"Gym\" (deleted)"; the first few
// only, then how many more.
QStringList unsavedChangeNames(const AlarmSlots &alarms, int alarmCount,
                               const UnsavedAlarms &unsaved);

// The line under the alarm list while the alarm file lacks changes; empty when
// it lacks none.
QString unsavedChangesNote(const AlarmSlots &alarms, int alarmCount, const UnsavedAlarms &unsaved);

// The widths in twips of the list's columns "Alarm", "Frequency", "Time" and
// "Date" for a list `listWidth` twips wide.
std::array<double, 4> alarmColumnWidths(double listWidth);
