#pragma once

#include "alarms/alarmrecord.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>

#include <array>

// The alarm table: alarms live in slots 1 to alarmCount, in file order, without
// gaps; slot 0 is never used, and a slot after alarmCount holds no alarm
// whatever it keeps.
inline constexpr int kAlarmSlots = 301;
inline constexpr int kMaxAlarms = kAlarmSlots - 1;
using AlarmSlots = std::array<AlarmRecord, kAlarmSlots>;

// What reading the alarm file found besides the alarms.
struct AlarmFileReport {
    int skippedLines = 0;   // not loaded: they could not be read
    int alteredLines = 0;   // loaded, but a save would not write them back as they are
    QString readError;      // why a file that exists could not be read at all
    int overflowAlarms = 0; // readable alarms beyond the last slot, not loaded

    bool isClean() const
    {
        return skippedLines == 0 && alteredLines == 0 && readError.isEmpty() && overflowAlarms == 0;
    }
};

struct AlarmFileContents {
    QList<AlarmRecord> records; // at most kMaxAlarms, in file order, each in use
    AlarmFileReport report;
};

// Reads the alarm file's bytes in the system's 8-bit encoding. Lines end in
// CR LF, LF or CR; an empty line holds no alarm and is passed over.
AlarmFileContents readAlarmLines(const QByteArray &bytes, const QLocale &locale, int presentYear);

// Loads records into the table: they fill slots 1, 2, ... up to the last slot,
// and alarmCount says how many. The slots after keep what they held.
void fillAlarmTable(AlarmSlots &alarms, int &alarmCount, const QList<AlarmRecord> &records);

// Puts `record` into `slot`: a slot in use, or alarmCount + 1, which adds an
// alarm. False, and nothing changes, for any other slot.
bool storeAlarmRecord(AlarmSlots &alarms, int &alarmCount, int slot, const AlarmRecord &record);

// Takes the alarm in `slot` (1 to alarmCount) out; the alarms after it move up
// a slot. False, and nothing changes, for any other slot.
bool removeAlarmRecord(AlarmSlots &alarms, int &alarmCount, int slot);

// The alarm file's bytes: one line per alarm, slots 1 to alarmCount, each ended
// by CR LF, in the system's 8-bit encoding.
QByteArray alarmFileBytes(const AlarmSlots &alarms, int alarmCount, const QLocale &locale);

// How the alarm in a slot stands against the alarm file.
enum class AlarmSaved : quint8 { Saved, Changed, Added };

// What the table holds that the alarm file does not, since a save failed: the
// table keeps every change the user made, and this says which ones the file
// still lacks. Empty again once a save succeeds.
struct UnsavedAlarms {
    std::array<AlarmSaved, kAlarmSlots> slots{}; // by slot; Saved after alarmCount
    QList<AlarmRecord> deleted;                  // gone from the table, still in the file
    QString error;                               // why the last save failed, naming the file

    bool any() const;
};

// Marks what storeAlarmRecord and removeAlarmRecord did to the table, given the
// alarm count before they did it.
void markStored(UnsavedAlarms &unsaved, int slot, int alarmCountBefore);
void markRemoved(UnsavedAlarms &unsaved, int slot, int alarmCountBefore, const AlarmRecord &record);
