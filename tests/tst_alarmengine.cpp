// The alarm engine's ringing logic with a fake clock, a scripted sound and a recording window.

#include "alarmengine/alarmengine.h"
#include "alarmengine/alarmsound.h"
#include "alarmengine/alarmview.h"
#include "alarms/alarmstore.h"
#include "app/runstate.h"
#include "fakes.h"
#include "playback/soundtable.h"
#include "settings/conffile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

Q_DECLARE_METATYPE(AlarmRecord)

namespace {

// What the engine did, each entry under its kind; a row looks at the kinds it names.
struct Log {
    void add(const QString &kind, const QString &entry)
    {
        if (watched.contains(kind))
            entries << entry;
    }
    QStringList watched;
    QStringList entries;
};

QString shortName(const QString &file)
{
    const QString name = QFileInfo(file).fileName();
    return name.startsWith(u"tockaro-tone") ? QStringLiteral("tone") : name;
}

// Plays nothing: logs what it is asked and reports what the step makes happen.
struct ScriptedSound final : AlarmSound {
    explicit ScriptedSound(Log &log) : m_log(log) {}
    void play(const PlayRequest &request) override
    {
        playing = request;
        loaded = true;
        m_log.add("play",
                  "play " + shortName(request.file) + (request.fadeIn ? " fade" : "") +
                      (request.repeat ? " repeat" : "") +
                      (request.volume ? QStringLiteral(" at %1").arg(request.volume) : QString()));
    }
    void ready(const PlayRequest &request) override
    {
        if (readied == request)
            return;
        readied = request;
        m_log.add("ready", "ready " + shortName(request.file));
    }
    void dropReadied() override { readied = {}; }
    void fadeOut() override { m_log.add("fade", QStringLiteral("fade out")); }
    void stop() override
    {
        if (loaded)
            m_log.add("stop", QStringLiteral("stop"));
        close();
    }
    bool isPlaying() const override { return loaded; }

    void close()
    {
        if (!std::exchange(loaded, false))
            return;
        Q_EMIT closed();
    }
    void fail()
    {
        Q_EMIT failed(playing.file);
        close();
    }
    void fadedToSilence()
    {
        close();
        Q_EMIT fadedOut();
    }

    Log &m_log;
    PlayRequest playing, readied;
    bool loaded = false;
};

// Closed, it tells the engine from the event loop, as the real window does.
struct RecordingView final : AlarmView {
    explicit RecordingView(Log &log) : m_log(log) {}
    void showAlarm(const ShownAlarm &alarm) override
    {
        shown = true;
        const QString note = alarm.note.isEmpty()            ? QString()
                             : alarm.note.contains(u"a try") ? QStringLiteral(": try")
                                                             : QStringLiteral(": late");
        m_log.add("ring", "ring " + alarm.message + note);
    }
    void closeAlarm() override
    {
        if (!std::exchange(shown, false))
            return;
        m_log.add("close", QStringLiteral("close"));
        QMetaObject::invokeMethod(engine, &AlarmEngine::viewClosed, Qt::QueuedConnection);
    }
    Log &m_log;
    AlarmEngine *engine = nullptr;
    bool shown = false;
};

struct LoggingPowerOff final : PowerOff {
    explicit LoggingPowerOff(Log &log) : m_log(log) {}
    Result powerOff() override
    {
        m_log.add("off", QStringLiteral("off"));
        return error.isEmpty() ? Result::success() : Result::failure(error);
    }
    Log &m_log;
    QString error;
};

// The wake timer's armings, on the clock, and the lock against sleep.
struct LoggingWake final : WakeTimer, SleepInhibitor {
    LoggingWake(Log &log, const FakeClock &clock) : m_log(log), m_clock(clock) {}
    void arm(const QDateTime &at) override
    {
        m_log.add("wake", "wake " + at.toTimeZone(m_clock.at.timeZone()).toString(u"hh:mm"));
    }
    void take() override { m_log.add("awake", QStringLiteral("take")); }
    void release() override { m_log.add("awake", QStringLiteral("release")); }
    Log &m_log;
    const FakeClock &m_clock;
};

struct Table final : AlarmTable {
    const AlarmSlots &alarms() const override { return slots; }
    int alarmCount() const override { return count; }
    AlarmSlots slots;
    int count = 0;
};

AlarmRecord playlist(const QString &message, const char *time, const QString &items)
{
    AlarmRecord r = dailyAlarm(message, time);
    r.playMedia = 1;
    r.playlist = items;
    return r;
}

AlarmRecord withFlags(AlarmRecord r, qint16 sleep, qint16 fadeIn = 0, qint32 fadeOutMinutes = 0)
{
    r.sleepFlag = sleep;
    r.fadeIn = fadeIn;
    r.fadeOut = fadeOutMinutes > 0 ? 1 : 0;
    r.fadeMinutes = fadeOutMinutes;
    return r;
}

} // namespace

