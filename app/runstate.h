#pragma once

#include "alarmengine/enginememory.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

#include <optional>

// The state file, `state` in the program folder beside conf and als: what the
// running program knows and a restart must not lose. A file of its own, so
// conf and als keep their formats byte for byte. Text lines:
//   tockaro-state 1
//   looked UTC LOCAL ZONE            the tick's last look (see schedule.h)
//   boot ID                          the steady clock's boot
//   alarm SLOT DIGEST snooze=UTC[/STEADY] changed=UTC handled=LOCAL,LOCAL...
//   place X Y                        the clock window's place
// An alarm's marks follow its digest to wherever the table now holds it, so a
// hand edit of als while the program was stopped moves nothing to the wrong
// alarm; marks of an alarm no longer there are dropped.
inline const QString kStateFileName = QStringLiteral("state");

struct RunState {
    EngineMemory engine;
    std::optional<QPoint> clockPlace;

    friend bool operator==(const RunState &, const RunState &) = default;
};

QByteArray formatRunState(const RunState &state, const AlarmSlots &alarms, int alarmCount);

// Empty when the bytes are not a state file this program wrote or a line of
// it cannot be read: then nothing is pending.
std::optional<RunState> parseRunState(const QByteArray &bytes, const AlarmSlots &alarms,
                                      int alarmCount);
