// libFuzzer target for the alarm file's readers and writer and the settings file's reader:
// no bytes crash them or break the table, and whatever was read or made reads back the same.

#include "alarms/alarmrecord.h"
#include "alarms/alarmtable.h"
#include "settings/conffile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QList>
#include <QLocale>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kPresentYear = 2026;

const QLocale &localeFor(std::uint8_t choice)
{
    static const QList<QLocale> locales = {QLocale::c(),
                                           QLocale(QLocale::English, QLocale::UnitedStates),
                                           QLocale(QLocale::English, QLocale::UnitedKingdom),
                                           QLocale(QLocale::German, QLocale::Germany)};
    return locales.at(choice % locales.size());
}

// A failed property ends the run, so libFuzzer keeps the input that broke it.
void require(bool holds)
{
    if (!holds)
        std::abort();
}

void readWriteRead(const QByteArray &bytes, const QLocale &locale)
{
    const AlarmFileContents contents = readAlarmLines(bytes, locale, kPresentYear);
    require(contents.records.size() <= kMaxAlarms);
    AlarmSlots alarms{};
    int alarmCount = -1;
    fillAlarmTable(alarms, alarmCount, contents.records);
    require(alarmCount == contents.records.size());

    const QByteArray saved = alarmFileBytes(alarms, alarmCount, locale);
    const AlarmFileContents again = readAlarmLines(saved, locale, kPresentYear);
    require(again.report.isClean());
    require(again.records == contents.records);
}

// Any UTF-16 units, half surrogate pairs included.
QString text(FuzzedDataProvider &in)
{
    QString units;
    for (int n = in.ConsumeIntegralInRange(0, 40); n > 0 && in.remaining_bytes() > 0; --n)
        units.append(QChar(in.ConsumeIntegral<char16_t>()));
    return units;
}

void storeAndRead(FuzzedDataProvider &in, const QLocale &locale)
{
    // A braced list reads its fields in order, as the corpus was made.
    const auto i16 = [&in] {
        return in.ConsumeIntegral<qint16>();
    };
    const auto i32 = [&in] {
        return in.ConsumeIntegral<qint32>();
    };
    const auto day = [&in] {
        return QDate::fromJulianDay(in.ConsumeIntegralInRange<qint64>(-1000000, 6000000));
    };
    const AlarmRecord r{text(in), i16(), text(in), day(), text(in), i16(), text(in),
                        i32(),    i16(), i16(),    i32(), text(in), i16(), i16()};
    AlarmRecord stored = storableAlarm(r);
    require(storableAlarm(stored) == stored);
    const std::optional<AlarmRecord> readBack =
        parseAlarmLine(formatAlarmLine(r, locale), locale, kPresentYear);
    require(readBack && *readBack == stored);
}

void confRoundTrip(const QByteArray &bytes)
{
    const QString chime = QStringLiteral("/Sounds/chimering.MP3");
    const auto exists = [](const QString &path) {
        return path.size() % 2 == 0;
    };
    const Settings settings = readConf(bytes, chime, exists);
    require(settings.sizeIndex >= 0 && settings.sizeIndex < sizeEntries().size());
    require(readConf(formatConf(settings), chime, exists) == settings);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QLocale &locale = localeFor(data[0] >> 2);
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1,
                          static_cast<qsizetype>(size - 1));
    FuzzedDataProvider in(data + 1, size - 1);
    switch (data[0] & 3) {
    case 0:
        readWriteRead(rest, locale);
        break;
    case 1:
        storeAndRead(in, locale);
        break;
    default:
        confRoundTrip(rest);
        break;
    }
    return 0;
}
