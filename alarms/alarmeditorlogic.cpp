#include "alarms/alarmeditorlogic.h"

#include "alarmengine/soundchain.h"
#include "base/rounding.h"
#include "playback/playlisttext.h"
#include "playback/volume.h"

#include <algorithm>
#include <array>

namespace {

struct FrequencyRow {
    const char *caption;
    bool weekdays;
    bool datePicker;
    const char *datePattern; // null: the locale's short date
    bool minutesAndSeconds;
};

constexpr std::array<FrequencyRow, 6> kFrequencyRows = {{
    {"Time, date:", false, true, nullptr, false},
    {"Minute, second:", false, false, nullptr, true},
    {"Time:", false, false, nullptr, false},
    {"Time, days of week", true, false, nullptr, false},
    {"Time, day:", false, true, "dd", false},
    {"Time, month and day:", false, true, "MMMM - dd", false},
}};

// The locale's short date with a four-digit year, as the alarm file writes
// it, so the picker never shows a year that could belong to two centuries.
QString shortDatePattern(const QLocale &locale)
{
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QStringLiteral("yyyy")))
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return pattern;
}

// The time text the editor stores: 24-hour "HH:mm:ss", or "hh:mm:ss AM/PM"
// with a 12-hour hour.
QString alarmTimeText(QTime time, bool twentyFourHour)
{
    return time.toString(twentyFourHour ? u"HH:mm:ss" : u"hh:mm:ss AP");
}

} // namespace

FrequencyLayout frequencyLayout(int frequency, bool twentyFourHour, const QLocale &locale)
{
    const FrequencyRow &row =
        kFrequencyRows.at(std::clamp<std::size_t>(frequency, 0, kFrequencyRows.size() - 1));
    FrequencyLayout layout;
    layout.frameCaption = QString::fromLatin1(row.caption);
    layout.weekdaysEnabled = row.weekdays;
    layout.datePickerUsable = row.datePicker;
    layout.datePattern =
        row.datePattern ? QString::fromLatin1(row.datePattern) : shortDatePattern(locale);
    if (row.minutesAndSeconds)
        layout.timePattern = QStringLiteral("mm:ss");
    else
        layout.timePattern =
            twentyFourHour ? QStringLiteral("HH:mm:ss") : QStringLiteral("hh:mm:ss AP");
    return layout;
}

int minuteValue(QStringView text)
{
    const double number = leadingNumber(text).value_or(kMaxMinutes);
    return static_cast<int>(
        std::clamp(roundHalfEven(number), double(kMinMinutes), double(kMaxMinutes)));
}

std::optional<QTime> alarmTime(QStringView timeText)
{
    const QString text = timeText.trimmed().toString();
    for (const QString &format : {QStringLiteral("h:m:s AP"), QStringLiteral("H:m:s"),
                                  QStringLiteral("h:m AP"), QStringLiteral("H:m")}) {
        const QTime time = QTime::fromString(text, format);
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

int alarmVolumePercent(const AlarmRecord &alarm)
{
    return Volume::percentFromCentibels(alarmVolume(alarm));
}

AlarmRecord buildAlarmRecord(const AlarmEditorValues &values, const AlarmRecord &slot,
                             bool twentyFourHour)
{
    AlarmRecord record = slot;
    record.alarmDate = values.date;
    record.timeText = alarmTimeText(values.time, twentyFourHour);
    record.dayFlags = values.dayFlags;
    record.frequency = static_cast<qint16>(values.frequency);
    // The text box gives bare line feeds; the stored message is one line.
    QString message = values.message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    message.replace(u'\n', u' ');
    message.replace(u'\r', u' ');
    record.message = message;
    record.sleepFlag = values.sleep ? 1 : 0;
    record.playlist = createplaylist(values.playlist);
    record.fadeIn = values.fadeIn ? 1 : 0;
    record.fadeOut = values.fadeOut ? 1 : 0;
    record.fadeMinutes = std::clamp(values.fadeMinutes, kMinMinutes, kMaxMinutes);
    record.snoozeMinutes =
        QString::number(std::clamp(values.snoozeMinutes, kMinMinutes, kMaxMinutes));
    record.playMedia = values.playMedia ? 1 : 0;
    record.soundIndex = static_cast<qint16>(values.soundIndex);
    if (values.volumePercent != alarmVolumePercent(slot))
        record.spare = Volume::centibelsFromPercent(values.volumePercent);
    return record;
}

Result alarmCanRing(const AlarmEditorValues &values, const QDateTime &now)
{
    // The clock has already looked at the present second, so it is past too.
    if (values.frequency == AlarmFrequency::FixedDate && QDateTime(values.date, values.time) <= now)
        return Result::failure(
            QStringLiteral("This alarm can never ring: its date and time have passed.\n"
                           "Choose a date and time still to come, or another frequency."));
    if (values.frequency == AlarmFrequency::Weekly && !values.dayFlags.contains(u'1'))
        return Result::failure(
            QStringLiteral("This alarm can never ring: no day of the week is ticked.\n"
                           "Tick the days it should ring on, or choose another frequency."));
    return Result::success();
}
