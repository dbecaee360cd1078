#pragma once

#include "alarms/alarmtable.h"
#include "base/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The largest alarm file that is read: 300 alarms with long messages and long
// playlists stay far below it, and no reader need hold more in memory.
inline constexpr qint64 kMaxAlarmFileBytes = 16 * 1024 * 1024;

// Reads the alarm file at `path`. A missing file holds no alarms; one that is
// there but cannot be read (see readRegularFile) gives no alarms, and the
// report says why.
AlarmFileContents loadAlarmFile(const QString &path, const QLocale &locale, int presentYear);

// Replaces the alarm file with `bytes`. With keepBackup (the file holds what
// the table does not, because it did not load whole) the file as it is now is
// first copied beside it under a name no earlier copy has; a file that cannot
// be read cannot be copied, so then nothing is written and the error says why.
// Errors name the file they concern.
Result saveAlarmFile(const QString &path, const QByteArray &bytes, bool keepBackup,
                     const QDateTime &now);
