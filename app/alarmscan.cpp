#include "app/alarmscan.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr qint64 kSecondsPerDay = 24 * 60 * 60;

// A clock set back brings local times round again, and what rang at them must
// not ring twice. The memory reaches one day back: a clock that goes back
// further was wrong before, and the days it now passes through are due; an
// alarm must not fall silent for years because the clock once ran ahead.
constexpr qint64 kRepeatMemorySeconds = kSecondsPerDay;

// Local wall time as a count of seconds with every day 86400 long, so that the
// seconds of a skipped hour can be counted through and a repeated hour gives
// the same numbers again.
qint64 localSecondOf(QDate date, QTime time)
{
    return date.toJulianDay() * kSecondsPerDay + time.msecsSinceStartOfDay() / 1000;
}

qint64 localSecondOf(qint64 utcSecond)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(utcSecond, Qt::LocalTime);
    return localSecondOf(local.date(), local.time());
}

QDate dateOf(qint64 localSecond)
{
    return QDate::fromJulianDay(localSecond / kSecondsPerDay);
}

QTime timeOf(qint64 localSecond)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(localSecond % kSecondsPerDay) * 1000);
}

bool cameRoundAgain(qint64 localSecond, std::optional<qint64> handled)
{
    return handled && localSecond <= *handled && *handled - localSecond < kRepeatMemorySeconds;
}

std::optional<qint64> scheduleRangSecond(const AlarmRecord &alarm)
{
    if (!alarm.scheduleRang.isValid())
        return std::nullopt;
    return localSecondOf(alarm.scheduleRang.date(), alarm.scheduleRang.time());
}

std::optional<int> readDigits(QStringView text, qsizetype &at, int fewest, int most)
{
    int value = 0;
    int count = 0;
    while (count < most && at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
        value = value * 10 + (text[at].unicode() - u'0');
        ++at;
        ++count;
    }
    if (count < fewest)
        return std::nullopt;
    return value;
}

bool readColon(QStringView text, qsizetype &at)
{
    if (at >= text.size() || text[at] != u':')
        return false;
    ++at;
    return true;
}

bool isDesignator(QStringView text, const QString &localised, QStringView english)
{
    return (!localised.isEmpty() && text.compare(localised, Qt::CaseInsensitive) == 0) ||
           text.compare(english, Qt::CaseInsensitive) == 0;
}

bool matchesAt(const AlarmRecord &alarm, QTime alarmTime, QDate date, QTime time)
{
    const bool sameMinuteAndSecond =
        alarmTime.minute() == time.minute() && alarmTime.second() == time.second();
    const bool sameClock = sameMinuteAndSecond && alarmTime.hour() == time.hour();
    const QDate &on = alarm.alarmDate;
    switch (alarm.frequency) {
    case AlarmFrequency::FixedDate:
        return sameClock && on.isValid() && on == date;
    case AlarmFrequency::Hourly:
        return sameMinuteAndSecond;
    case AlarmFrequency::Daily:
        return sameClock;
    case AlarmFrequency::Weekly: {
        const qsizetype sundayFirst = date.dayOfWeek() % 7;
        return sameClock && sundayFirst < alarm.dayFlags.size() &&
               alarm.dayFlags[sundayFirst] == u'1';
    }
    case AlarmFrequency::Monthly:
        return sameClock && on.isValid() && on.day() == date.day();
    case AlarmFrequency::Yearly:
        return sameClock && on.isValid() && on.month() == date.month() && on.day() == date.day();
    default:
        return false;
    }
}

} // namespace

std::optional<QTime> alarmTimeOfDay(QStringView timeText, const QLocale &locale)
{
    const QStringView text = timeText.trimmed();
    qsizetype at = 0;
    const std::optional<int> hour = readDigits(text, at, 1, 2);
    if (!hour || !readColon(text, at))
        return std::nullopt;
    const std::optional<int> minute = readDigits(text, at, 2, 2);
    if (!minute || !readColon(text, at))
        return std::nullopt;
    const std::optional<int> second = readDigits(text, at, 2, 2);
    if (!second)
        return std::nullopt;
    const QStringView designator = text.mid(at).trimmed();
    int hour24 = *hour;
    if (!designator.isEmpty()) {
        const bool am = isDesignator(designator, locale.amText(), u"AM");
        const bool pm = !am && isDesignator(designator, locale.pmText(), u"PM");
        if ((!am && !pm) || *hour < 1 || *hour > 12)
            return std::nullopt;
        hour24 = *hour % 12 + (pm ? 12 : 0);
    }
    if (!QTime::isValid(hour24, *minute, *second))
        return std::nullopt;
    return QTime(hour24, *minute, *second);
}

