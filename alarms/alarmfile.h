#pragma once

#include "alarms/alarmtable.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <optional>

// Reads the alarm file at `path`. A missing file holds no alarms; a file that
// exists but cannot be read gives no alarms and says why in the report.
AlarmFileContents loadAlarmFile(const QString &path, const QLocale &locale, int presentYear);

// Where the alarm file is kept as it was before a save replaces it.
QString alarmBackupPath(const QString &path);

// Replaces the file at `path` with `bytes` in one step: a crash or a full disk
// leaves the old file whole. With keepBackup, the file as it is is first
// copied to alarmBackupPath(path); when that fails, the file is not touched.
// Returns what went wrong, naming the file, or nothing when all was written.
std::optional<QString> saveAlarmFile(const QString &path, const QByteArray &bytes, bool keepBackup);

// What the user is told at start-up about an alarm file that did not load
// whole; empty when it did.
QString alarmLoadMessage(const AlarmFileReport &report);

// What the user is told when a save failed with `error` from saveAlarmFile.
QString alarmSaveMessage(const QString &error);
