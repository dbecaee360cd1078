#include "app/alarmscan.h"
#include "app/nextdue.h"

#include <QTest>

#include <ctime>

Q_DECLARE_METATYPE(AlarmRecord)

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany); // weeks start on Monday
const QLocale kKorean(QLocale::Korean, QLocale::SouthKorea);

AlarmRecord alarm(qint16 frequency, const QString &timeText, QDate date = QDate(2026, 1, 31),
                  const QString &dayFlags = QStringLiteral("0100010"))
{
    AlarmRecord r;
    r.frequency = frequency;
    r.timeText = timeText;
    r.alarmDate = date;
    r.dayFlags = dayFlags;
    r.snoozeMinutes = QStringLiteral("0");
    r.inUse = true;
    return r;
}

AlarmRecord daily(const QString &timeText)
{
    return alarm(AlarmFrequency::Daily, timeText);
}

// A record that rings only through its snooze.
AlarmRecord snoozed(const QString &snoozeMinutes)
{
    AlarmRecord r = alarm(9, QStringLiteral("00:00:00"));
    r.snoozed = true;
    r.snoozeMinutes = snoozeMinutes;
    return r;
}

QDateTime localTime(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

class TestAlarmScan final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void schedule_data();
    void schedule();
    void ticks_data();
    void ticks();
    void nextWakeUp_data();
    void nextWakeUp();
    // A zone set by a row goes with it.
    void cleanup()
    {
        if (m_zoneSet)
            qputenv("TZ", m_zone);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    const bool m_zoneSet = qEnvironmentVariableIsSet("TZ");
    const QByteArray m_zone = qgetenv("TZ");
};

void TestAlarmScan::schedule_data()
{
    QTest::addColumn<AlarmRecord>("record");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<bool>("matches");

    const auto row = [](const char *what, const AlarmRecord &r, const char *when, bool matches,
                        const QLocale &locale = kGerman) {
        QTest::newRow(what) << r << locale << localTime(when) << matches;
    };
    using namespace AlarmFrequency;
    row("daily at its second", daily("07:30:00"), "2026-12-07 07:30:00", true);
    row("daily, one second late", daily("07:30:00"), "2026-12-07 07:30:01", false);
    row("hourly in another hour", alarm(Hourly, "07:30:00"), "2026-12-07 15:30:00", true);
    row("hourly, other second", alarm(Hourly, "07:30:00"), "2026-12-07 15:30:01", false);
    row("weekly Monday is day 2", alarm(Weekly, "06:00:00"), "2026-12-07 06:00:00", true);
    row("weekly Friday is day 6", alarm(Weekly, "06:00:00"), "2026-12-11 06:00:00", true);
    row("weekly Sunday is day 1", alarm(Weekly, "06:00:00"), "2026-12-06 06:00:00", false);
    row("monthly 31st in March", alarm(Monthly, "08:00:00"), "2026-03-31 08:00:00", true);
    row("monthly 31st not on 30 April", alarm(Monthly, "08:00:00"), "2026-04-30 08:00:00", false);
    const AlarmRecord leapDay = alarm(Yearly, "08:00:00", QDate(2024, 2, 29));
    row("yearly 29 Feb in a leap year", leapDay, "2028-02-29 08:00:00", true);
    row("yearly 29 Feb not on 28 Feb", leapDay, "2027-02-28 08:00:00", false);
    row("yearly 29 Feb not on 29 March", leapDay, "2028-03-29 08:00:00", false);
    row("yearly 29 Feb not on 1 March", leapDay, "2027-03-01 08:00:00", false);
    const AlarmRecord fixedDay = alarm(FixedDate, "07:30:00", QDate(2026, 12, 6));
    row("fixed date on its day", fixedDay, "2026-12-06 07:30:00", true);
    row("fixed date once passed", fixedDay, "2026-12-07 07:30:00", false);
    row("fixed date a year on", fixedDay, "2027-12-06 07:30:00", false);
    row("12:15 AM is after midnight", daily("12:15:00 AM"), "2026-12-07 00:15:00", true);
    row("12:15 PM is after noon", daily("12:15:00 PM"), "2026-12-07 12:15:00", true);
    row("one-digit hour, lower-case pm", daily("7:30:00 pm"), "2026-12-07 19:30:00", true);
    row("the locale's PM text", daily("07:30:00 " + kKorean.pmText()), "2026-12-07 19:30:00", true,
        kKorean);
    row("13 PM is unreadable", daily("13:30:00 PM"), "2026-12-07 13:30:00", false);
    row("unknown designator", daily("07:30:00 XM"), "2026-12-07 07:30:00", false);
    row("unreadable time", daily("07.30.00"), "2026-12-07 07:30:00", false);
    row("no seconds", daily("07:30"), "2026-12-07 07:30:00", false);
    row("invalid date", alarm(Monthly, "08:00:00", QDate()), "2026-03-31 08:00:00", false);
    row("day flags too short for Friday", alarm(Weekly, "06:00:00", {}, "01000"),
        "2026-12-11 06:00:00", false);
    row("day flag other than 1", alarm(Weekly, "06:00:00", {}, "0200000"), "2026-12-07 06:00:00",
        false);
    row("frequency 9", alarm(9, "07:30:00"), "2026-12-07 07:30:00", false);
}

void TestAlarmScan::schedule()
{
    QFETCH(AlarmRecord, record);
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, when);
    QFETCH(bool, matches);
    QCOMPARE(scheduleMatches(record, when.date(), when.time(), locale), matches);
}

