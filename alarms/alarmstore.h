#pragma once

#include "alarms/alarmtable.h"

// What the alarm windows need of the program's alarm table.
class AlarmStore {
public:
    virtual const AlarmSlots &alarms() const = 0;
    virtual int alarmCount() const = 0;
    // Takes the alarm in `slot` out of the table and the alarm file; the alarms
    // after it move up a slot.
    virtual void deleteAlarm(int slot) = 0;

protected:
    ~AlarmStore() = default;
};
