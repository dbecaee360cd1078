#include "alarms/alarmtable.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

QByteArray goodLine(int k)
{
    return "12/24/2026[1*1]0111110[1*1]0[1*1]1[1*1]30[1*1]3[1*1]Alarm " + QByteArray::number(k) +
           "[1*1][1*1]0[1*1]15[1*1]07:30:00[1*1]0[1*1]1[1*1]3";
}

QByteArray goodLines(int count, const QByteArray &lineEnd = "\r\n")
{
    QByteArray bytes;
    for (int k = 1; k <= count; ++k)
        bytes += goodLine(k) + lineEnd;
    return bytes;
}

// Every field printed, for a failure message.
QString describe(const AlarmRecord &r)
{
    QStringList fields = {r.alarmDate.toString(Qt::ISODate),
                          r.dayFlags,
                          QString::number(r.fadeIn),
                          QString::number(r.fadeOut),
                          QString::number(r.fadeMinutes),
                          QString::number(r.frequency),
                          r.message,
                          r.playlist,
                          QString::number(r.sleepFlag),
                          r.snoozeMinutes,
                          r.timeText,
                          QString::number(r.spare),
                          QString::number(r.playMedia),
                          QString::number(r.soundIndex),
                          QString::number(r.inUse),
                          QString::number(r.snoozed)};
    return fields.join(" | ");
}

// Text that the line format finds awkward: its own separators and parts of
// them, line breaks, non-ASCII, half surrogate pairs, NUL, or nothing at all.
QString awkwardText(QRandomGenerator &random)
{
    static const QStringList pieces = {"[1*1]",
                                       "[2*2]",
                                       "[1*1",
                                       "1*1]",
                                       "[",
                                       "]",
                                       "*",
                                       "1",
                                       "2",
                                       " ",
                                       "\t",
                                       "\r\n",
                                       "\r",
                                       "\n",
                                       "é",
                                       "日本",
                                       "😀",
                                       "\uFEFF",
                                       "C:\\Music\\",
                                       "a",
                                       "0",
                                       "-",
                                       ".",
                                       "15",
                                       "AM",
                                       "/",
                                       "[2*2",
                                       QString(QChar(0xD800)),
                                       QString(QChar(0xDC00)),
                                       QString(QChar(u'\0'))};
    QString text;
    for (int n = random.bounded(8); n > 0; --n)
        text += pieces.at(random.bounded(pieces.size()));
    return text;
}

AlarmRecord randomAlarm(QRandomGenerator &random)
{
    const auto int16 = [&random] {
        return static_cast<qint16>(random.bounded(-32768, 32768));
    };
    const auto int32 = [&random] {
        return static_cast<qint32>(random.generate());
    };
    AlarmRecord r;
    r.message = awkwardText(random);
    r.frequency = random.bounded(4) == 0 ? int16() : static_cast<qint16>(random.bounded(6));
    r.timeText = awkwardText(random);
    switch (random.bounded(6)) {
    case 0:
        r.alarmDate = QDate();
        break;
    case 1:
        r.alarmDate = QDate(10000 + random.bounded(100), 1, 1);
        break;
    default:
        r.alarmDate = QDate::fromJulianDay(QDate(1, 1, 1).toJulianDay() +
                                           random.bounded(QDate(1, 1, 1).daysTo({9999, 12, 31})));
    }
    r.dayFlags = awkwardText(random);
    r.sleepFlag = int16();
    for (int n = random.bounded(4); n > 0; --n)
        r.playlist += awkwardText(random) + (random.bounded(5) ? "[2*2]" : "");
    r.spare = int32();
    r.fadeIn = int16();
    r.fadeOut = int16();
    r.fadeMinutes = int32();
    r.snoozeMinutes = awkwardText(random);
    r.inUse = random.bounded(3) != 0;
    r.snoozed = random.bounded(2) != 0;
    r.playMedia = int16();
    r.soundIndex = int16();
    return r;
}

} // namespace

