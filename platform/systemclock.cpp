#include "platform/systemclock.h"

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

SystemClock::SystemClock() : m_zones([] { return QTimeZone::systemTimeZone(); }) {}

QDateTime SystemClock::now() const
{
    return m_zones.localTime(QDateTime::currentMSecsSinceEpoch());
}
