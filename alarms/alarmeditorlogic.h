#pragma once

#include "alarms/alarmrecord.h"
#include "base/result.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

// How the editor's schedule frame looks for one kind of schedule. The pickers
// keep their values and the day boxes their ticks; only this changes.
struct FrequencyLayout {
    QString frameCaption;
    bool weekdaysEnabled = false;
    bool datePickerUsable = false;
    QString datePattern; // in QDateTimeEdit's display letters
    QString timePattern;
};

FrequencyLayout frequencyLayout(int frequency, bool twentyFourHour, const QLocale &locale);

// The range of the fade and snooze minutes.
inline constexpr int kMinMinutes = 1;
inline constexpr int kMaxMinutes = 59;

// The minutes a fade or snooze text stands for: its leading number rounded
// to a whole number, held to the up-down range 1 to 59. An empty text, zero
// or a text that is no number gives 1; a value typed above 59 gives 59.
int minuteValue(QStringView text);

// The time of day an alarm's time text holds, in either of the forms the
// editor writes ("19:30:00" or "07:30:00 PM"); empty when it holds none.
std::optional<QTime> alarmTime(QStringView timeText);

// What the editor holds when OK is pressed.
struct AlarmEditorValues {
    QString message;
    int frequency = AlarmFrequency::Weekly;
    QTime time;
    QDate date;
    QString dayFlags; // seven "0"/"1" characters, Sunday first
    bool sleep = false;
    QStringList playlist; // full paths in play order
    bool fadeIn = false;
    bool fadeOut = false;
    int fadeMinutes = 30;
    int snoozeMinutes = 15;
    bool playMedia = true;
    int soundIndex = 0;
    int volumePercent = 100; // of full amplitude, 0 to 100
};

// Whether the alarm the editor holds can ever ring after `now`: not a Fixed
// Date whose second has come and gone, nor a Weekly alarm with no day ticked.
// The failure says why, in words for the user.
Result alarmCanRing(const AlarmEditorValues &values, const QDateTime &now);

// The volume the editor shows for an alarm, in percent: its start volume, or
// full where its `spare` field holds none.
int alarmVolumePercent(const AlarmRecord &alarm);

// The record the editor's OK stores over `slot`, the record now in the target
// slot (an empty record for a new alarm). The volume is written only when it
// differs from what the editor showed for the slot: a percentage stands for
// many values of `spare`, and one the user left alone stays as it was, also
// where it is no volume at all.
AlarmRecord buildAlarmRecord(const AlarmEditorValues &values, const AlarmRecord &slot,
                             bool twentyFourHour);