bool scheduleMatches(const AlarmRecord &alarm, QDate date, QTime time, const QLocale &locale)
{
    const std::optional<QTime> alarmTime = alarmTimeOfDay(alarm.timeText, locale);
    return alarmTime && matchesAt(alarm, *alarmTime, date, time);
}

bool snoozeRunOut(const AlarmRecord &alarm, int minute, int snnhin)
{
    const int elapsed = ((minute - snnhin) % 60 + 60) % 60;
    // Empty only for a number too large for a double: more than any minutes.
    const std::optional<double> snooze = leadingNumber(alarm.snoozeMinutes);
    return snooze && elapsed >= *snooze;
}

struct AlarmScan::TickContext {
    AlarmSlots &alarms;
    int snnhin;
    const Hooks &hooks;
    // A late tick evaluates up to hours of seconds; each time text is read once.
    std::array<std::optional<QTime>, kAlarmSlots> alarmTimes{};
    bool fullHourReported = false;
};

void AlarmScan::tick(const QDateTime &now, AlarmSlots &alarms, int snnhin, const Hooks &hooks)
{
    const qint64 nowSecond = now.toSecsSinceEpoch();
    TickContext context{alarms, snnhin, hooks};
    for (int slot = 1; slot < kAlarmSlots; ++slot) {
        if (alarms[slot].inUse)
            context.alarmTimes[slot] = alarmTimeOfDay(alarms[slot].timeText, m_locale);
    }

    const qint64 nowLocal = localSecondOf(now.date(), now.time());
    // The first tick, a second tick in the same second and a clock set back
    // have nothing to catch up.
    qint64 second = nowSecond;
    qint64 previousLocal = nowLocal - 1;
    if (m_lastSecond && *m_lastSecond < nowSecond) {
        second = std::max(*m_lastSecond + 1, nowSecond - kCatchUpSeconds);
        previousLocal = second == *m_lastSecond + 1 ? m_lastLocalSecond : localSecondOf(second - 1);
    }
    for (; second <= nowSecond; ++second) {
        const qint64 local = second == nowSecond ? nowLocal : localSecondOf(second);
        // The local seconds that the start of daylight saving skips never come
        // by themselves; what falls due in them is due at the jump.
        for (qint64 skipped = previousLocal + 1; skipped < local; ++skipped)
            evaluate(skipped, context);
        evaluate(local, context);
        previousLocal = local;
    }
    m_lastSecond = nowSecond;
    m_lastLocalSecond = nowLocal;
}

void AlarmScan::evaluate(qint64 localSecond, TickContext &context)
{
    const QDate date = dateOf(localSecond);
    const QTime time = timeOf(localSecond);
    const Hooks &hooks = context.hooks;
    if (time.minute() == 0 && time.second() == 0 && !cameRoundAgain(localSecond, m_lastFullHour)) {
        m_lastFullHour = localSecond;
        if (!std::exchange(context.fullHourReported, true))
            hooks.fullHour();
    }
    for (int slot = 1; slot < kAlarmSlots; ++slot) {
        AlarmRecord &alarm = context.alarms[slot];
        if (!alarm.inUse)
            continue;
        if (alarm.snoozed && !hooks.alarmInProgress() &&
            snoozeRunOut(alarm, time.minute(), context.snnhin))
            hooks.startAlarm(slot);
        const std::optional<QTime> &alarmTime = context.alarmTimes[slot];
        if (alarmTime && matchesAt(alarm, *alarmTime, date, time) &&
            !cameRoundAgain(localSecond, scheduleRangSecond(alarm)) && !hooks.alarmInProgress()) {
            alarm.scheduleRang = QDateTime(date, time, Qt::UTC);
            hooks.startAlarm(slot);
        }
    }
}
