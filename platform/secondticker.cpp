#include "platform/secondticker.h"

#include <QDateTime>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

SecondTicker::SecondTicker(QObject *parent) : TickSource(parent)
{
    m_fallback.setSingleShot(true);
    m_fallback.setTimerType(Qt::PreciseTimer);
    connect(&m_fallback, &QTimer::timeout, this, &SecondTicker::fallbackTimeout);
#ifdef Q_OS_LINUX
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        m_notifier->setEnabled(false);
        connect(m_notifier, &QSocketNotifier::activated, this, &SecondTicker::descriptorReadable);
    }
#endif
}

SecondTicker::~SecondTicker()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        delete m_notifier;
        close(m_fd);
    }
#endif
}

void SecondTicker::start()
{
#ifdef Q_OS_LINUX
    m_skipping = false;
    if (armDescriptor(0))
        return;
#endif
    armFallback();
}

void SecondTicker::skipUntil(qint64 utcSecond)
{
#ifdef Q_OS_LINUX
    // Only the descriptor hears of a clock set while it sleeps.
    if (m_notifier && m_notifier->isEnabled() && armDescriptor(utcSecond))
        m_skipping = true;
#else
    Q_UNUSED(utcSecond);
#endif
}

void SecondTicker::resumeEverySecond()
{
#ifdef Q_OS_LINUX
    if (m_skipping)
        start();
#endif
}

void SecondTicker::stop()
{
    m_fallback.stop();
#ifdef Q_OS_LINUX
    m_skipping = false;
#endif
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        m_notifier->setEnabled(false);
        const itimerspec disarmed{};
        timerfd_settime(m_fd, 0, &disarmed, nullptr);
    }
#endif
}

void SecondTicker::armFallback()
{
    // The event loop rounds a timer's wait up to the next millisecond, so the
    // tick comes just after the second, never before it.
    m_fallback.start(1000 - QTime::currentTime().msec());
}

void SecondTicker::fallbackTimeout()
{
    armFallback();
    Q_EMIT tick();
}

#ifdef Q_OS_LINUX
bool SecondTicker::armDescriptor(qint64 firstSecond)
{
    if (m_fd < 0)
        return false;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    itimerspec every{};
    every.it_value.tv_sec = std::max<qint64>(now.tv_sec + 1, firstSecond);
    every.it_interval.tv_sec = 1;
    // Cancelled when the clock is set, so the first tick after a change of
    // time comes at once and the ticks keep to the new whole seconds.
    if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &every, nullptr) != 0)
        return false;
    m_notifier->setEnabled(true);
    return true;
}

void SecondTicker::descriptorReadable()
{
    std::uint64_t expirations = 0;
    if (read(m_fd, &expirations, sizeof expirations) < 0) {
        if (errno != ECANCELED)
            return;
        // The wall clock was set: keep to its new seconds, every one of them
        // until the host says again what it needs.
        m_skipping = false;
        if (!armDescriptor(0)) {
            m_notifier->setEnabled(false);
            armFallback();
        }
    }
    Q_EMIT tick();
}
#endif
