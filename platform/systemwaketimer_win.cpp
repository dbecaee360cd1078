#include "platform/systemwaketimer.h"

#include "base/logging.h"

#include <QWinEventNotifier>

#include <windows.h>

namespace {

// FILETIME counts 100 ns steps from 1601; the Unix epoch is this many seconds later.
constexpr qint64 kEpochSecondsSince1601 = 11644473600;

} // namespace

SystemWakeTimer::SystemWakeTimer(QObject *parent) : WakeTimer(parent)
{
    m_timer = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (!m_timer) {
        qCWarning(lcAlarms, "Alarms cannot wake the computer from sleep: error %lu",
                  GetLastError());
        return;
    }
    m_notifier = new QWinEventNotifier(m_timer, this);
    connect(m_notifier, &QWinEventNotifier::activated, this, &SystemWakeTimer::signalled);
}

SystemWakeTimer::~SystemWakeTimer()
{
    if (m_timer) {
        delete m_notifier;
        CloseHandle(m_timer);
    }
}

void SystemWakeTimer::arm(const QDateTime &at)
{
    if (!m_timer)
        return;
    if (!at.isValid()) {
        CancelWaitableTimer(m_timer);
        return;
    }
    LARGE_INTEGER due;
    // Positive: an absolute time in UTC, which follows a change of the clock.
    due.QuadPart = (at.toSecsSinceEpoch() + kEpochSecondsSince1601) * 10'000'000;
    // fResume TRUE: the timer brings the computer out of sleep.
    if (!SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, TRUE))
        qCWarning(lcAlarms, "The wake-up time could not be set: error %lu", GetLastError());
}

void SystemWakeTimer::signalled()
{
    Q_EMIT fired();
}
