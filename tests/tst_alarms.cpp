#include "alarms/alarmfile.h"
#include "alarms/alarmlistrows.h"
#include "alarms/alarmrecord.h"
#include "alarms/alarmtable.h"

#include <QDir>
#include <QTest>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

// Each number field holds its own value, so a field in another's place shows. In order:
// message, frequency, timeText, alarmDate, dayFlags, sleepFlag, playlist, spare, fadeIn,
// fadeOut, fadeMinutes, snoozeMinutes, playMedia, soundIndex.
AlarmRecord sample(const QString &message = QStringLiteral("Wake up"))
{
    return {
        message, 3, "07:30:15 AM", {2026, 12, 24}, "0111110", 4, "/m/a.mp3[2*2]", 6, 1, 2, 30, "15",
        7,       8};
}

std::optional<AlarmRecord> roundTrip(const AlarmRecord &r, const QLocale &locale = kUs)
{
    return parseAlarmLine(formatAlarmLine(r, locale), locale, 2026);
}

QByteArray line(const QString &message = QStringLiteral("Wake up"))
{
    return formatAlarmLine(sample(message), kUs).toUtf8();
}

} // namespace

class TestAlarms final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldOrder()
    {
        const QString text = "12/24/2026[1*1]0111110[1*1]1[1*1]2[1*1]30[1*1]3[1*1]Wake up[1*1]"
                             "/m/a.mp3[2*2][1*1]4[1*1]15[1*1]07:30:15 AM[1*1]6[1*1]7[1*1]8";
        QCOMPARE(formatAlarmLine(sample(), kUs), text);
        QCOMPARE(parseAlarmLine(text, kUs, 2026), sample());
    }
    void dates_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        const QLocale german(QLocale::German, QLocale::Germany);
        QTest::newRow("C") << QLocale::c() << "24 Dec 2026" << QDate(2026, 12, 24);
        QTest::newRow("out of the 2-digit window") << kUs << "1/5/1930" << QDate(1930, 1, 5);
        QTest::newRow("80 years back") << kUs << "1/5/46" << QDate(1946, 1, 5);
        QTest::newRow("19 years ahead") << kUs << "1/5/45" << QDate(2045, 1, 5);
        QTest::newRow("the last day") << german << "31.12.9999" << QDate(9999, 12, 31);
    }
    void dates()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(readAlarmDate(text, locale, 2026), date);
        AlarmRecord r = sample();
        r.alarmDate = date;
        QCOMPARE(roundTrip(r, locale), r);
    }
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value"); // invalid: beyond a double
        QTest::newRow("blanks anywhere, text after") << " 1 5 min" << QVariant(15.0);
        QTest::newRow("sign and fraction") << "- 2.5" << QVariant(-2.5);
        QTest::newRow("exponent") << "15E-1" << QVariant(1.5);
        QTest::newRow("not a number") << "x1" << QVariant(0.0);
        QTest::newRow("overflow") << "1e999" << QVariant();
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        const std::optional<double> number = ::leadingNumber(text);
        QTEST(number ? QVariant(*number) : QVariant(), "value");
    }
    void repairs_data()
    {
        QTest::addColumn<QStringList>("texts"); // message, playlist; both as read back, joined
        QTest::newRow("field separator") << QStringList{"a[1*1]b", "", "a[1*1 ]b"};
        QTest::newRow("line breaks") << QStringList{"a\r\nb\rc\nd", "", "a b c d"};
        QTest::newRow("paths") << QStringList{"", "/a[2*2]/b[1*1][2*2]/c\nd[2*2]", "/a[2*2]"};
    }
    void repairs()
    {
        QFETCH(QStringList, texts);
        AlarmRecord r = sample(texts[0]);
        r.playlist = texts[1];
        const AlarmRecord stored = roundTrip(r).value_or(AlarmRecord{});
        QCOMPARE(stored.message + stored.playlist, texts[2]);
    }
    void readLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("counts"); // records, skipped, altered, over the cap
        QTest::newRow("CR LF, LF, CR, empty, no end")
            << line() + "\r\n\r\n" + line() + "\n\n" + line() + "\r" + line() << QList{4, 0, 0, 0};
        QTest::newRow("unreadable") << line() + "\r\nx\r\n" + line() << QList{2, 1, 0, 0};
        QTest::newRow("a field too many") << line() + "[1*1]x" << QList{1, 0, 1, 0};
#ifdef Q_OS_UNIX
        // The system code page is UTF-8 here; a Windows one such as 1252 reads every byte.
        QTest::newRow("a byte the code page cannot read")
            << line().replace("Wake", "Wa\xffke") << QList{1, 0, 1, 0};
