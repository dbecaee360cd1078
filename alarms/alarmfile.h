#pragma once

#include "alarms/alarmtable.h"

#include <QLocale>
#include <QString>

// The largest alarm file there is: the reader takes no more, so the writer
// writes no more and the editor makes no alarm that would need more. 300
// alarms with long messages and long playlists stay far below it.
inline constexpr qint64 kMaxAlarmFileBytes = 16 * 1024 * 1024;

// The bytes the alarm file would take for the alarm in `slot` (alarmCount + 1
// for a new one): the limit less what every other alarm takes.
qint64 alarmFileRoom(const AlarmSlots &alarms, int alarmCount, int slot, const QLocale &locale);

// The bytes `record` takes in the alarm file, its line end included.
qint64 alarmLineBytes(const AlarmRecord &record, const QLocale &locale);

// What the user is told at start-up about the alarm file at `path` that did
// not load whole; empty when it did.
QString alarmLoadMessage(const QString &path, const AlarmFileReport &report);

// What the user is told when a save failed with `error`.
QString alarmSaveMessage(const QString &error);

// What the user is told when the save after a change failed with `error`: the
// change stays, marked as not saved.
QString alarmChangeNotSavedMessage(const QString &error);

// What the user is told when the last try as the program ends failed with
// `error`: the changes named (unsavedChangeNames) are lost.
QString alarmChangesLostMessage(const QString &error, const QStringList &changes);
