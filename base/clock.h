#pragma once

#include <QByteArray>
#include <QDateTime>

// A reading of a clock that never jumps and keeps counting while the machine
// sleeps: milliseconds since the boot named `boot`. Readings of two boots
// cannot be compared.
struct SteadyTime {
    QByteArray boot;
    qint64 ms = 0;

    friend bool operator==(const SteadyTime &, const SteadyTime &) = default;
};

// The present date and time. Windows and timers read it through this seam so
// that tests can run the clock, alarms and midnight with a time of their own.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Measures durations that must hold whatever is done to the wall clock (a
    // snooze's minutes).
    virtual SteadyTime steadyNow() const = 0;
};
