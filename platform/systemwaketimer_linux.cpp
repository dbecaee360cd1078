#include "platform/systemwaketimer.h"

#include "base/logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

SystemWakeTimer::SystemWakeTimer(QObject *parent) : WakeTimer(parent)
{
    m_fd = timerfd_create(CLOCK_REALTIME_ALARM, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        if (error == EPERM)
            qCWarning(lcAlarms, "Alarms cannot wake the computer from sleep: the program lacks "
                                "the capability CAP_WAKE_ALARM (install it with the wake "
                                "option to grant it).");
        else
            qCWarning(lcAlarms, "Alarms cannot wake the computer from sleep: %s",
                      std::strerror(error));
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SystemWakeTimer::signalled);
}

SystemWakeTimer::~SystemWakeTimer()
{
    if (m_fd >= 0) {
        delete m_notifier;
        close(m_fd);
    }
}

void SystemWakeTimer::arm(const QDateTime &at)
{
    if (m_fd < 0)
        return;
    itimerspec when{};
    if (at.isValid())
        when.it_value.tv_sec = static_cast<time_t>(at.toSecsSinceEpoch());
    // Cancelled when the wall clock is set, so the moment can be worked out
    // again on the new time.
    if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) != 0)
        qCWarning(lcAlarms, "The wake-up time could not be set: %s", std::strerror(errno));
}

void SystemWakeTimer::signalled()
{
    std::uint64_t expirations = 0;
    if (read(m_fd, &expirations, sizeof expirations) >= 0)
        Q_EMIT fired();
    else if (errno == ECANCELED)
        Q_EMIT clockSet();
}
