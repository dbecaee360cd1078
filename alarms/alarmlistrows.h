#pragma once

#include "alarms/alarmrecord.h"

#include <QLocale>
#include <QStringList>

#include <array>

// The four texts of the record's row in the alarm list: alarm (the first nine
// characters of the message, an ellipsis after them when it goes on),
// frequency, time and date.
QStringList listRowTexts(const AlarmRecord &record, const QLocale &locale);

// The widths in twips of the list's columns "Alarm", "Frequency", "Time" and
// "Date" for a list `listWidth` twips wide.
std::array<double, 4> alarmColumnWidths(double listWidth);
