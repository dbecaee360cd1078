#pragma once

#include "alarms/alarmtable.h"

#include <QLocale>

class KeptFile;

// Reads the alarm file. A missing file holds no alarms; one that is there but
// cannot be read (see readRegularFile) gives no alarms, and the report says
// why. The file is written with KeptFile::save, within kMaxAlarmFileBytes.
AlarmFileContents loadAlarmFile(KeptFile &file, const QLocale &locale, int presentYear);
