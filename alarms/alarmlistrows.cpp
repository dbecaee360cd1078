#include "alarms/alarmlistrows.h"

namespace {

constexpr qsizetype kAlarmNameLength = 9;
// A note under the list, or a message box, stays readable with this many names.
constexpr qsizetype kMaxNamedChanges = 5;

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

QStringList unsavedChangeNames(const AlarmSlots &alarms, int alarmCount,
                               const UnsavedAlarms &unsaved)
{
    QStringList names;
    const auto named = [](const QString &message, const char *what) {
        return QStringLiteral("\"%1\" (%2)").arg(alarmName(message), QLatin1String(what));
    };
    for (int slot = 1; slot <= alarmCount; ++slot) {
        if (unsaved.slots[slot] == AlarmSaved::Added)
            names.append(named(alarms[slot].message, "new"));
        else if (unsaved.slots[slot] == AlarmSaved::Changed)
            names.append(named(alarms[slot].message, "changed"));
    }
    for (const AlarmRecord &record : unsaved.deleted)
        names.append(named(record.message, "deleted"));
    if (names.size() > kMaxNamedChanges) {
        const qsizetype more = names.size() - kMaxNamedChanges;
        names.resize(kMaxNamedChanges);
        names.append(QStringLiteral("%1 more").arg(more));
    }
    return names;
}

QString unsavedChangesNote(const AlarmSlots &alarms, int alarmCount, const UnsavedAlarms &unsaved)
{
    if (!unsaved.any())
        return {};
    return QStringLiteral("Not saved: %1\n%2.\nTockaro tries again with the next change and "
                          "when it ends.")
        .arg(unsaved.error, unsavedChangeNames(alarms, alarmCount, unsaved).join(u", "));
}

std::array<double, 4> alarmColumnWidths(double listWidth)
{
    const double quarter = listWidth / 4;
    return {quarter, quarter - 100, quarter - 150, quarter - 200};
}
