#pragma once

#include "base/waketimer.h"

class QSocketNotifier;
class QWinEventNotifier;

// The real-time alarm clock of the system, which runs on while the computer
// sleeps and wakes it. One descriptor (Linux) or handle (Windows), quiet
// until its moment: it adds no wake-up to the idle program.
//
// On Linux it needs the capability CAP_WAKE_ALARM, which the install grants
// only when asked; without it the program runs as before and says so once.
class SystemWakeTimer final : public WakeTimer {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemWakeTimer)

public:
    explicit SystemWakeTimer(QObject *parent = nullptr);
    ~SystemWakeTimer() override;

    void arm(const QDateTime &at) override;

private:
    void signalled();

#ifdef Q_OS_WIN
    void *m_timer = nullptr;
    QWinEventNotifier *m_notifier = nullptr;
#else
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
#endif
};
