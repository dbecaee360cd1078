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

    // The host needs no tick before the whole second `utcSecond` (seconds
    // since the epoch): the source may sleep until then, and ticks every
    // second again from that second on. A wall clock set meanwhile still ticks
    // at once. A source that could not tell that keeps ticking every second.
    virtual void skipUntil(qint64 utcSecond) = 0;
    // Back to a tick every second, from the next second, after skipUntil.
    virtual void resumeEverySecond() = 0;

Q_SIGNALS:
    void tick();
};
