#include "alarms/alarmlistrows.h"

namespace {

constexpr qsizetype kAlarmNameLength = 9;

// The first characters of the message, with an ellipsis when that is not all
// of it; a character outside the Basic Multilingual Plane is kept whole rather
// than cut in half.
QString alarmName(const QString &message)
{
    qsizetype length = kAlarmNameLength;
    if (message.size() > length && message.at(length - 1).isHighSurrogate())
        ++length;
    return message.size() > length ? message.left(length) + u'\u2026' : message;
}

} // namespace

QStringList listRowTexts(const AlarmRecord &record, const QLocale &locale)
{
    QString time = record.timeText;
    QString date = QStringLiteral("--");
    switch (record.frequency) {
    case AlarmFrequency::FixedDate:
        date = alarmDateText(record.alarmDate, locale);
        break;
    case AlarmFrequency::Hourly:
        time = record.timeText.mid(3, 2) + record.timeText.mid(5, 3);
        break;
    case AlarmFrequency::Monthly:
        date = record.alarmDate.toString(u"dd");
        break;
    case AlarmFrequency::Yearly:
        date = record.alarmDate.toString(u"MM.dd");
        break;
    default:
        break;
    }
    return {alarmName(record.message), alarmFrequencyNames().value(record.frequency), time, date};
}

std::array<double, 4> alarmColumnWidths(double listWidth)
{
    const double quarter = listWidth / 4;
    return {quarter, quarter - 100, quarter - 150, quarter - 200};
}
