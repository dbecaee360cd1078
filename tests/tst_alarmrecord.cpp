#include "alarms/alarmlistrows.h"
#include "alarms/alarmrecord.h"

#include <QTest>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kBritish(QLocale::English, QLocale::UnitedKingdom);

// A weekday alarm as the editor makes it, in file order.
QStringList sampleFields()
{
    return {"12/24/2026", "0111110", "0",  "1",           "30", "3", "Wake up",
            "",           "0",       "15", "07:30:00 AM", "0",  "1", "3"};
}

QString lineWith(int position, const QString &text)
{
    QStringList fields = sampleFields();
    fields[position] = text;
    return fields.join(kFieldSeparator);
}

// The record's field at a position of the line.
QVariant fieldAt(const AlarmRecord &r, int position)
{
    const QVariantList fields = {r.alarmDate, r.dayFlags, r.fadeIn,    r.fadeOut,   r.fadeMinutes,
                                 r.frequency, r.message,  r.playlist,  r.sleepFlag, r.snoozeMinutes,
                                 r.timeText,  r.spare,    r.playMedia, r.soundIndex};
    return fields.at(position);
}

QString &textField(AlarmRecord &r, const QString &name)
{
    if (name == "timeText")
        return r.timeText;
    if (name == "dayFlags")
        return r.dayFlags;
    if (name == "snoozeMinutes")
        return r.snoozeMinutes;
    if (name == "playlist")
        return r.playlist;
    return r.message;
}

QString textField(AlarmRecord &&r, const QString &name)
{
    return textField(r, name);
}

AlarmRecord record(qint16 frequency, const QString &timeText, QDate date,
                   const QString &message = QStringLiteral("Wake up"))
{
    AlarmRecord r;
    r.message = message;
    r.frequency = frequency;
    r.timeText = timeText;
    r.alarmDate = date;
    return r;
}

} // namespace