class TestAlarmTable final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("alarms");
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("altered");

        QTest::newRow("empty file") << QByteArray() << 0 << 0 << 0;
        QTest::newRow("CR LF") << goodLines(3) << 3 << 0 << 0;
        QTest::newRow("LF only") << goodLines(3, "\n") << 3 << 0 << 0;
        QTest::newRow("CR only") << goodLines(3, "\r") << 3 << 0 << 0;
        QTest::newRow("mixed line ends")
            << QByteArray(goodLine(1) + "\n" + goodLine(2) + "\r" + goodLine(3) + "\r\n") << 3 << 0
            << 0;
        QTest::newRow("no line end after the last")
            << QByteArray(goodLines(2) + goodLine(3)) << 3 << 0 << 0;
        QTest::newRow("no line end at all") << goodLine(1) << 1 << 0 << 0;
        QTest::newRow("empty lines are no alarms")
            << QByteArray("\r\n\r\n" + goodLine(1) + "\r\n\r\n\n\r" + goodLine(2) + "\r\n") << 2
            << 0 << 0;
        QTest::newRow("a line of blanks is unreadable")
            << QByteArray(goodLines(1) + "   \r\n") << 1 << 1 << 0;
        QTest::newRow("short line")
            << QByteArray(goodLines(1) + "12/24/2026[1*1]0111110\r\n" + goodLines(1)) << 2 << 1
            << 0;
        QTest::newRow("bad date") << QByteArray(goodLine(1)).replace("12/24/2026", "31/12/2026")
                                  << 0 << 1 << 0;
        QTest::newRow("number too large")
            << QByteArray(goodLine(1)).replace("[1*1]30[1*1]", "[1*1]9e99[1*1]") << 0 << 1 << 0;
        QTest::newRow("extra fields")
            << QByteArray(goodLine(1) + "[1*1]x[1*1]y\r\n") << 1 << 0 << 1;
        QTest::newRow("bytes the encoding cannot read")
            << QByteArray(goodLine(1)).replace("Alarm", "Al\xff\xfe") << 1 << 0 << 1;
        QTest::newRow("NUL in a message")
            << QByteArray(goodLine(1)).replace(QByteArray("Alarm"), QByteArray("A\0B", 3)) << 1 << 0
            << 0;
        QTest::newRow("NUL bytes alone") << QByteArray(100, '\0') << 0 << 1 << 0;
        QTest::newRow("301 lines: the last is not loaded") << goodLines(301) << 300 << 1 << 0;
        QTest::newRow("thousands of lines") << goodLines(5000, "\n") << 300 << 4700 << 0;
        QTest::newRow("a 10 MB line") << QByteArray(10 << 20, 'x') << 0 << 1 << 0;
        QTest::newRow("10 MB of separators")
            << QByteArray("[1*1]").repeated(2 << 20) << 0 << 1 << 0;
        QTest::newRow("a 10 MB date")
            << QByteArray(QByteArray(10 << 20, '1') + goodLine(1)) << 0 << 1 << 0;
        QTest::newRow("a 10 MB number")
            << QByteArray(goodLine(1))
                   .replace("[1*1]30[1*1]",
                            QByteArray("[1*1]" + QByteArray(10 << 20, '0') + "30[1*1]"))
            << 1 << 0 << 0;
        QTest::newRow("a 10 MB message")
            << QByteArray(goodLine(1)).replace("Alarm", QByteArray(10 << 20, 'm')) << 1 << 0 << 0;
    }

    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, alarms);
        QFETCH(int, skipped);
        QFETCH(int, altered);
        const AlarmFileContents contents = readAlarmLines(bytes, kUs, 2026);
        QCOMPARE(contents.records.size(), alarms);
        QCOMPARE(contents.report.skippedLines, skipped);
        QCOMPARE(contents.report.alteredLines, altered);
        QCOMPARE(contents.report.isClean(), skipped == 0 && altered == 0);
        for (const AlarmRecord &r : contents.records)
            QVERIFY(r.inUse && !r.snoozed);
    }

    void linesKeepFileOrder()
    {
        const AlarmFileContents contents = readAlarmLines(goodLines(300, "\r"), kUs, 2026);
        for (int k = 0; k < 300; ++k)
            QCOMPARE(contents.records.at(k).message, QStringLiteral("Alarm %1").arg(k + 1));
    }

    void binaryGarbageNeverBreaksTheTable()
    {
        QRandomGenerator random(7);
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes(64 * 1024, Qt::Uninitialized);
            for (char &byte : bytes)
                byte = static_cast<char>(random.bounded(256));
            // Real lines among the garbage, so some alarms do load.
            for (int k = 0; k < 50; ++k)
                bytes.insert(random.bounded(bytes.size()), QByteArray("\n" + goodLine(k) + "\n"));
            const AlarmFileContents contents = readAlarmLines(bytes, kUs, 2026);
            QVERIFY(contents.records.size() >= 1);
            QVERIFY(contents.records.size() <= kMaxAlarms);
            AlarmSlots alarms{};
            int alarmCount = -1;
            fillAlarmTable(alarms, alarmCount, contents.records);
            QCOMPARE(alarmCount, contents.records.size());
        }
    }

    void fillingKeepsTheInvariants_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("alarmCount");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("two") << 2 << 2;
        QTest::newRow("a full table") << 300 << 300;
        QTest::newRow("more than the table holds") << 305 << 300;
    }

    void fillingKeepsTheInvariants()
    {
        QFETCH(int, records);
        QFETCH(int, alarmCount);
        AlarmSlots alarms{};
        for (AlarmRecord &slot : alarms) {
            slot.inUse = true;
            slot.snoozed = true;
            slot.message = "stale";
        }
        QList<AlarmRecord> loaded;
        for (int k = 1; k <= records; ++k) {
            AlarmRecord r;
            r.message = QString::number(k);
            loaded.append(r);
        }
        int count = -1;
        fillAlarmTable(alarms, count, loaded);
        QCOMPARE(count, alarmCount);
        QVERIFY(!alarms[0].inUse);
        for (int slot = 1; slot < kAlarmSlots; ++slot) {
            QCOMPARE(alarms[slot].inUse, slot <= alarmCount);
            QVERIFY(!alarms[slot].snoozed);
            if (slot <= alarmCount)
                QCOMPARE(alarms[slot].message, QString::number(slot));
        }
    }

    void writesSlotsInUseInOrder()
    {
        AlarmSlots alarms{};
        for (int slot : {7, 1, 3}) {
            const AlarmFileContents one = readAlarmLines(goodLine(slot), kUs, 2026);
            alarms[slot] = one.records.first();
        }
        alarms[3].snoozed = true;
        alarms[5].message = "not in use";
        QCOMPARE(alarmFileBytes(alarms, kUs),
                 QByteArray(goodLine(1) + "\r\n" + goodLine(3) + "\r\n" + goodLine(7) + "\r\n"));
        QCOMPARE(alarmFileBytes(AlarmSlots{}, kUs), QByteArray());
    }

    void fileFromAnEarlierCopyLoadsUnchanged()
    {
        const QByteArray file =
            "12/5/2026[1*1]0111110[1*1]1[1*1]0[1*1]30[1*1]3[1*1]Wake up![1*1]"
            "C:\\Music\\a.mp3[2*2]C:\\Music\\b.wma[2*2][1*1]0[1*1]15[1*1]07:30:00 AM[1*1]0[1*1]"
            "1[1*1]0\r\n"
            "1/31/2027[1*1]0000000[1*1]0[1*1]1[1*1]5[1*1]0[1*1]Dentist \xc3\xa0 9[1*1][1*1]1[1*1]"
            "59[1*1]08:45:00 PM[1*1]42[1*1]0[1*1]9\r\n";
        const AlarmFileContents contents = readAlarmLines(file, kUs, 2026);
        QVERIFY(contents.report.isClean());
        QCOMPARE(contents.records.size(), 2);
        const AlarmRecord &weekly = contents.records.at(0);
        QCOMPARE(weekly.alarmDate, QDate(2026, 12, 5));
        QCOMPARE(weekly.dayFlags, "0111110");
        QCOMPARE(weekly.fadeIn, 1);
        QCOMPARE(weekly.fadeMinutes, 30);
        QCOMPARE(weekly.frequency, qint16(AlarmFrequency::Weekly));
        QCOMPARE(weekly.message, "Wake up!");
        QCOMPARE(weekly.playlist, "C:\\Music\\a.mp3[2*2]C:\\Music\\b.wma[2*2]");
        QCOMPARE(weekly.snoozeMinutes, "15");
        QCOMPARE(weekly.timeText, "07:30:00 AM");
        QCOMPARE(weekly.playMedia, 1);
        const AlarmRecord &fixed = contents.records.at(1);
        QCOMPARE(fixed.alarmDate, QDate(2027, 1, 31));
        QCOMPARE(fixed.message, QStringLiteral("Dentist à 9"));
        QCOMPARE(fixed.sleepFlag, 1);
        QCOMPARE(fixed.spare, 42);
        QCOMPARE(fixed.soundIndex, 9);

        AlarmSlots alarms{};
        int alarmCount = 0;
        fillAlarmTable(alarms, alarmCount, contents.records);
        QCOMPARE(alarmFileBytes(alarms, kUs), file);
    }

    void roundTrip_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<quint32>("seed");
        const QList<QLocale> locales = {QLocale::c(), kUs,
                                        QLocale(QLocale::English, QLocale::UnitedKingdom),
                                        QLocale(QLocale::German, QLocale::Germany)};
        for (const QLocale &locale : locales) {
            for (quint32 seed = 1; seed <= 6; ++seed) {
                QTest::addRow("%s seed %u", qPrintable(locale.name()), seed) << locale << seed;
            }
        }
    }

    // Saving any table and loading it again gives the same alarms, in slot
    // order, as the record can be stored; and the file is then a fixed point.
    void roundTrip()
    {
        QFETCH(QLocale, locale);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        AlarmSlots alarms{};
        QList<AlarmRecord> expected;
        const int used = random.bounded(kAlarmSlots);
        for (int slot = 1; slot <= used; ++slot) {
            alarms[slot] = randomAlarm(random);
            if (alarms[slot].inUse) {
                AlarmRecord stored = storableAlarm(alarms[slot]);
                stored.snoozed = false;
                expected.append(stored);
            }
        }

        const QByteArray bytes = alarmFileBytes(alarms, locale);
        const AlarmFileContents contents = readAlarmLines(bytes, locale, 2026);
        QVERIFY(contents.report.isClean());
        QCOMPARE(contents.records.size(), expected.size());
        for (int k = 0; k < expected.size(); ++k) {
            QVERIFY2(contents.records.at(k) == expected.at(k),
                     qPrintable(describe(contents.records.at(k)) + "\n    expected " +
                                describe(expected.at(k))));
        }

        AlarmSlots reloaded{};
        int alarmCount = 0;
        fillAlarmTable(reloaded, alarmCount, contents.records);
        QCOMPARE(alarmFileBytes(reloaded, locale), bytes);
    }
};

QTEST_GUILESS_MAIN(TestAlarmTable)
#include "tst_alarmtable.moc"
