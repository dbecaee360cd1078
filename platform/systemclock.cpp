#include "platform/systemclock.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <ctime>
#endif

namespace {

constexpr qint64 kMsecsPerMinute = 60 * 1000;

qint64 minuteStart(qint64 utcMsecs)
{
    const qint64 remainder = utcMsecs % kMsecsPerMinute;
    return utcMsecs - (remainder < 0 ? remainder + kMsecsPerMinute : remainder);
}

} // namespace

QDateTime LocalZoneCache::localTime(qint64 utcMsecs)
{
    const qint64 minute = minuteStart(utcMsecs);
    if (minute != m_minuteStart) {
        m_zone = m_lookup();
        m_minuteStart = minute;
    }
    // A zone the system names but Qt cannot read still has the C library's
    // local time, without the zone's rules to tell its changes apart.
    if (!m_zone.isValid())
        return QDateTime::fromMSecsSinceEpoch(utcMsecs, Qt::LocalTime);
    return QDateTime::fromMSecsSinceEpoch(utcMsecs, m_zone);
}

namespace {

qint64 steadyMs()
{
#ifdef Q_OS_WIN
    return static_cast<qint64>(GetTickCount64());
#else
#ifdef CLOCK_BOOTTIME
    constexpr clockid_t kSteady = CLOCK_BOOTTIME;
#else
    constexpr clockid_t kSteady = CLOCK_MONOTONIC;
#endif
    timespec reading{};
    clock_gettime(kSteady, &reading);
    return qint64(reading.tv_sec) * 1000 + reading.tv_nsec / 1'000'000;
#endif
}

QByteArray bootName()
{
    QFile id(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    if (id.open(QIODevice::ReadOnly)) {
        if (const QByteArray name = id.readAll().trimmed(); !name.isEmpty())
            return name;
    }
    // The minute the steady clock started, by the wall clock: the same for
    // every reading of this boot unless the wall clock is set meanwhile, which
    // at worst makes a snooze follow the wall clock.
    const qint64 started = QDateTime::currentMSecsSinceEpoch() - steadyMs();
    return "started-" + QByteArray::number(minuteStart(started) / kMsecsPerMinute);
}

} // namespace

SystemClock::SystemClock() : m_zones([] { return QTimeZone::systemTimeZone(); }), m_boot(bootName())
{}

SteadyTime SystemClock::steadyNow() const
{
    return {m_boot, steadyMs()};
}

QDateTime SystemClock::now() const
{
    return m_zones.localTime(QDateTime::currentMSecsSinceEpoch());
}