// Each tick is the clock's reading in Berlin, local time with its offset, on
// 7 December 2026 unless dated; an event is the tick's time and offset with
// what it started. The user answers every alarm
// right after its tick, so nothing but the tick itself holds a later one back.
void TestAlarmScan::ticks_data()
{
    QTest::addColumn<QList<AlarmRecord>>("records");
    QTest::addColumn<int>("snnhin");
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("two alarms in one second: the lower slot only")
        << QList{daily("07:30:00"), daily("07:30:00")} << 0 << QStringList{"07:30:00+01:00"}
        << QStringList{"07:30:00+01:00 slot 1"};
    QTest::newRow("snoozed at :50 for 15 minutes rings at :05")
        << QList{snoozed("15")} << 50
        << QStringList{"10:51:00+01:00", "11:04:59+01:00", "11:05:00+01:00", "11:05:01+01:00"}
        << QStringList{"11:04:59+01:00 hour", "11:05:00+01:00 slot 1"};
    QTest::newRow("snooze 60 never runs out")
        << QList{snoozed("60")} << 50 << QStringList{"10:51:00+01:00", "11:49:59+01:00"}
        << QStringList{};
    QTest::newRow("a snoozed alarm waits for the alarm in progress")
        << QList{daily("10:51:00"), snoozed("0")} << 50
        << QStringList{"10:51:00+01:00", "10:51:01+01:00"}
        << QStringList{"10:51:00+01:00 slot 1", "10:51:01+01:00 slot 2"};
    QTest::newRow("3 s late: the oldest due second wins")
        << QList{daily("07:30:01"), daily("07:30:00")} << 0
        << QStringList{"07:29:58+01:00", "07:30:01+01:00"} << QStringList{"07:30:01+01:00 slot 2"};
    QTest::newRow("11 min late: 11 min old stays silent, 9 min old rings")
        << QList{daily("07:30:00"), daily("07:32:00")} << 0
        << QStringList{"07:29:00+01:00", "07:41:00+01:00"} << QStringList{"07:41:00+01:00 slot 2"};
    QTest::newRow("clock set 2 h forward; the first tick looks back at nothing")
        << QList{daily("06:05:00"), daily("07:30:00"), daily("08:05:00")} << 0
        << QStringList{"06:10:00+01:00", "06:10:01+01:00", "08:10:01+01:00"}
        << QStringList{"08:10:01+01:00 slot 3"};
    QTest::newRow("clock set 1 min back across the due second")
        << QList{daily("07:30:00")} << 0
        << QStringList{"07:29:59+01:00", "07:30:00+01:00", "07:30:30+01:00", "07:29:30+01:00",
                       "07:29:59+01:00", "07:30:00+01:00", "07:30:01+01:00"}
        << QStringList{"07:30:00+01:00 slot 1"};
    QTest::newRow("clock set 1 h back: an hourly alarm rings no time twice")
        << QList{alarm(AlarmFrequency::Hourly, "00:30:00")} << 0
        << QStringList{"06:29:59+01:00", "06:30:00+01:00", "07:30:00+01:00", "06:29:59+01:00",
                       "06:30:00+01:00"}
        << QStringList{"06:30:00+01:00 slot 1", "07:30:00+01:00 slot 1"};
    QTest::newRow("clock a year ahead, then put right: the alarm rings again")
        << QList{daily("07:30:00")} << 0
        << QStringList{"2027-12-07T07:30:00+01:00", "07:29:59+01:00", "07:30:00+01:00"}
        << QStringList{"07:30:00+01:00 slot 1", "07:30:00+01:00 slot 1"};
    QTest::newRow("Berlin spring forward: the skipped 02:30 and 02:00 come at the jump")
        << QList{daily("02:30:00")} << 0
        << QStringList{"2026-03-29T01:59:59+01:00", "2026-03-29T03:00:00+02:00"}
        << QStringList{"03:00:00+02:00 hour", "03:00:00+02:00 slot 1"};
    QTest::newRow("Berlin fall back: the repeated hour rings and chimes nothing")
        << QList{daily("02:30:00")} << 0
        << QStringList{"2026-10-25T01:59:59+02:00", "2026-10-25T02:00:00+02:00",
                       "2026-10-25T02:30:00+02:00", "2026-10-25T02:59:59+02:00",
                       "2026-10-25T02:00:00+01:00", "2026-10-25T02:30:00+01:00",
                       "2026-10-25T02:59:59+01:00", "2026-10-25T03:00:00+01:00"}
        << QStringList{"02:00:00+02:00 hour", "02:30:00+02:00 slot 1", "03:00:00+01:00 hour"};
}

