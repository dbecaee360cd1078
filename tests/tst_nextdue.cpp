#include "app/nextdue.h"

#include <QTest>

#include <ctime>

Q_DECLARE_METATYPE(AlarmRecord)

namespace {

using namespace AlarmFrequency;

AlarmRecord alarm(qint16 frequency, const QString &time, QDate date = QDate(2026, 1, 31),
                  const QString &dayFlags = QStringLiteral("0100010"))
{
    AlarmRecord r;
    r.frequency = frequency;
    r.timeText = time;
    r.alarmDate = date;
    r.dayFlags = dayFlags;
    r.snoozeMinutes = QStringLiteral("0");
    r.inUse = true;
    return r;
}

// A record that comes due only through its snooze.
AlarmRecord snoozed(const QString &minutes)
{
    AlarmRecord r = alarm(9, QStringLiteral("07:00:00"));
    r.snoozed = true;
    r.snoozeMinutes = minutes;
    return r;
}

AlarmRecord rang(AlarmRecord r, const QDateTime &localFields)
{
    r.scheduleRang = localFields;
    return r;
}

} // namespace

class TestNextDue final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void earliest_data();
    void earliest();
};

void TestNextDue::earliest_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QList<AlarmRecord>>("records");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("snnhin");
    QTest::addColumn<bool>("ringing");
    QTest::addColumn<QString>("due"); // UTC, or empty for never

    const QByteArray berlin = "Europe/Berlin", newYork = "America/New_York",
                     sydney = "Australia/Sydney";
    const auto row = [](const char *name, const QByteArray &zone, const QList<AlarmRecord> &records,
                        const char *after, const char *due, int snnhin = 0, bool ringing = false) {
        QTest::newRow(name) << zone << records << QString::fromLatin1(after) << snnhin << ringing
                            << QString::fromLatin1(due);
    };
    const QDate dec7(2026, 12, 7);
    row("fixed date later today", berlin, {alarm(FixedDate, "07:30:00", dec7)},
        "2026-12-07T07:00:00+01:00", "2026-12-07T06:30:00Z");
    row("fixed date at this second: passed, never", berlin, {alarm(FixedDate, "07:30:00", dec7)},
        "2026-12-07T07:30:00+01:00", "");
    row("hourly: next hour once its minute passed", berlin, {alarm(Hourly, "03:15:00")},
        "2026-12-07T07:20:00+01:00", "2026-12-07T07:15:00Z");
    row("daily: tomorrow once today's time passed", berlin, {alarm(Daily, "07:30:00 AM")},
        "2026-12-07T07:30:00+01:00", "2026-12-08T06:30:00Z");
    row("weekly Mon and Fri, after Monday's", berlin, {alarm(Weekly, "07:30:00")},
        "2026-12-07T08:00:00+01:00", "2026-12-11T06:30:00Z");
    row("weekly with no day: never", berlin, {alarm(Weekly, "07:30:00", dec7, "0000000")},
        "2026-12-07T08:00:00+01:00", "");
    row("monthly 31st: past February to March, summer time", berlin, {alarm(Monthly, "07:30:00")},
        "2026-01-31T08:00:00+01:00", "2026-03-31T05:30:00Z");
    row("monthly 31st: past April to May", berlin, {alarm(Monthly, "07:30:00")},
        "2026-04-01T00:00:00+02:00", "2026-05-31T05:30:00Z");
    row("yearly 29 February: the next leap year", berlin,
        {alarm(Yearly, "07:30:00", QDate(2024, 2, 29))}, "2026-03-01T00:00:00+01:00",
        "2028-02-29T06:30:00Z");
    row("Berlin spring: skipped 02:30 is due at the jump", berlin, {alarm(Daily, "02:30:00")},
        "2026-03-29T01:00:00+01:00", "2026-03-29T01:00:00Z");
    row("Berlin autumn: the first 02:30", berlin, {alarm(Daily, "02:30:00")},
        "2026-10-25T01:00:00+02:00", "2026-10-25T00:30:00Z");
    row("Berlin autumn: rang at the first 02:30, not at the second", berlin,
        {rang(alarm(Daily, "02:30:00"), QDateTime(QDate(2026, 10, 25), QTime(2, 30), Qt::UTC))},
        "2026-10-25T02:10:00+01:00", "2026-10-26T01:30:00Z");
    row("New York spring: skipped 02:15 at the jump", newYork, {alarm(Daily, "02:15:00")},
        "2026-03-08T00:00:00-05:00", "2026-03-08T07:00:00Z");
    row("New York autumn: the first 01:30", newYork, {alarm(Daily, "01:30:00")},
        "2026-11-01T00:00:00-04:00", "2026-11-01T05:30:00Z");
    row("Sydney October: skipped 02:30 at the jump", sydney, {alarm(Daily, "02:30:00")},
        "2026-10-04T00:00:00+10:00", "2026-10-03T16:00:00Z");
    row("Sydney April: the first 02:30", sydney, {alarm(Daily, "02:30:00")},
        "2026-04-05T00:00:00+11:00", "2026-04-04T15:30:00Z");
    row("snoozed at minute 50 for 15: minute 5 of the next hour", berlin, {snoozed("15")},
        "2026-12-07T07:52:10+01:00", "2026-12-07T07:05:00Z", 50);
    row("snooze run out: the next second", berlin, {snoozed("0")}, "2026-12-07T07:31:00+01:00",
        "2026-12-07T06:31:01Z", 30);
    row("snooze of 60: never", berlin, {snoozed("60")}, "2026-12-07T07:31:00+01:00", "", 30);
    row("snooze waits for the alarm in progress", berlin, {snoozed("0")},
        "2026-12-07T07:31:00+01:00", "", 30, true);
    row("unreadable time, not snoozed: never", berlin, {alarm(Daily, "25:00:00")},
        "2026-12-07T07:31:00+01:00", "");
    AlarmRecord unused = alarm(Daily, "08:00:00");
    unused.inUse = false;
    row("the earliest in use wins", berlin,
        {alarm(Daily, "09:00:00"), unused, alarm(Hourly, "00:45:00")}, "2026-12-07T07:50:00+01:00",
        "2026-12-07T07:45:00Z");
    QList<AlarmRecord> full;
    for (int k = kMaxAlarms; k > 0; --k)
        full << alarm(Daily, QTime(8, 0).addSecs(k).toString(u"hh:mm:ss"));
    row("300 alarms: the last slot is the earliest", berlin, full, "2026-12-07T09:00:00+01:00",
        "2026-12-08T07:00:01Z");
}

void TestNextDue::earliest()
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
    const DueContext context{QDateTime::fromString(after, Qt::ISODate), snnhin, ringing,
                             QLocale(QLocale::English, QLocale::UnitedStates)};
    const std::optional<QDateTime> due = nextWakeUp(alarms, context);
    QTEST(due ? due->toString(Qt::ISODate) : QString(), "due");
    if (records.size() == 1)
        QCOMPARE(nextDue(records[0], context), due);
}

QTEST_GUILESS_MAIN(TestNextDue)
#include "tst_nextdue.moc"
