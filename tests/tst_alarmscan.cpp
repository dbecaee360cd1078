#include "alarmengine/alarmqueue.h"
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

AlarmRecord daily(const QString &timeText, const QString &message = {},
                  const QString &snoozeMinutes = QStringLiteral("0"), qint16 sleep = 0)
{
    AlarmRecord r = alarm(AlarmFrequency::Daily, timeText);
    r.message = message;
    r.snoozeMinutes = snoozeMinutes;
    r.sleepFlag = sleep;
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

    // A night of the program, step by step: each tick is the clock's reading in
    // the row's time zone (on 7 December 2026 unless dated; with an offset where
    // the hour repeats), then the user's answers ("ok", "snooze", "close" by the
    // close box), "delete N" in the list, or "zone NAME" for a new time zone. An
    // event is the tick it came at with what happened: an alarm rings (and turns
    // the computer off), one was missed, a full hour came.
    void queue_data()
    {
        QTest::addColumn<QList<AlarmRecord>>("records");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("events");

        const auto row = [](const char *name, const QList<AlarmRecord> &records,
                            const QStringList &steps, const QStringList &events) {
            QTest::newRow(name) << records << steps << events;
        };
        row("two in one second and a third 20 s on ring in turn",
            {daily("07:30:00", "A"), daily("07:30:00", "B"), daily("07:30:20", "C")},
            {"07:30:00", "07:30:20", "ok", "07:30:30", "ok", "ok"},
            {"07:30:00 ring A", "07:30:20 ring B", "07:30:30 ring C"});
        row("a waiting alarm deleted before its turn",
            {daily("07:30:00", "A"), daily("07:30:00", "B"), daily("07:30:00", "C")},
            {"07:30:00", "delete 2", "close", "ok"}, {"07:30:00 ring A", "07:30:00 ring C"});
        row("3 s late: the oldest due second first",
            {daily("07:30:01", "A"), daily("07:30:00", "B")}, {"07:29:58", "07:30:01", "ok"},
            {"07:30:01 ring B", "07:30:01 ring A"});
        row("each snooze on its own minute",
            {daily("08:00:00", "A", "10"), daily("08:05:00", "B", "10")},
            {"08:00:00", "08:00:10", "snooze", "08:05:00", "08:05:30", "snooze", "08:09:59",
             "08:10:00", "ok", "08:14:59", "08:15:00"},
            {"08:00:00 ring A", "08:00:00 hour", "08:05:00 ring B", "08:10:00 ring A",
             "08:15:00 ring B"});
        row("snooze, then the clock 10 s back across a minute", {daily("08:10:00", "A", "5")},
            {"08:10:00", "08:10:02", "snooze", "08:09:52", "08:14:59", "08:15:00"},
            {"08:10:00 ring A", "08:15:00 ring A"});
        row("clock 20 min forward: 15 min old missed, 5 min old rings",
            {daily("07:05:00", "A"), daily("07:15:00", "B")}, {"07:00:01", "07:20:00"},
            {"07:20:00 ring B", "07:20:00 missed A 07:05:00"});
        row("clock 1 min back across the due second", {daily("07:30:00", "A")},
            {"07:29:59", "07:30:00", "ok", "07:30:30", "07:29:30", "07:29:59", "07:30:00",
             "07:30:01"},
            {"07:30:00 ring A"});
        row("clock a year ahead, then put right: it rings again", {daily("07:30:00", "A")},
            {"2027-12-07T07:30:00", "ok", "07:29:59", "07:30:00"},
            {"2027-12-07T07:30:00 ring A", "07:30:00 ring A"});
        row("sleep alarm 5 s late turns the computer off", {daily("07:30:00", "S", "5", 1)},
            {"07:29:58", "07:30:05"}, {"07:30:05 ring S off"});
        row("sleep alarm 9 min late does not", {daily("07:30:00", "S", "5", 1)},
            {"07:29:58", "07:39:00"}, {"07:39:00 ring S"});
        row("Berlin spring forward: 02:30 at the jump, then 03:00",
            {daily("02:30:00", "A"), daily("03:00:00", "B")},
            {"2026-03-29T01:59:59", "2026-03-29T03:00:00", "ok"},
            {"2026-03-29T03:00:00 ring A", "2026-03-29T03:00:00 hour",
             "2026-03-29T03:00:00 ring B"});
        row("Berlin fall back: the repeated hour rings and chimes nothing",
            {daily("02:30:00", "A")},
            {"2026-10-25T01:59:59+02:00", "2026-10-25T02:00:00+02:00", "2026-10-25T02:30:00+02:00",
             "ok", "2026-10-25T02:59:59+02:00", "2026-10-25T02:00:00+01:00",
             "2026-10-25T02:30:00+01:00", "2026-10-25T02:59:59+01:00", "2026-10-25T03:00:00+01:00"},
            {"2026-10-25T02:00:00+02:00 hour", "2026-10-25T02:30:00+02:00 ring A",
             "2026-10-25T03:00:00+01:00 hour"});
        row("New York to Berlin: 10:00 passed in the change is missed", {daily("10:00:00", "A")},
            {"zone America/New_York", "08:00:01", "zone Europe/Berlin", "14:00:02"},
            {"14:00:02 missed A 10:00:00", "14:00:02 hour"});
        row("Berlin to New York: nothing passed", {daily("10:00:00", "A")},
            {"09:00:01", "zone America/New_York", "03:00:02"}, {});
    }

    void queue()
    {
        QFETCH(QList<AlarmRecord>, records);
        QFETCH(QStringList, steps);

        AlarmSlots alarms;
        for (qsizetype i = 0; i < records.size(); ++i)
            alarms[i + 1] = records[i];
        int count = int(records.size());
        QTimeZone zone("Europe/Berlin");
        AlarmQueue queue(kGerman);
        QString at;
        QDateTime now;
        QStringList seen;
        int ringing = 0;
        const auto started = [&](const std::optional<AlarmStart> &start) {
            if (!start)
                return;
            ringing = start->slot;
            seen << at + " ring " + alarms[ringing].message +
                        (alarms[ringing].sleepFlag && start->mayPowerOff() ? " off" : "");
        };
        for (const QString &step : steps) {
            if (step.startsWith(u"zone ")) {
                zone = QTimeZone(step.mid(5).toLatin1());
            } else if (step.startsWith(u"delete ")) {
                const int slot = step.mid(7).toInt();
                removeAlarmRecord(alarms, count, slot);
                queue.deleted(slot);
                ringing -= ringing > slot ? 1 : ringing == slot ? ringing : 0;
            } else if (step == u"ok" || step == u"snooze" || step == u"close") {
                if (step == u"snooze" && ringing)
                    queue.snooze(ringing, alarms[ringing], now, now.toMSecsSinceEpoch());
                else if (step == u"ok" && ringing)
                    queue.answered(ringing);
                ringing = 0;
                started(queue.takeNext(now));
            } else {
                at = step;
                const QString dated = step.contains(u'T') ? step : QString(u"2026-12-07T" + step);
                now = QDateTime::fromString(dated, Qt::ISODate);
                now = dated.size() > 19 ? now.toTimeZone(zone)
                                        : QDateTime(now.date(), now.time(), zone);
                const AlarmQueue::TickOutcome outcome = queue.tick(now, alarms, count, ringing);
                if (!ringing)
                    started(queue.takeNext(now));
                for (const MissedAlarm &missed : outcome.missed)
                    seen << at + " missed " + alarms[missed.slot].message + " " +
                                timeOfLocalSecond(missed.localSecond).toString(u"HH:mm:ss");
                if (outcome.fullHour)
                    seen << at + " hour";
            }
        }
        QTEST(seen, "events");
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
        QList<AlarmRecord> full;
        for (int k = kMaxAlarms; k > 0; --k)
            full << daily(QTime(8, 0).addSecs(k).toString(u"hh:mm:ss"));
        const AlarmRecord never = alarm(9, "00:00:00");
        row("fixed date later today", {alarm(FixedDate, "07:30:00")}, "2026-01-31T07:00:00+01:00",
            "2026-01-31T06:30:00Z");
        row("fixed date at this second: passed", {alarm(FixedDate, "07:30:00")},
            "2026-01-31T07:30:00+01:00", "");
        row("hourly, its minute passed", {alarm(Hourly, "03:15:00")}, "2026-12-07T07:20:00+01:00",
            "2026-12-07T07:15:00Z");
        row("daily, today's time passed", {daily("07:30:00 AM")}, "2026-12-07T07:30:00+01:00",
            "2026-12-08T06:30:00Z");
        row("weekly Mon and Fri, after Monday's", {alarm(Weekly, "07:30:00")},
            "2026-12-07T08:00:00+01:00", "2026-12-11T06:30:00Z");
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
        row("300 alarms, the earliest last", full, "2026-12-07T09:00:00+01:00",
            "2026-12-08T07:00:01Z", "", kMaxAlarms);
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
