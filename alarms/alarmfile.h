#pragma once

#include "alarms/alarmtable.h"

#include <QString>

// Where the alarm file is kept as it was before a save replaces it.
QString alarmBackupPath(const QString &path);

// What the user is told at start-up about an alarm file that did not load
// whole; empty when it did.
QString alarmLoadMessage(const AlarmFileReport &report);

// What the user is told when a save failed with `error` from saveAlarmFile.
QString alarmSaveMessage(const QString &error);
