#pragma once

#include "alarms/alarmtable.h"

// The program's alarm table as those who only read it see it.
class AlarmTable {
public:
    // Alarms in slots 1 to alarmCount().
    virtual const AlarmSlots &alarms() const = 0;
    virtual int alarmCount() const = 0;

protected:
    ~AlarmTable() = default;
};

// What the alarm windows need of the program's alarm table.
class AlarmStore : public AlarmTable {
public:
    // Takes the alarm in `slot` out of the table and the alarm file; the alarms
    // after it move up a slot. When the file cannot be written the table keeps
    // the deletion all the same, and unsaved() says the file lacks it.
    virtual void deleteAlarm(int slot) = 0;
    // Puts `record` into `slot` of the table, an alarm's slot or alarmCount + 1
    // for a new alarm; the file is written by savealarms.
    virtual void storeAlarm(int slot, const AlarmRecord &record) = 0;
    // Writes the table to the alarm file; a failure has been told to the user.
    virtual bool savealarms() = 0;
    // The changes of the table that the alarm file lacks.
    virtual const UnsavedAlarms &unsaved() const = 0;
    // True while the alarm editor is on screen.
    virtual bool isEditorOpen() const = 0;
    virtual void setEditorOpen(bool open) = 0;

protected:
    ~AlarmStore() = default;
};