#endif
        QTest::newRow("302 lines")
            << QByteArray(line() + "\r\n").repeated(kMaxAlarms + 2) << QList{kMaxAlarms, 0, 0, 2};
    }
    void readLines()
    {
        QFETCH(QByteArray, bytes);
        const AlarmFileContents read = readAlarmLines(bytes, kUs, 2026);
        const AlarmFileReport &report = read.report;
        QTEST((QList{int(read.records.size()), report.skippedLines, report.alteredLines,
                     report.overflowAlarms}),
              "counts");
    }
    // Only slots 1 to the count are alarms, whatever the slots after keep.
    void fillAndWriteTheTable()
    {
        AlarmSlots slots;
        slots[4] = sample("old");
        int count = -1;
        fillAlarmTable(slots, count, {sample("first"), sample("second"), sample("third")});
        QCOMPARE(count, 3);
        QVERIFY(removeAlarmRecord(slots, count, 2) && !removeAlarmRecord(slots, count, 3));
        QVERIFY(storeAlarmRecord(slots, count, 3, sample("fourth")));
        QVERIFY(!storeAlarmRecord(slots, count, 5, sample("fifth")));
        QCOMPARE(alarmFileBytes(slots, count, kUs),
                 line("first") + "\r\n" + line("third") + "\r\n" + line("fourth") + "\r\n");
    }
    // The load message names the file and counts in the singular and the plural.
    void loadMessage()
    {
        const QString told = alarmLoadMessage("/x/als", AlarmFileReport{1, 2, {}});
        QVERIFY2(told.startsWith("Alarm file: " + QDir::toNativeSeparators("/x/als") +
                                 "\n1 line of the alarm file could not") &&
                     told.contains("\n2 alarms were loaded"),
                 qPrintable(told));
    }
    // What a failed save leaves the file without, as the list names it: "S M" stores M in
    // slot S (count + 1 adds), "-S" deletes slot S.
    void unsavedChanges_data()
    {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("names");
        QTest::newRow("an added alarm changed is new")
            << QStringList{"3 Run", "3 Swim"} << "\"Swim\" (new)";
        QTest::newRow("an added alarm deleted leaves nothing") << QStringList{"3 Run", "-3"} << "";
        QTest::newRow("marks move up with a deletion")
            << QStringList{"2 Swim", "-1"} << "\"Swim\" (changed), \"first\" (deleted)";
        QTest::newRow("five named, then how many more")
            << QStringList{"3 a", "4 b", "5 c", "6 d", "-1", "-1"}
            << "\"a\" (new), \"b\" (new), \"c\" (new), \"d\" (new), \"first\" (deleted), "
               "1 more";
    }
    void unsavedChanges()
    {
        QFETCH(QStringList, changes);
        AlarmSlots slots;
        int count = 0;
        fillAlarmTable(slots, count, {sample("first"), sample("second")});
        UnsavedAlarms unsaved;
        for (const QString &change : changes) {
            const int before = count, slot = qAbs(change.section(u' ', 0, 0).toInt());
            const AlarmRecord gone = slots[slot];
            if (change.startsWith(u'-') && removeAlarmRecord(slots, count, slot))
                markRemoved(unsaved, slot, before, gone);
            else if (storeAlarmRecord(slots, count, slot, sample(change.section(u' ', 1))))
                markStored(unsaved, slot, before);
        }
        QTEST(unsavedChangeNames(slots, count, unsaved).join(u", "), "names");
        QFETCH(QString, names);
        QCOMPARE(unsaved.any(), !names.isEmpty());
    }
    void listRows_data()
    {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("fixed date") << 0 << QStringList{"Fixed Date", "07:30:15 AM", "12/24/2026"};
        QTest::newRow("hourly") << 1 << QStringList{"Hourly", "30:15", "--"};
        QTest::newRow("monthly") << 4 << QStringList{"Monthly", "07:30:15 AM", "24"};
        QTest::newRow("yearly") << 5 << QStringList{"Yearly", "07:30:15 AM", "12.24"};
    }
    void listRows()
    {
        QFETCH(int, frequency);
        QFETCH(QStringList, texts);
        AlarmRecord r = sample("Wake up at once");
        r.frequency = qint16(frequency);
        QCOMPARE(listRowTexts(r, kUs), QStringList{QStringLiteral("Wake up a\u2026")} + texts);
    }
};

QTEST_GUILESS_MAIN(TestAlarms)
#include "tst_alarms.moc"
