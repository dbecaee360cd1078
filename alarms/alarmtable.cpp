#include "alarms/alarmtable.h"

#include "base/textlines.h"

#include <QByteArrayView>
#include <QStringConverter>

#include <algorithm>

AlarmFileContents readAlarmLines(const QByteArray &bytes, const QLocale &locale, int presentYear)
{
    AlarmFileContents contents;
    for (const QByteArrayView lineBytes : textLines(bytes)) {
        if (lineBytes.isEmpty())
            continue;
        // Each line decodes on its own, so a broken byte sequence stays in
        // its line and is noticed there.
        QStringDecoder decode(QStringConverter::System, QStringConverter::Flag::Stateless);
        const QString line = decode(lineBytes);
        const std::optional<AlarmRecord> record = parseAlarmLine(line, locale, presentYear);
        if (!record) {
            ++contents.report.skippedLines;
            continue;
        }
        if (contents.records.size() == kMaxAlarms) {
            ++contents.report.overflowAlarms;
            continue;
        }
        // A save writes the line through the same code page: it is altered when
        // that does not give its bytes back. Asking the decoder would not do, as
        // Qt's decoder of a Windows code page drops what it cannot read silently.
        const bool decodedExactly =
            QStringEncoder(QStringConverter::System).encode(line) == lineBytes.toByteArray();
        if (!decodedExactly || hasExtraFields(line))
            ++contents.report.alteredLines;
        contents.records.append(*record);
    }
    return contents;
}

void fillAlarmTable(AlarmSlots &alarms, int &alarmCount, const QList<AlarmRecord> &records)
{
    alarmCount = 0;
    for (const AlarmRecord &record : records) {
        if (alarmCount == kMaxAlarms)
            break;
        alarms[++alarmCount] = record;
    }
}

bool storeAlarmRecord(AlarmSlots &alarms, int &alarmCount, int slot, const AlarmRecord &record)
{
    if (slot < 1 || slot > std::min(alarmCount + 1, kMaxAlarms))
        return false;
    alarms[slot] = record;
    alarmCount = std::max(alarmCount, slot);
    return true;
}

bool removeAlarmRecord(AlarmSlots &alarms, int &alarmCount, int slot)
{
    if (slot < 1 || slot > alarmCount)
        return false;
    std::move(alarms.begin() + slot + 1, alarms.begin() + alarmCount + 1, alarms.begin() + slot);
    alarms[alarmCount] = AlarmRecord();
    --alarmCount;
    return true;
}

QByteArray alarmFileBytes(const AlarmSlots &alarms, int alarmCount, const QLocale &locale)
{
    QString text;
    for (int slot = 1; slot <= alarmCount; ++slot)
        text += formatAlarmLine(alarms[slot], locale) + QStringLiteral("\r\n");
    QStringEncoder encode(QStringConverter::System);
    return encode(text);
}

bool UnsavedAlarms::any() const
{
    return !deleted.isEmpty() || std::any_of(slots.begin(), slots.end(), [](AlarmSaved saved) {
        return saved != AlarmSaved::Saved;
    });
}

void markStored(UnsavedAlarms &unsaved, int slot, int alarmCountBefore)
{
    if (slot < 1 || slot > std::min(alarmCountBefore + 1, kMaxAlarms))
        return;
    AlarmSaved &saved = unsaved.slots[slot];
    if (slot > alarmCountBefore)
        saved = AlarmSaved::Added;
    else if (saved == AlarmSaved::Saved)
        saved = AlarmSaved::Changed;
}

void markRemoved(UnsavedAlarms &unsaved, int slot, int alarmCountBefore, const AlarmRecord &record)
{
    if (slot < 1 || slot > alarmCountBefore)
        return;
    // An alarm the file never held leaves nothing behind in it.
    if (unsaved.slots[slot] != AlarmSaved::Added)
        unsaved.deleted.append(record);
    auto &slots = unsaved.slots;
    std::move(slots.begin() + slot + 1, slots.begin() + alarmCountBefore + 1, slots.begin() + slot);
    slots[alarmCountBefore] = AlarmSaved::Saved;
}
