#pragma once

#include "base/sleepinhibitor.h"

#include <QObject>
#ifndef Q_OS_WIN
#include <QDBusUnixFileDescriptor>
#endif

// The system's lock against sleep: on Linux logind's sleep and idle inhibitor,
// asked for over the system bus without waiting for the answer, held for as
// long as its descriptor stays open; on Windows the thread's execution state.
class SystemSleepInhibitor final : public QObject, public SleepInhibitor {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SystemSleepInhibitor)

public:
    explicit SystemSleepInhibitor(QObject *parent = nullptr);
    ~SystemSleepInhibitor() override;

    void take() override;
    void release() override;

private:
    bool m_wanted = false;
#ifndef Q_OS_WIN
    bool m_asking = false;
    QDBusUnixFileDescriptor m_lock;
#endif
};
