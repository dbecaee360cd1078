#pragma once

#include "base/ticksource.h"

#include <QTimer>

class QSocketNotifier;

// Ticks just after each whole second of the wall clock, so a clock that reads
// the time on the tick shows each second as it begins.
//
// On Linux a timer file descriptor on the real-time clock wakes the program at
// the second itself (no rounding, no slack) and reports at once when the clock
// is set, so the tick follows a new time straight away. Elsewhere, or when the
// descriptor cannot be made, a precise timer is re-armed on every tick from the
// present time; it wakes a millisecond or two after the second, every second,
// as it cannot tell a clock set while it would sleep.
class SecondTicker final : public TickSource {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SecondTicker)

public:
    explicit SecondTicker(QObject *parent = nullptr);
    ~SecondTicker() override;

    void start() override;
    void stop() override;
    void skipUntil(qint64 utcSecond) override;
    void resumeEverySecond() override;

private:
    void armFallback();
    void fallbackTimeout();
#ifdef Q_OS_LINUX
    // Ticks from the whole second `firstSecond` on, or from the next one if
    // that is sooner.
    bool armDescriptor(qint64 firstSecond);
    void descriptorReadable();

    bool m_skipping = false;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
#endif
    QTimer m_fallback;
};