void TestAlarmScan::ticks()
{
    QFETCH(QList<AlarmRecord>, records);
    QFETCH(int, snnhin);
    QFETCH(QStringList, ticks);
    QFETCH(QStringList, events);

    qputenv("TZ", "Europe/Berlin");
    tzset();
    AlarmSlots alarms;
    for (qsizetype i = 0; i < records.size(); ++i)
        alarms[i + 1] = records[i];
    bool alarmwin = false;
    QString tickTime;
    QStringList seen;
    const AlarmScan::Hooks hooks{[&] { return alarmwin; },
                                 [&](int slot) {
                                     alarmwin = true;
                                     alarms[slot].snoozed = false;
                                     seen << tickTime + " slot " + QString::number(slot);
                                 },
                                 [&] {
                                     seen << tickTime + " hour";
                                 }};
    AlarmScan scan(kGerman);
    for (const QString &tick : ticks) {
        tickTime = tick.right(14);
        const QString dated = tick.size() == 14 ? QString(u"2026-12-07T" + tick) : tick;
        scan.tick(QDateTime::fromString(dated, Qt::ISODate), alarms, snnhin, hooks);
        alarmwin = false;
    }
    QCOMPARE(seen, events);
}

void TestAlarmScan::nextWakeUp_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QList<AlarmRecord>>("records");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("snnhin");
    QTest::addColumn<bool>("ringing"); // an alarm in progress
    QTest::addColumn<QString>("due");  // UTC; empty for never

    using namespace AlarmFrequency;
    const QByteArray berlin = "Europe/Berlin", newYork = "America/New_York",
                     sydney = "Australia/Sydney";
    const auto row = [](const char *name, const QByteArray &zone, const QList<AlarmRecord> &records,
                        const char *after, const char *due, int snnhin = 0, bool ringing = false) {
        QTest::newRow(name) << zone << records << QString::fromLatin1(after) << snnhin << ringing
                            << QString::fromLatin1(due);
    };
    AlarmRecord rang = daily("02:30:00"), unused = daily("08:00:00");
    rang.scheduleRang = QDateTime(QDate(2026, 10, 25), QTime(2, 30), Qt::UTC);
    unused.inUse = false;
    QList<AlarmRecord> full;
    for (int k = kMaxAlarms; k > 0; --k)
        full << daily(QTime(8, 0).addSecs(k).toString(u"hh:mm:ss"));
    row("fixed date later today", berlin, {alarm(FixedDate, "07:30:00")},
        "2026-01-31T07:00:00+01:00", "2026-01-31T06:30:00Z");
    row("fixed date at this second: passed", berlin, {alarm(FixedDate, "07:30:00")},
        "2026-01-31T07:30:00+01:00", "");
    row("hourly, its minute passed", berlin, {alarm(Hourly, "03:15:00")},
        "2026-12-07T07:20:00+01:00", "2026-12-07T07:15:00Z");
    row("daily, today's time passed", berlin, {daily("07:30:00 AM")}, "2026-12-07T07:30:00+01:00",
        "2026-12-08T06:30:00Z");
    row("weekly Mon and Fri, after Monday's", berlin, {alarm(Weekly, "07:30:00")},
        "2026-12-07T08:00:00+01:00", "2026-12-11T06:30:00Z");
    row("weekly with no day", berlin, {alarm(Weekly, "07:30:00", {}, "0000000")},
        "2026-12-07T08:00:00+01:00", "");
    row("monthly 31st past February", berlin, {alarm(Monthly, "07:30:00")},
        "2026-01-31T08:00:00+01:00", "2026-03-31T05:30:00Z");
    row("yearly 29 February", berlin, {alarm(Yearly, "07:30:00", QDate(2024, 2, 29))},
        "2026-03-01T00:00:00+01:00", "2028-02-29T06:30:00Z");
    row("Berlin spring: skipped 02:30 at the jump", berlin, {daily("02:30:00")},
        "2026-03-29T01:00:00+01:00", "2026-03-29T01:00:00Z");
    row("Berlin autumn: the first 02:30", berlin, {daily("02:30:00")}, "2026-10-25T01:00:00+02:00",
        "2026-10-25T00:30:00Z");
    row("Berlin autumn: rang at the first 02:30", berlin, {rang}, "2026-10-25T02:10:00+01:00",
        "2026-10-26T01:30:00Z");
    row("New York spring", newYork, {daily("02:15:00")}, "2026-03-08T00:00:00-05:00",
        "2026-03-08T07:00:00Z");
    row("New York autumn", newYork, {daily("01:30:00")}, "2026-11-01T00:00:00-04:00",
        "2026-11-01T05:30:00Z");
    row("Sydney October", sydney, {daily("02:30:00")}, "2026-10-04T00:00:00+10:00",
        "2026-10-03T16:00:00Z");
    row("Sydney April", sydney, {daily("02:30:00")}, "2026-04-05T00:00:00+11:00",
        "2026-04-04T15:30:00Z");
    row("snoozed at 50 for 15", berlin, {snoozed("15")}, "2026-12-07T07:52:10+01:00",
        "2026-12-07T07:05:00Z", 50);
    row("snooze run out", berlin, {snoozed("0")}, "2026-12-07T07:31:00+01:00",
        "2026-12-07T06:31:01Z", 30);
    row("snooze of 60", berlin, {snoozed("60")}, "2026-12-07T07:31:00+01:00", "", 30);
    row("snooze run out, an alarm ringing", berlin, {snoozed("0")}, "2026-12-07T07:31:00+01:00", "",
        30, true);
    row("unreadable time", berlin, {daily("25:00:00")}, "2026-12-07T07:31:00+01:00", "");
    row("the earliest in use", berlin, {daily("09:00:00"), unused, alarm(Hourly, "00:45:00")},
        "2026-12-07T07:50:00+01:00", "2026-12-07T07:45:00Z");
    row("300 alarms, the earliest last", berlin, full, "2026-12-07T09:00:00+01:00",
        "2026-12-08T07:00:01Z");
}

void TestAlarmScan::nextWakeUp()
{
    QFETCH(QByteArray, zone);
    QFETCH(QList<AlarmRecord>, records);
    QFETCH(QString, after);
    QFETCH(int, snnhin);
    QFETCH(bool, ringing);

    qputenv("TZ", zone);
    tzset();
    AlarmSlots alarms;
    for (qsizetype i = 0; i < records.size(); ++i)
        alarms[i + 1] = records[i];
    const DueContext context{QDateTime::fromString(after, Qt::ISODate), snnhin, ringing, kGerman};
    const std::optional<QDateTime> due = ::nextWakeUp(alarms, context);
    QTEST(due ? due->toString(Qt::ISODate) : QString(), "due");
}

QTEST_GUILESS_MAIN(TestAlarmScan)
#include "tst_alarmscan.moc"
