#include "alarmengine/nextdue.h"
#include "alarmengine/schedule.h"

#include <QTest>

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
    return r;
}

AlarmRecord daily(const QString &timeText)
{
    return alarm(AlarmFrequency::Daily, timeText);
}

QDateTime localTime(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace

class TestAlarmScan final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void schedule_data()
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
        row("weekly Monday is day 2", alarm(Weekly, "06:00:00"), "2026-12-07 06:00:00", true);
        row("weekly Sunday is day 1", alarm(Weekly, "06:00:00"), "2026-12-06 06:00:00", false);
        row("monthly 31st in March", alarm(Monthly, "08:00:00"), "2026-03-31 08:00:00", true);
        row("monthly 31st not on 30 April", alarm(Monthly, "08:00:00"), "2026-04-30 08:00:00",
            false);
        const AlarmRecord leapDay = alarm(Yearly, "08:00:00", QDate(2024, 2, 29));
        row("yearly 29 Feb in a leap year", leapDay, "2028-02-29 08:00:00", true);
        row("yearly 29 Feb not on 28 Feb", leapDay, "2027-02-28 08:00:00", false);
        row("yearly 29 Feb not on 1 March", leapDay, "2027-03-01 08:00:00", false);
        const AlarmRecord fixedDay = alarm(FixedDate, "07:30:00", QDate(2026, 12, 6));
        row("fixed date on its day", fixedDay, "2026-12-06 07:30:00", true);
        row("fixed date once passed", fixedDay, "2026-12-07 07:30:00", false);
        row("fixed date a year on", fixedDay, "2027-12-06 07:30:00", false);
        row("12:15 AM is after midnight", daily("12:15:00 AM"), "2026-12-07 00:15:00", true);
        row("12:15 PM is after noon", daily("12:15:00 PM"), "2026-12-07 12:15:00", true);
        row("one-digit hour, lower-case pm", daily("7:30:00 pm"), "2026-12-07 19:30:00", true);
        row("the locale's PM text", daily("07:30:00 " + kKorean.pmText()), "2026-12-07 19:30:00",
            true, kKorean);
        row("13 PM is unreadable", daily("13:30:00 PM"), "2026-12-07 13:30:00", false);
        row("unreadable time", daily("07.30.00"), "2026-12-07 07:30:00", false);
        row("invalid date", alarm(Monthly, "08:00:00", QDate()), "2026-03-31 08:00:00", false);
        row("day flags too short for Friday", alarm(Weekly, "06:00:00", {}, "01000"),
            "2026-12-11 06:00:00", false);
        row("day flag other than 1", alarm(Weekly, "06:00:00", {}, "0200000"),
            "2026-12-07 06:00:00", false);
        row("frequency 9", alarm(9, "07:30:00"), "2026-12-07 07:30:00", false);
    }

    void schedule()
    {
        QFETCH(AlarmRecord, record);
        QFETCH(QLocale, locale);
        QFETCH(QDateTime, when);
        QFETCH(bool, matches);
        QCOMPARE(scheduleMatches(record, when.date(), when.time(), locale), matches);
    }

    void nextWakeUp_data()
    {
        QTest::addColumn<QList<AlarmRecord>>("records");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("snoozeDue"); // UTC, for slot 1, which is snoozed; empty for none
        QTest::addColumn<QString>("due");       // UTC; empty for never
        QTest::addColumn<int>("slot");          // of the alarm due then
        QTest::addColumn<int>("count");    // the alarms of the table; the records after are not
        QTest::addColumn<QString>("rang"); // the local time slot 1 last rang at; empty for none

        using namespace AlarmFrequency;
        const auto row = [](const char *name, const QList<AlarmRecord> &records, const char *after,
                            const char *due, const char *snoozeDue = "", int slot = 1,
                            int count = -1, const char *rang = "") {
            QTest::newRow(name) << records << QString::fromLatin1(after)
                                << QString::fromLatin1(snoozeDue) << QString::fromLatin1(due)
                                << slot << (count < 0 ? int(records.size()) : count)
                                << QString::fromLatin1(rang);
        };
        const AlarmRecord never = alarm(9, "00:00:00");
        row("fixed date later today", {alarm(FixedDate, "07:30:00")}, "2026-01-31T07:00:00+01:00",
            "2026-01-31T06:30:00Z");
        row("fixed date at this second: passed", {alarm(FixedDate, "07:30:00")},
            "2026-01-31T07:30:00+01:00", "");
        row("hourly, its minute passed", {alarm(Hourly, "03:15:00")}, "2026-12-07T07:20:00+01:00",
            "2026-12-07T07:15:00Z");
        row("daily, today's time passed", {daily("07:30:00 AM")}, "2026-12-07T07:30:00+01:00",
            "2026-12-08T06:30:00Z");
        row("weekly Monday only, after Monday's: next week",
            {alarm(Weekly, "07:30:00", {}, "0100000")}, "2026-12-07T08:00:00+01:00",
            "2026-12-14T06:30:00Z");
        row("weekly with no day", {alarm(Weekly, "07:30:00", {}, "0000000")},
            "2026-12-07T08:00:00+01:00", "");
        row("monthly 31st past February", {alarm(Monthly, "07:30:00")}, "2026-01-31T08:00:00+01:00",
            "2026-03-31T05:30:00Z");
        row("yearly 29 February", {alarm(Yearly, "07:30:00", QDate(2024, 2, 29))},
            "2026-03-01T00:00:00+01:00", "2028-02-29T06:30:00Z");
        row("Berlin spring: skipped 02:30 at the jump", {daily("02:30:00")},
            "2026-03-29T01:00:00+01:00", "2026-03-29T01:00:00Z");
        row("Berlin autumn: the first 02:30", {daily("02:30:00")}, "2026-10-25T01:00:00+02:00",
            "2026-10-25T00:30:00Z");
        row("Berlin autumn: rang at the first 02:30", {daily("02:30:00")},
            "2026-10-25T02:10:00+01:00", "2026-10-26T01:30:00Z", "", 1, 1, "2026-10-25 02:30:00");
        row("a snooze before the schedule", {daily("09:00:00")}, "2026-12-07T07:52:10+01:00",
            "2026-12-07T07:05:00Z", "2026-12-07T07:05:00Z");
        row("a snooze run out is no more due", {never}, "2026-12-07T07:31:00+01:00", "",
            "2026-12-07T06:31:00Z");
        row("the earliest of the table, not of the slots after",
            {daily("09:00:00"), alarm(Hourly, "00:45:00"), daily("08:00:00")},
            "2026-12-07T07:50:00+01:00", "2026-12-07T07:45:00Z", "", 2, 2);
        row("a snooze and a schedule at one moment: the lower slot", {never, daily("08:05:00")},
            "2026-12-07T07:52:10+01:00", "2026-12-07T07:05:00Z", "2026-12-07T07:05:00Z", 1);
    }

    void nextWakeUp()
    {
        QFETCH(QList<AlarmRecord>, records);
        QFETCH(QString, after);
        QFETCH(QString, snoozeDue);
        QFETCH(int, count);
        QFETCH(QString, rang);

        AlarmSlots alarms;
        for (qsizetype i = 0; i < records.size(); ++i)
            alarms[i + 1] = records[i];
        AlarmMarksTable marks{};
        if (!snoozeDue.isEmpty())
            marks[1].snoozeUntil = QDateTime::fromString(snoozeDue, Qt::ISODate).toSecsSinceEpoch();
        if (!rang.isEmpty()) {
            const QDateTime local = localTime(rang.toLatin1().constData());
            marks[1].markHandled(localSecondOf(local.date(), local.time()));
        }
        const QDateTime from =
            QDateTime::fromString(after, Qt::ISODate).toTimeZone(QTimeZone("Europe/Berlin"));
        const std::optional<NextDue> due = ::nextWakeUp(alarms, count, marks, from, kGerman);
        QTEST(due ? due->at.toString(Qt::ISODate) : QString(), "due");
        if (due)
            QTEST(due->slot, "slot");
    }
};

QTEST_GUILESS_MAIN(TestAlarmScan)
#include "tst_alarmscan.moc"
