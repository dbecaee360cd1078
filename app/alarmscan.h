#pragma once

#include "alarms/alarmrecord.h"
#include "alarms/alarmtable.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QStringView>
#include <QTime>

#include <functional>
#include <optional>

// How far back a late tick still rings what fell due: a tick held up by a busy
// event loop or a short suspend loses nothing, while a machine resumed after
// hours does not ring the stale alarms of the time it slept.
inline constexpr int kCatchUpSeconds = 600;

// The time of day of an alarm's time text: "hh:mm:ss" (24-hour) or "hh:mm:ss AM"
// / "hh:mm:ss PM" (12-hour, with the locale's or the English designators in any
// case), one-digit hours too. Empty when it cannot be read.
std::optional<QTime> alarmTimeOfDay(QStringView timeText, const QLocale &locale);

// Whether the alarm's schedule matches this local date and time, to the whole
// second. Weekly alarms count Sunday as day 1 of dayFlags whatever the locale's
// first weekday. An unknown frequency, an unreadable time text, date or day
// flag never matches.
bool scheduleMatches(const AlarmRecord &alarm, QDate date, QTime time, const QLocale &locale);

// Whether a snoozed alarm's time has run out: the minutes since minute snnhin,
// counted round the hour, reach the alarm's snooze minutes (not a number
// counts as 0, so 60 or more never runs out).
bool snoozeRunOut(const AlarmRecord &alarm, int minute, int snnhin);

// The alarm scan of the clock tick. It is given the present time at each tick
// and evaluates every local second that came due since the previous tick, so a
// late tick, a clock set forward or a skipped daylight-saving hour loses no
// alarm, and a clock set back or a repeated hour rings nothing twice.
class AlarmScan final {
public:
    struct Hooks {
        std::function<bool()> alarmInProgress;    // read afresh before every start
        std::function<void(int slot)> startAlarm; // sets what alarmInProgress reads, clears snoozed
        std::function<void()> fullHour;           // at most once a tick; the chime decides
    };

    explicit AlarmScan(const QLocale &locale) : m_locale(locale) {}

    // now: local time with its offset, as the clock reads it. Evaluates the
    // local seconds due, oldest first, each against slots 1 to kMaxAlarms in
    // order; only hooks.startAlarm changes whether an alarm is in progress.
    void tick(const QDateTime &now, AlarmSlots &alarms, int snnhin, const Hooks &hooks);

private:
    struct TickContext;
    void evaluate(qint64 localSecond, TickContext &context);

    QLocale m_locale;
    std::optional<qint64> m_lastSecond; // UTC seconds since the epoch
    qint64 m_lastLocalSecond = 0;       // its local wall time in seconds, days 86400 long
    std::optional<qint64> m_lastFullHour;
};
