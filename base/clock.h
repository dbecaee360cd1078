#pragma once

#include <QDateTime>

// The present date and time. Windows and timers read it through this seam so
// that tests can run the clock, alarms and midnight with a time of their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
