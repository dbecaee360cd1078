#include "platform/systemclock.h"

namespace {

constexpr qint64 kMsecsPerMinute = 60 * 1000;

qint64 minuteStart(qint64 utcMsecs)
{
    const qint64 remainder = utcMsecs % kMsecsPerMinute;
    return utcMsecs - (remainder < 0 ? remainder + kMsecsPerMinute : remainder);
}

} // namespace

QDateTime LocalOffsetCache::localTime(qint64 utcMsecs)
{
    const qint64 minute = minuteStart(utcMsecs);
    if (minute != m_minuteStart) {
        m_offset = m_lookup(utcMsecs);
        m_minuteStart = minute;
    }
    return QDateTime::fromMSecsSinceEpoch(utcMsecs, Qt::OffsetFromUTC, m_offset);
}

SystemClock::SystemClock()
    : m_offsets([](qint64 utcMsecs) {
          return QDateTime::fromMSecsSinceEpoch(utcMsecs, Qt::LocalTime).offsetFromUtc();
      })
{}

QDateTime SystemClock::now() const
{
    return m_offsets.localTime(QDateTime::currentMSecsSinceEpoch());
}
