#include "alarmengine/schedule.h"

#include <QDateTime>

namespace {

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

bool dayTicked(const AlarmRecord &alarm, QDate date)
{
    const qsizetype sundayFirst = date.dayOfWeek() % 7;
    return sundayFirst < alarm.dayFlags.size() && alarm.dayFlags[sundayFirst] == u'1';
}

} // namespace

qint64 localSecondOf(QDate date, QTime time)
{
    return date.toJulianDay() * kSecondsPerDay + time.msecsSinceStartOfDay() / 1000;
}

QDate dateOfLocalSecond(qint64 localSecond)
{
    return QDate::fromJulianDay(localSecond / kSecondsPerDay);
}

QTime timeOfLocalSecond(qint64 localSecond)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(localSecond % kSecondsPerDay) * 1000);
}

qint64 localSecondIn(const QTimeZone &zone, qint64 utcSecond)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(utcSecond, zone);
    return localSecondOf(local.date(), local.time());
}

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

bool scheduleMatchesAt(const AlarmRecord &alarm, QTime alarmTime, QDate date, QTime time)
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
    case AlarmFrequency::Weekly:
        return sameClock && dayTicked(alarm, date);
    case AlarmFrequency::Monthly:
        return sameClock && on.isValid() && on.day() == date.day();
    case AlarmFrequency::Yearly:
        return sameClock && on.isValid() && on.month() == date.month() && on.day() == date.day();
    default:
        return false;
    }
}

bool scheduleMatches(const AlarmRecord &alarm, QDate date, QTime time, const QLocale &locale)
{
    const std::optional<QTime> alarmTime = alarmTimeOfDay(alarm.timeText, locale);
    return alarmTime && scheduleMatchesAt(alarm, *alarmTime, date, time);
}

std::optional<qint64> nextScheduleSecond(const AlarmRecord &alarm, QTime alarmTime, qint64 after)
{
    const QDate &on = alarm.alarmDate;
    const int timeOfDay = alarmTime.msecsSinceStartOfDay() / 1000;
    const QDate today = dateOfLocalSecond(after);
    const auto at = [timeOfDay](QDate date) {
        return localSecondOf(date, QTime(0, 0)) + timeOfDay;
    };
    switch (alarm.frequency) {
    case AlarmFrequency::FixedDate:
        if (on.isValid() && at(on) > after)
            return at(on);
        return std::nullopt;
    case AlarmFrequency::Hourly: {
        const qint64 inHour = timeOfDay % 3600;
        const qint64 candidate = after - after % 3600 + inHour;
        return candidate > after ? candidate : candidate + 3600;
    }
    case AlarmFrequency::Daily:
        return at(today) > after ? at(today) : at(today.addDays(1));
    case AlarmFrequency::Weekly:
        for (int day = 0; day <= 7; ++day) {
            const QDate date = today.addDays(day);
            if (dayTicked(alarm, date) && at(date) > after)
                return at(date);
        }
        return std::nullopt;
    case AlarmFrequency::Monthly:
        // A day from 29 to 31 is missing from at most one month in a row.
        for (int month = 0; on.isValid() && month <= 2; ++month) {
            const QDate first = QDate(today.year(), today.month(), 1).addMonths(month);
            const QDate date(first.year(), first.month(), on.day());
            if (date.isValid() && at(date) > after)
                return at(date);
        }
        return std::nullopt;
    case AlarmFrequency::Yearly:
        // 29 February comes back within eight years (2096, then 2104).
        for (int year = 0; on.isValid() && year <= 8; ++year) {
            const QDate date(today.year() + year, on.month(), on.day());
            if (date.isValid() && at(date) > after)
                return at(date);
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}