class TestAlarmRecord final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");

        QTest::newRow("plain") << "15" << 15.0;
        QTest::newRow("blanks around") << "  15\t " << 15.0;
        QTest::newRow("blanks inside are ignored too") << "1 5" << 15.0;
        QTest::newRow("text after the number") << "12 minutes" << 12.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("negative") << "-3" << -3.0;
        QTest::newRow("plus sign") << "+4" << 4.0;
        QTest::newRow("blank after the sign") << "- 5" << -5.0;
        QTest::newRow("two signs") << "--5" << 0.0;
        QTest::newRow("decimal point") << "2.5" << 2.5;
        QTest::newRow("no whole part") << ".5" << 0.5;
        QTest::newRow("a comma is not a decimal point") << "1,5" << 1.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("signed exponent") << "15E-1" << 1.5;
        QTest::newRow("exponent without digits") << "7e" << 7.0;
        QTest::newRow("hex is not read") << "0x1F" << 0.0;
        QTest::newRow("other scripts' digits are not read") << "\u0663" << 0.0;
        QTest::newRow("long run of zeros") << QString(100000, u'0') + "7" << 7.0;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        const std::optional<double> number = ::leadingNumber(text);
        QVERIFY(number);
        QCOMPARE(*number, value);
    }

    void numberBeyondDoubleIsNone() { QVERIFY(!::leadingNumber(u"1e999")); }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("whole");
        QTest::newRow("2.5 goes down to even") << 2.5 << 2.0;
        QTest::newRow("3.5 goes up to even") << 3.5 << 4.0;
        QTest::newRow("0.5 is 0") << 0.5 << 0.0;
        QTest::newRow("-2.5 is -2") << -2.5 << -2.0;
        QTest::newRow("-3.5 is -4") << -3.5 << -4.0;
        QTest::newRow("2.4999 is 2") << 2.4999 << 2.0;
        QTest::newRow("2.5001 is 3") << 2.5001 << 3.0;
        QTest::newRow("whole stays") << 7.0 << 7.0;
    }

    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(double, whole);
        QCOMPARE(::roundHalfEven(value), whole);
    }

    void fieldReading_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value"); // invalid: the line cannot be read

        QTest::newRow("number with blanks") << 2 << " 1 " << QVariant(qint16(1));
        QTest::newRow("2.5 reads 2") << 5 << "2.5" << QVariant(qint16(2));
        QTest::newRow("3.5 reads 4") << 5 << "3.5" << QVariant(qint16(4));
        QTest::newRow("fade minutes 29.5 reads 30") << 4 << "29.5" << QVariant(qint32(30));
        QTest::newRow("text in a number field reads 0") << 8 << "yes" << QVariant(qint16(0));
        QTest::newRow("empty number reads 0") << 12 << "" << QVariant(qint16(0));
        QTest::newRow("empty snooze reads \"0\"") << 9 << "" << QVariant("0");
        QTest::newRow("snooze is kept as text") << 9 << " 15 " << QVariant(" 15 ");
        QTest::newRow("empty playlist") << 7 << "" << QVariant("");
        QTest::newRow("playlist as stored")
            << 7 << "/m/a.mp3[2*2]/m/b.wma[2*2]" << QVariant("/m/a.mp3[2*2]/m/b.wma[2*2]");
        QTest::newRow("message holding the playlist separator")
            << 6 << "a[2*2]b" << QVariant("a[2*2]b");
        QTest::newRow("message with blanks kept") << 6 << "  hi  " << QVariant("  hi  ");
        QTest::newRow("spare kept") << 11 << "123456789" << QVariant(qint32(123456789));
        QTest::newRow("spare negative") << 11 << "-7" << QVariant(qint32(-7));
        QTest::newRow("smallest integer") << 5 << "-32768" << QVariant(qint16(-32768));
        QTest::newRow("32766.5 rounds to 32766") << 2 << "32766.5" << QVariant(qint16(32766));
        QTest::newRow("largest long") << 11 << "2147483647" << QVariant(qint32(2147483647));
        QTest::newRow("integer too large") << 5 << "32768" << QVariant();
        QTest::newRow("32767.5 rounds past the integer") << 2 << "32767.5" << QVariant();
        QTest::newRow("long too large") << 4 << "2147483648" << QVariant();
        QTest::newRow("spare too small") << 11 << "-2147483649" << QVariant();
        QTest::newRow("number beyond any") << 3 << "1e999" << QVariant();
        QTest::newRow("date that is no date") << 0 << "tomorrow" << QVariant();
        QTest::newRow("month 13") << 0 << "13/1/2026" << QVariant();
        QTest::newRow("30 February") << 0 << "2/30/2026" << QVariant();
        QTest::newRow("empty date") << 0 << "" << QVariant();
        QTest::newRow("a year before 1") << 0 << "12/24/-2026" << QVariant();
        QTest::newRow("a year past 9999") << 0 << "12/24/10000" << QVariant();
        QTest::newRow("date with blanks") << 0 << " 12/24/2026 " << QVariant(QDate(2026, 12, 24));
        QTest::newRow("day without its leading zero")
            << 0 << "1/5/2026" << QVariant(QDate(2026, 1, 5));
        QTest::newRow("two-digit year") << 0 << "12/24/26" << QVariant(QDate(2026, 12, 24));
        QTest::newRow("ISO date") << 0 << "2026-12-24" << QVariant(QDate(2026, 12, 24));
    }

    void fieldReading()
    {
        QFETCH(int, position);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        const std::optional<AlarmRecord> r = parseAlarmLine(lineWith(position, text), kUs, 2026);
        QCOMPARE(r.has_value(), value.isValid());
        if (r) {
            QCOMPARE(fieldAt(*r, position), value);
            QVERIFY(r->inUse);
            QVERIFY(!r->snoozed);
        }
    }

    void lineShape_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("extra");

        const QString line = sampleFields().join(kFieldSeparator);
        QTest::newRow("14 fields") << line << true << false;
        QTest::newRow("13 fields")
            << line.left(line.lastIndexOf(kFieldSeparator)) << false << false;
        QTest::newRow("15 fields") << line + "[1*1]more" << true << true;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("one field") << "12/24/2026" << false << false;
        QTest::newRow("separators only")
            << QString(kFieldSeparator.toString()).repeated(13) << false << false;
        QTest::newRow("a broken separator is text") << lineWith(6, "a [1*1 ] b") << true << false;
    }

    void lineShape()
    {
        QFETCH(QString, line);
        QFETCH(bool, readable);
        QFETCH(bool, extra);
        QCOMPARE(parseAlarmLine(line, kUs, 2026).has_value(), readable);
        QCOMPARE(hasExtraFields(line), extra);
    }

    void lineHasTheFieldsInFileOrder()
    {
        AlarmRecord r = record(AlarmFrequency::Weekly, "07:30:00 AM", QDate(2026, 12, 5));
        r.dayFlags = "0111110";
        r.fadeIn = 1;
        r.fadeMinutes = 30;
        r.playlist = "/m/a.mp3[2*2]";
        r.sleepFlag = 1;
        r.snoozeMinutes = "15";
        r.spare = 7;
        r.playMedia = 1;
        r.soundIndex = 9;
        QCOMPARE(formatAlarmLine(r, kUs),
                 "12/5/2026[1*1]0111110[1*1]1[1*1]0[1*1]30[1*1]3[1*1]Wake up[1*1]/m/a.mp3[2*2]"
                 "[1*1]1[1*1]15[1*1]07:30:00 AM[1*1]7[1*1]1[1*1]9");
        r.playlist.clear();
        QVERIFY(formatAlarmLine(r, kUs).contains("Wake up[1*1][1*1]1"));
    }

    void dateText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("C") << QLocale::c() << QDate(2026, 12, 24) << "24 Dec 2026";
        QTest::newRow("en_US") << kUs << QDate(2026, 12, 24) << "12/24/2026";
        QTest::newRow("en_GB") << kBritish << QDate(2026, 12, 24) << "24/12/2026";
        QTest::newRow("de_DE") << kGerman << QDate(2026, 12, 24) << "24.12.2026";
        QTest::newRow("de_DE early") << kGerman << QDate(1926, 1, 5) << "05.01.1926";
        QTest::newRow("first century") << kUs << QDate(26, 12, 24) << "12/24/0026";
        QTest::newRow("digits Qt cannot read back")
            << QLocale(QLocale::Chakma, QLocale::Bangladesh) << QDate(2026, 12, 24) << "2026-12-24";
    }

    void dateText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QDate, date);
        QFETCH(QString, text);
        QCOMPARE(alarmDateText(date, locale), text);
        QCOMPARE(readAlarmDate(text, locale, 2026), date);
    }

    void twoDigitYears_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("presentYear");
        QTest::addColumn<QDate>("date");
        QTest::newRow("en_US this year") << kUs << "12/24/26" << 2026 << QDate(2026, 12, 24);
        QTest::newRow("19 years ahead") << kUs << "1/5/45" << 2026 << QDate(2045, 1, 5);
        QTest::newRow("80 years back") << kUs << "1/5/46" << 2026 << QDate(1946, 1, 5);
        QTest::newRow("de_DE last century") << kGerman << "24.12.99" << 2026 << QDate(1999, 12, 24);
        QTest::newRow("de_DE 00") << kGerman << "01.01.00" << 2026 << QDate(2000, 1, 1);
        QTest::newRow("en_GB two digits") << kBritish << "24/12/26" << 2026 << QDate(2026, 12, 24);
        QTest::newRow("C two digits") << QLocale::c() << "24 Dec 26" << 2026 << QDate(2026, 12, 24);
        QTest::newRow("an old file read in 2090")
            << kUs << "12/24/26" << 2090 << QDate(2026, 12, 24);
        QTest::newRow("read in 2100") << kUs << "12/24/10" << 2100 << QDate(2110, 12, 24);
        QTest::newRow("leap day") << kUs << "2/29/24" << 2026 << QDate(2024, 2, 29);
    }

    void twoDigitYears()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(int, presentYear);
        QFETCH(QDate, date);
        QCOMPARE(readAlarmDate(text, locale, presentYear), date);
    }

    void everyLocaleReadsBackItsDates()
    {
        const QList<QDate> dates = {QDate(2026, 12, 24), QDate(2026, 1, 5), QDate(1926, 2, 28),
                                    QDate(2024, 2, 29),  QDate(1, 1, 1),    QDate(9999, 12, 31)};
        const QList<QLocale> locales = QLocale::matchingLocales(
            QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(locales.size() > 100);
        for (const QLocale &locale : locales) {
            for (QDate date : dates) {
                const QString text = alarmDateText(date, locale);
                QVERIFY2(readAlarmDate(text, locale, 2026) == date,
                         qPrintable(locale.name() + ": " + text));
            }
        }
    }

    void storable_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored");

        QTest::newRow("a plain message stays") << "message"
                                               << "Wake up"
                                               << "Wake up";
        QTest::newRow("field separator in the message is broken") << "message"
                                                                  << "a[1*1]b[1*1]"
                                                                  << "a[1*1 ]b[1*1 ]";
        QTest::newRow("nested separator") << "message"
                                          << "[1*1[1*1]]"
                                          << "[1*1[1*1 ]]";
        QTest::newRow("line breaks in the message become blanks") << "message"
                                                                  << "three\r\nlines\nhere\r"
                                                                  << "three lines here ";
        QTest::newRow("playlist separator in the message stays") << "message"
                                                                 << "[2*2] stays"
                                                                 << "[2*2] stays";
        QTest::newRow("non-ASCII and NUL stay")
            << "message" << QStringLiteral("é日😀") + QChar(u'\0')
            << QStringLiteral("é日😀") + QChar(u'\0');
        QTest::newRow("leading byte-order mark stays") << "message"
                                                       << "\uFEFFhi"
                                                       << "\uFEFFhi";
        QTest::newRow("separator in the time text") << "timeText"
                                                    << "07[1*1]00\n"
                                                    << "07[1*1 ]00 ";
        QTest::newRow("separator in the day flags") << "dayFlags"
                                                    << "[1*1]11"
                                                    << "[1*1 ]11";
        QTest::newRow("separator in the snooze text") << "snoozeMinutes"
                                                      << "[1*1]"
                                                      << "[1*1 ]";
        QTest::newRow("empty snooze becomes 0") << "snoozeMinutes"
                                                << ""
                                                << "0";
        QTest::newRow("playlist item with the field separator is dropped")
            << "playlist"
            << "/a.mp3[2*2]/b[1*1]c.mp3[2*2]/d.mp3[2*2]"
            << "/a.mp3[2*2]/d.mp3[2*2]";
        QTest::newRow("playlist items with line breaks are dropped")
            << "playlist"
            << "/x\ny.mp3[2*2]/z.mp3[2*2]/w\r.mp3"
            << "/z.mp3[2*2]";
        QTest::newRow("last item without its separator stays") << "playlist"
                                                               << "/a.mp3"
                                                               << "/a.mp3";
        QTest::newRow("a playlist of one bad item is empty") << "playlist"
                                                             << "[1*1]"
                                                             << "";
        QTest::newRow("brackets and asterisks in paths stay") << "playlist"
                                                              << "/m/[1*2] *x*.mp3[2*2]"
                                                              << "/m/[1*2] *x*.mp3[2*2]";
    }

    // The repair gives what the file reads back, and repairing again changes nothing.
    void storable()
    {
        QFETCH(QString, field);
        QFETCH(QString, given);
        QFETCH(QString, stored);
        AlarmRecord in = record(AlarmFrequency::Daily, "07:00:00", QDate(2026, 12, 24));
        in.snoozeMinutes = "15";
        AlarmRecord out = in;
        textField(in, field) = given;
        textField(out, field) = stored;
        QCOMPARE(textField(storableAlarm(in), field), stored);
        QVERIFY(storableAlarm(in) == out);
        QVERIFY(storableAlarm(out) == out);
        out.inUse = true;
        QVERIFY(parseAlarmLine(formatAlarmLine(in, kUs), kUs, 2026) == out);
    }

    void storableDate_data()
    {
        QTest::addColumn<QDate>("given");
        QTest::addColumn<QDate>("stored");
        QTest::newRow("no date is day zero") << QDate() << QDate(1899, 12, 30);
        QTest::newRow("a five-digit year is day zero") << QDate(10000, 1, 1) << QDate(1899, 12, 30);
        QTest::newRow("year 1 stays") << QDate(1, 1, 1) << QDate(1, 1, 1);
        QTest::newRow("year 9999 stays") << QDate(9999, 12, 31) << QDate(9999, 12, 31);
    }

    void storableDate()
    {
        QFETCH(QDate, given);
        QFETCH(QDate, stored);
        const AlarmRecord r = record(AlarmFrequency::FixedDate, "07:00:00", given);
        QCOMPARE(storableAlarm(r).alarmDate, stored);
        QCOMPARE(parseAlarmLine(formatAlarmLine(r, kGerman), kGerman, 2026)->alarmDate, stored);
    }

    void textTheEncodingCannotHoldReadsBackAsWritten()
    {
        AlarmRecord r = record(AlarmFrequency::Daily, "07:00:00", QDate(2026, 12, 24));
        r.message = QString(QChar(0xD800)) + "x"; // half of a surrogate pair
        const AlarmRecord stored = storableAlarm(r);
        QVERIFY(stored.message != r.message);
        QVERIFY(storableAlarm(stored) == stored);
        const std::optional<AlarmRecord> readBack =
            parseAlarmLine(formatAlarmLine(r, kUs), kUs, 2026);
        QVERIFY(readBack);
        QCOMPARE(readBack->message, stored.message);
    }

    void listRowTexts_data()
    {
        QTest::addColumn<AlarmRecord>("alarm");
        QTest::addColumn<QStringList>("texts");

        const QDate christmasEve(2026, 12, 24);
        QTest::newRow("Fixed Date")
            << record(AlarmFrequency::FixedDate, "07:30:00 AM", christmasEve)
            << QStringList{"Wake up", "Fixed Date", "07:30:00 AM", "12/24/2026"};
        QTest::newRow("Hourly 07:05:30 shows mm:ss")
            << record(AlarmFrequency::Hourly, "07:05:30", christmasEve)
            << QStringList{"Wake up", "Hourly", "05:30", "--"};
        QTest::newRow("Hourly in 12-hour form")
            << record(AlarmFrequency::Hourly, "07:05:30 PM", christmasEve)
            << QStringList{"Wake up", "Hourly", "05:30", "--"};
        QTest::newRow("Hourly with a short time text")
            << record(AlarmFrequency::Hourly, "07:0", christmasEve)
            << QStringList{"Wake up", "Hourly", "0", "--"};
        QTest::newRow("Daily") << record(AlarmFrequency::Daily, "19:30:00", christmasEve)
                               << QStringList{"Wake up", "Daily", "19:30:00", "--"};
        QTest::newRow("Weekly") << record(AlarmFrequency::Weekly, "19:30:00", christmasEve)
                                << QStringList{"Wake up", "Weekly", "19:30:00", "--"};
        QTest::newRow("Monthly on the 3rd")
            << record(AlarmFrequency::Monthly, "08:00:00", QDate(2026, 5, 3))
            << QStringList{"Wake up", "Monthly", "08:00:00", "03"};
        QTest::newRow("Yearly on 24 December")
            << record(AlarmFrequency::Yearly, "08:00:00", christmasEve)
            << QStringList{"Wake up", "Yearly", "08:00:00", "12.24"};
        QTest::newRow("20 characters show 9")
            << record(AlarmFrequency::Daily, "08:00:00", christmasEve, "Take the medicine now")
            << QStringList{"Take the ", "Daily", "08:00:00", "--"};
        QTest::newRow("short message whole")
            << record(AlarmFrequency::Daily, "08:00:00", christmasEve, "Go")
            << QStringList{"Go", "Daily", "08:00:00", "--"};
        QTest::newRow("a character beyond the BMP is not cut")
            << record(AlarmFrequency::Daily, "08:00:00", christmasEve, "12345678😀9")
            << QStringList{"12345678😀", "Daily", "08:00:00", "--"};
        QTest::newRow("unknown frequency")
            << record(9, "08:00:00", christmasEve) << QStringList{"Wake up", "", "08:00:00", "--"};
    }

    void listRowTexts()
    {
        QFETCH(AlarmRecord, alarm);
        QFETCH(QStringList, texts);
        QCOMPARE(::listRowTexts(alarm, kUs), texts);
    }

    void columnWidths_data()
    {
        QTest::addColumn<double>("listWidth");
        QTest::addColumn<QList<double>>("widths");
        QTest::newRow("4000 twips") << 4000.0 << QList<double>{1000, 900, 850, 800};
        QTest::newRow("6000 twips") << 6000.0 << QList<double>{1500, 1400, 1350, 1300};
        QTest::newRow("not a multiple of 4")
            << 4002.0 << QList<double>{1000.5, 900.5, 850.5, 800.5};
    }

    void columnWidths()
    {
        QFETCH(double, listWidth);
        QFETCH(QList<double>, widths);
        const std::array<double, 4> got = alarmColumnWidths(listWidth);
        QCOMPARE(QList<double>(got.begin(), got.end()), widths);
    }
};

QTEST_GUILESS_MAIN(TestAlarmRecord)
#include "tst_alarmrecord.moc"
