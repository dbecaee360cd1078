#pragma once

#include "alarms/alarmtable.h"

#include <QDateTime>
#include <QString>

// A name for a copy of the alarm file as it was before a save replaced it:
// beside it, stamped with the present moment, "als-20261207-064500.bak"; a
// copy number above 1 tells copies made in the same second apart.
QString alarmBackupPath(const QString &path, const QDateTime &now, int copy);

// What the user is told at start-up about an alarm file that did not load
// whole; empty when it did.
QString alarmLoadMessage(const AlarmFileReport &report);

// What the user is told when a save failed with `error` from saveAlarmFile.
QString alarmSaveMessage(const QString &error);
