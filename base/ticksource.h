#pragma once

#include <QObject>

// What drives the clock: a tick at each whole second of the wall clock. Tests
// fire ticks by hand instead of waiting for real seconds.
class TickSource : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TickSource)

public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    void tick();
};
