#pragma once

#include <QDateTime>
#include <QObject>

// Wakes the computer from sleep at a given moment, so that an alarm rings on a
// machine that went to sleep. Tests record the armings instead.
class WakeTimer : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WakeTimer)

public:
    using QObject::QObject;

    // Replaces the moment armed before; an invalid time disarms. Does nothing
    // where the machine cannot be woken (the reason is logged once).
    virtual void arm(const QDateTime &at) = 0;

Q_SIGNALS:
    // The armed moment has come.
    void fired();
    // The wall clock was set: the armed moment may no longer be the right one.
    void clockSet();
};