class TestAlarmEngine final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The texts the engine makes are read in one locale (Wine does not follow LANG).
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Step by step: a time is a tick (7 December 2026 unless dated, Berlin unless zoned); "ok",
    // "snooze", "close" answer; "end", "fail", "faded" come from the sound. The log holds the
    // kinds the row watches, in order.
    void morning_data()
    {
        QTest::addColumn<QList<AlarmRecord>>("records");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("watched");
        QTest::addColumn<QStringList>("log");
        const auto row = [](const char *name, const QList<AlarmRecord> &records,
                            const QStringList &steps, const QStringList &watched,
                            const QStringList &log) {
            QTest::newRow(name) << records << steps << watched << log;
        };
        const QStringList sound{"ring", "play", "notice", "off", "close", "stop", "fade"};

        row("a playlist item by item, faded in, from its first again after its last; the computer "
            "turned off",
            {withFlags(playlist("List", "07:00:00", "a.mp3[2*2]b.avi[2*2]c.mp3[2*2]"), 1, 1)},
            {"07:00:00", "end", "end", "end", "07:00:30", "ok"}, sound,
            {"ring List", "off", "play a.mp3 fade", "play b.avi fade", "play c.mp3 fade",
             "play a.mp3 fade", "close", "stop"});
        row("a built-in sound repeats, and comes back after another sound took the player",
            {dailyAlarm("Moo", "07:00:00")}, {"07:00:00", "end", "ok"}, sound,
            {"ring Moo", "play Moo.wav repeat", "play Moo.wav repeat", "close", "stop"});
        row("a list none of whose items plays rings the built-in sound",
            {playlist("List", "07:00:00", "x.mp3[2*2]y.ogg[2*2]")}, {"07:00:00", "fail", "fail"},
            sound, {"ring List", "play x.mp3", "play y.ogg", "play Moo.wav repeat"});
        row("an empty list rings the built-in sound", {playlist("List", "07:00:00", "")},
            {"07:00:00"}, sound, {"ring List", "play Moo.wav repeat"});
        row("a missing built-in sound and a failing one: the next, each told once",
            {dailyAlarm("Moo", "07:00:00")}, {"missing Moo.wav", "07:00:00", "fail", "end"}, sound,
            {"ring Moo", "damaged Moo.wav", "play musical.wav repeat", "damaged musical.wav",
             "play Ricochet.wav repeat", "play Ricochet.wav repeat"});
        row("all ten missing: the program's tone; the tone failing falls silent",
            {dailyAlarm("Moo", "07:00:00")}, {"missing all", "07:00:00", "fail", "end"},
            {"ring", "play"}, {"ring Moo", "play tone repeat"});

        row("a late tick rings the oldest first, the rest wait their turn; a sleep alarm turns "
            "off up to a minute late, later it says why not",
            {withFlags(dailyAlarm("First", "07:00:01"), 1),
             withFlags(dailyAlarm("Second", "07:00:10"), 1), dailyAlarm("Early", "07:00:00")},
            {"poweroff fails", "06:59:58", "07:00:05", "ok", "07:00:10", "07:02:00", "ok", "ok"},
            {"ring", "off", "close", "problem"},
            {"ring Early", "close", "ring First", "off", "off failed", "close", "ring Second: late",
             "close"});
        row("the chime on the hour, not while an alarm rings, not twice at once",
            {dailyAlarm("Alarm", "09:00:00")},
            {"07:59:59", "08:00:00", "09:00:00", "ok", "10:00:00", "11:00:00"}, {"ring", "play"},
            {"play chime.mp3", "ring Alarm", "play Moo.wav repeat", "play chime.mp3"});
        row("the fade-out ends the sound, not the window; the next alarm then rings",
            {withFlags(playlist("Fading", "07:59:30", "a.mp3[2*2]"), 0, 0, 1),
             dailyAlarm("Next", "08:00:40")},
            {"07:59:30", "08:00:29", "08:00:30", "08:00:31", "faded", "08:00:40", "snooze"},
            {"ring", "fade", "close", "play"},
            {"ring Fading", "play a.mp3", "fade out", "ring Next", "play Moo.wav repeat", "close"});
        row("a waiting alarm deleted never rings; the ringing one deleted closes its window",
            {dailyAlarm("A", "07:00:00"), dailyAlarm("B", "07:00:00"), dailyAlarm("C", "07:00:00")},
            {"07:00:00", "delete 2", "delete 1"}, {"ring", "close"}, {"ring A", "close", "ring C"});
        row("a snooze follows its alarm when one before it is deleted",
            {dailyAlarm("A", "06:00:00"), dailyAlarm("B", "07:00:00")},
            {"07:00:00", "delete 1", "snooze", "07:04:59", "07:05:00"}, {"ring", "close"},
            {"ring B", "close", "ring B"});
        row("the close box does not snooze", {dailyAlarm("A", "07:00:00")},
            {"07:00:00", "close", "07:05:00"}, {"ring", "close"}, {"ring A", "close"});
        row("the next alarm's sound is readied five seconds before it, not sooner",
            {playlist("List", "07:00:00", "a.mp3[2*2]"), dailyAlarm("Moo", "07:10:00")},
            {"06:59:54", "06:59:55", "07:00:00", "ok", "07:09:55"}, {"ready", "play"},
            {"ready a.mp3", "play a.mp3", "ready Moo.wav"});

        AlarmRecord quiet = dailyAlarm("Quiet", "07:00:00"), odd = dailyAlarm("Odd", "07:00:10");
        quiet.spare = -602;
        odd.spare = 123;
        row("an alarm rings at its own volume; a value that is none rings at full", {quiet, odd},
            {"07:00:00", "ok", "07:00:10"}, {"play"},
            {"play Moo.wav repeat at -602", "play Moo.wav repeat"});

        row("a try rings the alarm as set; its Snooze snoozes nothing, and it never turns off",
            {withFlags(dailyAlarm("A", "09:00:00"), 1)},
            {"08:00:01", "try 1", "snooze", "08:05:00", "09:00:00"},
            {"ring", "play", "off", "close"},
            {"ring A: try", "play Moo.wav repeat", "close", "ring A", "off",
             "play Moo.wav repeat"});
        row("answered from the command line; the next alarm and the list told; a snooze due "
            "before an alarm rings first",
            {dailyAlarm("A", "09:00:00"), dailyAlarm("B", "08:30:00")},
            {"08:00:00", "cli next", "snooze", "08:30:00", "snooze", "cli list", "09:00:00", "ok"},
            {"ring", "cli"},
            {"7 Dec 2026 08:30:00  B", "nothing rings", "ring B", "answered",
             "1\tDaily\t09:00:00\t7 Dec 2026 09:00:00\tA",
             "2\tDaily\t08:30:00\t7 Dec 2026 08:35:00\tB", "ring B", "answered", "ring A"});

        const QStringList rings{"ring", "close", "notice"};
        row("woken a minute before the next alarm or snooze, armed once per change; awake until "
            "answered; a wake-up leaves the snooze next",
            {dailyAlarm("A", "07:00:00"), dailyAlarm("B", "08:00:00")},
            {"zone local", "changed", "07:00:00", "snooze", "idle 07:04:00", "wake fired",
             "cli next"},
            {"wake", "awake", "cli"},
            {"wake 06:59", "take", "wake 07:59", "answered", "release", "wake 07:04", "wake 07:59",
             "7 Dec 2026 07:05:00  A"});
        row("a snooze lasts across a restart and rings however late it is looked at",
            {dailyAlarm("A", "07:00:00")},
            {"07:00:00", "snooze", "restart", "07:04:59", "07:20:00"}, rings,
            {"ring A", "close", "ring A"});
        row("due 5 s or just 10 minutes before a start rings; due 11 minutes before is told",
            {dailyAlarm("A", "10:03:00"), dailyAlarm("B", "09:52:00"), dailyAlarm("C", "09:53:05")},
            {"09:50:00", "restart", "10:03:05", "ok"}, rings,
            {"ring C", "missed B 09:52:00", "close", "ring A"});
        row("without an earlier look nothing before the start rings or is told",
            {dailyAlarm("A", "10:03:00")}, {"10:03:05"}, rings, {});
        row("the hour spring skips rings at the jump",
            {dailyAlarm("A", "02:30:00"), dailyAlarm("B", "03:00:00")},
            {"2026-03-29T01:59:59", "2026-03-29T03:00:00", "ok"}, {"ring"}, {"ring A", "ring B"});
        row("the repeated autumn hour rings and chimes nothing twice, nor after a restart in it",
            {dailyAlarm("A", "02:15:00"), dailyAlarm("B", "02:30:00")},
            {"2026-10-25T02:00:00+02:00", "2026-10-25T02:15:00+02:00", "ok",
             "2026-10-25T02:30:00+02:00", "ok", "2026-10-25T02:00:00+01:00",
             "2026-10-25T02:15:00+01:00", "restart", "2026-10-25T02:30:00+01:00",
             "2026-10-25T03:00:00+01:00"},
            {"ring", "play"},
            {"play chime.mp3", "ring A", "play Moo.wav repeat", "ring B", "play Moo.wav repeat",
             "play chime.mp3"});
        row("a time zone crossed forward tells what passed in the change",
            {dailyAlarm("A", "10:00:00")},
            {"zone America/New_York", "08:00:01", "zone Europe/Berlin", "14:00:02"}, rings,
            {"missed A 10:00:00"});
        row("a clock a year ahead and put right rings again", {dailyAlarm("A", "07:30:00")},
            {"2027-12-07T07:30:00", "ok", "2026-12-07T07:29:59", "07:30:00"}, rings,
            {"ring A", "close", "ring A"});
        row("a clock set back 2 days rings and tells nothing twice",
            {dailyAlarm("A", "07:00:00"), dailyAlarm("B", "03:00:00")},
            {"2026-12-05T07:00:00", "ok", "2026-12-06T07:00:00", "ok", "2026-12-07T07:00:00", "ok",
             "jump -48", "2026-12-06T07:00:00", "2026-12-07T07:00:00", "2026-12-08T07:00:00"},
            rings,
            {"ring A", "close", "ring A", "missed B 03:00:00", "close", "ring A",
             "missed B 03:00:00", "close", "ring A", "missed B 03:00:00"});
        row("an alarm saved for a few seconds ago rings at its next time, not at the save",
            {dailyAlarm("A", "07:00:00")},
            {"10:00:00", "idle 10:00:25", "save 1 10:00:20", "10:01:00", "ok",
             "2026-12-08T10:00:20"},
            rings, {"ring A"});
        row("a snooze lasts its minutes when the clock is set back or forward an hour",
            {dailyAlarm("A", "07:00:00")},
            {"07:00:00", "07:00:30", "snooze", "jump -1", "06:04:59", "06:05:00", "06:05:30",
             "snooze", "jump 1", "07:09:59", "07:10:00"},
            rings, {"ring A", "close", "ring A", "close", "ring A"});
    }

    void morning()
    {
        QFETCH(QList<AlarmRecord>, records);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, watched);

        QTemporaryDir folder;
        const QStringList sounds = SoundTable::paths(folder.path());
        QDir(folder.path()).mkdir(QStringLiteral("Sounds"));
        for (const QString &file : sounds)
            QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        Log log{watched, {}};
        Table table;
        for (const AlarmRecord &record : std::as_const(records))
            table.slots[++table.count] = record;
        QTimeZone zone("Europe/Berlin");
        FakeClock clock;
        clock.at = QDateTime(QDate(2026, 12, 7), QTime(6, 0), zone);
        ScriptedSound sound(log);
        RecordingView view(log);
        LoggingPowerOff powerOff(log);
        LoggingWake wake(log, clock);
        Settings settings;
        settings.chimesOn = true;
        settings.chimeFile = QStringLiteral("chime.mp3");
        std::optional<AlarmEngine> engine;
        // A run of the program; another run starts from what the one before
        // left in the state file.
        const auto run = [&](const std::optional<QByteArray> &stateFile) {
            view.shown = false;
            engine.emplace(AlarmEnginePorts{table, clock, sound, view, powerOff, wake, wake,
                                            settings, sounds});
            view.engine = &*engine;
            connect(&sound, &AlarmSound::closed, &*engine, &AlarmEngine::soundClosed);
            connect(&sound, &AlarmSound::failed, &*engine, &AlarmEngine::soundFailed);
            connect(&sound, &AlarmSound::fadedOut, &*engine, &AlarmEngine::soundFadedOut);
            connect(&*engine, &AlarmEngine::notice, this, [&log](const QString &text) {
                const QRegularExpression damaged(QStringLiteral("^The built-in sound (\\S+) is"));
                if (const auto match = damaged.match(text); match.hasMatch()) {
                    log.add("notice", "damaged " + shortName(match.captured(1)));
                    return;
                }
                // A missed alarm's line: its date, its time and its message.
                for (const QString &line : text.split(u'\n').mid(1)) {
                    const QString time = line.section(QStringLiteral("  "), 0, 0).section(u' ', -1);
                    log.add("notice",
                            "missed " + line.section(QStringLiteral("  "), 1) + u' ' + time);
                }
            });
            connect(&*engine, &AlarmEngine::problem, this,
                    [&log](const QString &) { log.add("problem", QStringLiteral("off failed")); });
            engine->alarmsChanged();
            if (stateFile) {
                const std::optional<RunState> state =
                    parseRunState(*stateFile, table.slots, table.count);
                QVERIFY(state);
                engine->restore(state->engine);
            }
        };
        run(std::nullopt);

        for (const QString &step : std::as_const(steps)) {
            if (step == u"ok" || step == u"snooze") {
                // As the window's buttons, the command line and a notification answer.
                const bool answered = step == u"ok" ? engine->ok() : engine->snooze();
                log.add("cli",
                        answered ? QStringLiteral("answered") : QStringLiteral("nothing rings"));
            } else if (step == u"close") {
                view.closeAlarm();
            } else if (step == u"end") {
                sound.close();
            } else if (step == u"fail") {
                sound.fail();
            } else if (step == u"faded") {
                sound.fadedToSilence();
            } else if (step.startsWith(u"try ")) {
                engine->tryAlarm(table.slots[step.mid(4).toInt()]);
            } else if (step == u"changed") {
                engine->alarmsChanged();
            } else if (step == u"wake fired") {
                engine->wakeTimerFired();
            } else if (step == u"cli next") {
                log.add("cli", engine->nextReport());
            } else if (step == u"cli list") {
                for (const QString &line : engine->listReport())
                    log.add("cli", line);
            } else if (step == u"restart") {
                const QByteArray state =
                    formatRunState({engine->memory(), {}}, table.slots, table.count);
                sound.close();
                engine.reset();
                run(state);
            } else if (step.startsWith(u"delete ")) {
                const int slot = step.mid(7).toInt();
                QVERIFY(removeAlarmRecord(table.slots, table.count, slot));
                engine->alarmDeleted(slot);
            } else if (step.startsWith(u"save ")) {
                // "save N hh:mm:ss": the editor's OK gives alarm N that time.
                const int slot = step.section(u' ', 1, 1).toInt();
                AlarmRecord edited = table.slots[slot];
                edited.timeText = step.section(u' ', 2);
                QVERIFY(storeAlarmRecord(table.slots, table.count, slot, edited));
                engine->alarmsChanged();
            } else if (step == u"missing all") {
                for (const QString &file : sounds)
                    QVERIFY(QFile::remove(file));
            } else if (step.startsWith(u"missing ")) {
                QVERIFY(QFile::remove(QDir(folder.path()).filePath("Sounds/" + step.mid(8))));
            } else if (step == u"poweroff fails") {
                powerOff.error = QStringLiteral("no permission");
            } else if (step.startsWith(u"zone ")) {
                // The wake timer's moment is the local time's: the engine's wake-up follows it.
                zone = step == u"zone local" ? QTimeZone::systemTimeZone()
                                             : QTimeZone(step.mid(5).toLatin1());
            } else if (step.startsWith(u"jump ")) {
                // The wall clock set by so many hours; the ticker ticks at once.
                clock.jump(qint64(step.mid(5).toDouble() * 3600));
                engine->tick(clock.now());
            } else {
                // "[idle ]time": time passes to it, and a tick comes unless idle.
                const bool idle = step.startsWith(u"idle ");
                const QString when = idle ? step.mid(5) : step;
                QDateTime moment =
                    when.size() == 8
                        ? QDateTime(clock.at.date(), QTime::fromString(when, u"hh:mm:ss"), zone)
                        : QDateTime::fromString(when, Qt::ISODate);
                if (when.size() > 19)
                    moment = moment.toTimeZone(zone);
                else if (when.size() == 19)
                    moment = QDateTime(moment.date(), moment.time(), zone);
                QVERIFY2(moment.isValid(), qPrintable(step));
                clock.setAt(moment);
                if (!idle)
                    engine->tick(clock.now());
            }
            // The window's close and the sound's next step come from the event loop.
            for (int pass = 0; pass < 3; ++pass)
                QCoreApplication::processEvents();
        }
        QTEST(log.entries, "log");
    }

    // Marks follow their alarm to its slot or go with it; a file not read whole gives nothing.
    void stateFile_data()
    {
        QTest::addColumn<QByteArray>("change"); // of the file, or of the table before reading
        QTest::addColumn<QList<int>>("marked"); // slots that have marks after reading; -1: no state
        QTest::newRow("read back") << QByteArray() << QList{1, 2};
        QTest::newRow("the first alarm deleted by hand") << QByteArray("delete 1") << QList{1};
        QTest::newRow("an alarm edited by hand") << QByteArray("edit 2") << QList{1};
        QTest::newRow("not a state file") << QByteArray("header") << QList{-1};
        QTest::newRow("a number that cannot be read") << QByteArray("garble") << QList{-1};
        QTest::newRow("a later version's line") << QByteArray("later") << QList{1, 2};
    }
    void stateFile()
    {
        QFETCH(QByteArray, change);
        Table table;
        table.slots[++table.count] = dailyAlarm("A", "07:00:00");
        table.slots[++table.count] = dailyAlarm("B", "08:00:00");
        RunState written;
        written.engine.looked = LastLook{1'796'000'000, 63'000'000'000, "Europe/Berlin"};
        written.engine.boot = "boot";
        written.engine.marks[1].snoozeUntil = 1'796'000'300;
        written.engine.marks[1].snoozeSteadyMs = 42;
        written.engine.marks[2].markHandled(63'000'000'000);
        written.engine.marks[2].changedAt = 1'795'000'000;
        written.clockPlace = QPoint(1360, 528);
        QByteArray bytes = formatRunState(written, table.slots, table.count);
        if (change == "delete 1")
            QVERIFY(removeAlarmRecord(table.slots, table.count, 1));
        else if (change == "edit 2")
            table.slots[2].message = QStringLiteral("B changed");
        else if (change == "header")
            bytes.replace("tockaro-state 1", "tockaro-state 2");
        else if (change == "garble")
            bytes.replace("snooze=1796000300", "snooze=17x6000300");
        else if (change == "later")
            bytes += "weather sunny\n";
        const std::optional<RunState> read = parseRunState(bytes, table.slots, table.count);
        QFETCH(QList<int>, marked);
        if (marked == QList{-1}) {
            QVERIFY(!read);
            return;
        }
        QVERIFY(read);
        QList<int> found;
        for (int slot = 1; slot < kAlarmSlots; ++slot) {
            if (read->engine.marks[slot] != AlarmMarks())
                found << slot;
        }
        QCOMPARE(found, marked);
        if (change.isEmpty())
            QCOMPARE(*read, written);
    }
};

QTEST_GUILESS_MAIN(TestAlarmEngine)
#include "tst_alarmengine.moc"
