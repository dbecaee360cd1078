#pragma once

#include "base/clock.h"

#include <functional>
#include <optional>

// Local time made from the UTC time and the local offset, the offset looked up
// at most once a UTC minute. Looking it up asks the C library, which checks
// the time-zone file on every call; the clock reads the time every second.
// Offsets and daylight-saving changes fall on whole minutes, so a change of
// offset shows the moment it happens; a new system time zone shows within a
// minute.
class LocalOffsetCache final {
public:
    // Seconds east of UTC at a UTC time in milliseconds since the epoch.
    using OffsetLookup = std::function<int(qint64 utcMsecs)>;

    explicit LocalOffsetCache(OffsetLookup lookup) : m_lookup(std::move(lookup)) {}

    QDateTime localTime(qint64 utcMsecs);

private:
    OffsetLookup m_lookup;
    std::optional<qint64> m_minuteStart; // of the offset below
    int m_offset = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    QDateTime now() const override;

private:
    mutable LocalOffsetCache m_offsets;
};
