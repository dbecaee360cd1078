#pragma once

#include "alarmengine/alarmscan.h"

#include <QByteArray>

#include <optional>

// What the alarm engine knows that a restart must not lose: what it has rung
// and told, each snooze, each alarm's last change, and when it last looked at
// the time.
// The digest of each slot's alarm (alarmFingerprint), empty for a slot after the last alarm.
using AlarmDigests = std::array<QByteArray, kAlarmSlots>;

struct EngineMemory {
    std::optional<LastLook> looked;
    // The boot of the steady clock the snoozes are measured on.
    QByteArray boot;
    AlarmMarksTable marks{};
    // The alarms the marks belong to, as the engine last saw the table; empty
    // where not known.
    AlarmDigests digests{};

    friend bool operator==(const EngineMemory &, const EngineMemory &) = default;
};

// A short digest of what the alarm file holds of an alarm: it tells an alarm
// that changed, and finds one that moved to another slot.
QByteArray alarmFingerprint(const AlarmRecord &alarm);
