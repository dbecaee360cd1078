#pragma once

#include "base/clock.h"

#include <QTimeZone>

#include <functional>
#include <optional>

// Local time in the system's time zone, the zone looked up at most once a UTC
// minute: finding it asks the system (the TZ variable, the zone file's link),
// and the clock reads the time every second. The zone's own rules give every
// offset, so a daylight-saving change shows the moment it happens; a new
// system time zone shows within a minute. The time carries its zone, so the
// alarm scan can tell the zone's own changes of offset from a change of zone.
class LocalZoneCache final {
public:
    using ZoneLookup = std::function<QTimeZone()>;

    explicit LocalZoneCache(ZoneLookup lookup) : m_lookup(std::move(lookup)) {}

    QDateTime localTime(qint64 utcMsecs);

private:
    ZoneLookup m_lookup;
    std::optional<qint64> m_minuteStart; // of the zone below
    QTimeZone m_zone;
};

// The system's clock. Its steady time counts from the boot and through sleep
// (CLOCK_BOOTTIME, named by the kernel's boot id; on Windows the tick count,
// named by the minute the machine booted).
class SystemClock final : public Clock {
public:
    SystemClock();
    QDateTime now() const override;
    SteadyTime steadyNow() const override;

private:
    mutable LocalZoneCache m_zones;
    QByteArray m_boot;
};
