#pragma once

#include "alarms/alarmtable.h"
#include "base/timeunits.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QTimeZone>

#include <array>
#include <optional>

// How far back a late tick still rings what fell due: a tick held up by a busy
// event loop or a short suspend loses nothing, while a machine resumed after
// hours does not ring the stale alarms of the time it slept.
inline constexpr int kCatchUpSeconds = 600;

// A clock set back, or a repeated hour, brings local times round again, and an
// alarm that rang or was told as missed at one must not do so twice. Each alarm
// remembers the local seconds it was handled at, exactly, so a clock that ran
// ahead and is put right loses nothing: as far back as a clock is likely to be
// set, and as many as an hourly alarm has in that time.
inline constexpr qint64 kHandledMemorySeconds = 8 * kSecondsPerDay;
inline constexpr qsizetype kMaxHandled = 256;

// What the running program knows of an alarm beyond what the alarm file holds.
struct AlarmMarks {
    // A snoozed alarm's moment to ring again, as UTC seconds since the epoch;
    // the alarm engine keeps it where the steady clock says it is.
    std::optional<qint64> snoozeUntil;
    // The same moment on the engine's steady clock, in milliseconds: a snooze
    // lasts its minutes however the wall clock is set meanwhile.
    std::optional<qint64> snoozeSteadyMs;
    // The local seconds (see schedule.h) it has rung or been told as missed
    // at, oldest first.
    QList<qint64> handled;
    // When the alarm was made or last changed, as UTC seconds: no moment up to
    // then rings or is told, so saving an alarm never rings it.
    std::optional<qint64> changedAt;

    bool handledAt(qint64 localSecond) const;
    // Remembers a local second as handled, and forgets what is too old to matter.
    void markHandled(qint64 localSecond);

    friend bool operator==(const AlarmMarks &, const AlarmMarks &) = default;
};
// By slot, as the alarm table holds the alarms.
using AlarmMarksTable = std::array<AlarmMarks, kAlarmSlots>;

// The alarm in `slot` left the table and the alarms after it moved up: so do their marks.
void removeMarks(AlarmMarksTable &marks, int slot);

// An alarm that fell due in a tick.
struct DueAlarm {
    int slot = 0;
    qint64 localSecond = 0; // the local second it fell due for (see schedule.h)
    qint64 dueUtc = 0;      // when that was; for a second a jump skipped, the jump

    friend bool operator==(const DueAlarm &, const DueAlarm &) = default;
};

// An alarm whose second passed while nothing could ring it.
struct MissedAlarm {
    int slot = 0;
    qint64 localSecond = 0;

    friend bool operator==(const MissedAlarm &, const MissedAlarm &) = default;
};

struct ScanResult {
    QList<DueAlarm> due; // oldest first, the lowest slot first within a second
    QList<MissedAlarm> missed;
    bool fullHour = false; // a full hour came by, once however many did
};

// The moment a tick last looked at the time: its UTC second, the local second
// it showed and the time zone's id.
struct LastLook {
    qint64 utc = 0;
    qint64 local = 0;
    QByteArray zone;

    friend bool operator==(const LastLook &, const LastLook &) = default;
};

// The alarm scan of the clock tick. Each tick it is given the present time
// with its time zone and finds every local second that came due since the
// tick before, so a late tick or a clock set forward loses no alarm that fell
// due within the catch-up window, the hour that daylight saving skips rings at
// the jump, and a clock set back or a repeated hour rings nothing twice.
// Seconds older than the window are stale: what fell due in them is missed,
// and told, not rung. A jump of local time that the zone's own rules do not
// make (another time zone) counts as a clock set. A scan that starts from a
// look of an earlier run catches up from there, as a late tick does.
class AlarmScan final {
public:
    explicit AlarmScan(const QLocale &locale) : m_locale(locale) {}

    // The alarms are in slots 1 to alarmCount, as the table keeps them; the
    // slots after are not looked at, so an idle clock touches no more memory
    // than its alarms take. Marks what falls due, and what is told as missed,
    // as handled, and takes the snoozes that ran out out of the marks.
    ScanResult tick(const QDateTime &now, const AlarmSlots &alarms, int alarmCount,
                    AlarmMarksTable &marks);

    std::optional<LastLook> lastLook() const;
    void setLastLook(const LastLook &look);

private:
    struct Pass;
    void evaluate(qint64 localSecond, qint64 dueUtc, Pass &pass);
    void reportMissed(qint64 after, qint64 upTo, Pass &pass);

    struct Reading {
        qint64 utc;
        qint64 local;
        QTimeZone zone;
    };

    QLocale m_locale;
    std::optional<Reading> m_last;
    std::optional<qint64> m_lastFullHour; // local second
};
