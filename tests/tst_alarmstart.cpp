// A due alarm through the clock window: its window, its sound on a scripted
// engine, the answers to it, and the alarm table changing under it.

#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "testseams.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

AlarmRecord daily(const QString &message, QTime time)
{
    AlarmRecord alarm;
    alarm.message = message;
    alarm.frequency = AlarmFrequency::Daily;
    alarm.timeText = time.toString(u"HH:mm:ss");
    alarm.alarmDate = QDate(2026, 12, 7);
    alarm.snoozeMinutes = QStringLiteral("5");
    alarm.playMedia = 1;
    return alarm;
}

QByteArray alarmFile(const QList<AlarmRecord> &alarms)
{
    QByteArray als;
    for (const AlarmRecord &alarm : alarms)
        als += formatAlarmLine(alarm, QLocale()).toLocal8Bit() + "\r\n";
    return als;
}

} // namespace

class TestAlarmStart final : public QObject {
    Q_OBJECT
    std::optional<ProgramFolder> m_folder;
    std::optional<TestProgram> m_program;

    void start(const QList<AlarmRecord> &alarms, bool tray = true, const QByteArray &conf = {})
    {
        m_folder.emplace().write(QStringLiteral("als"), alarmFile(alarms));
        if (!conf.isEmpty())
            m_folder->write(QStringLiteral("conf"), conf);
        m_program.emplace(*m_folder, tray);
        QVERIFY(m_program->bas.startprogram());
    }
    void at(QTime time)
    {
        m_program->clock.set(time);
        m_program->ticks.fire();
    }
    EngineScript &playing() { return m_program->engines.scripts.back(); }
    QString opened() { return m_program->engines.scripts.empty() ? QString() : playing().opened; }
    frmdshow &player() { return *m_program->bas.player(); }
    bool sounding() { return m_program->bas.player() && player().isLoaded(); }
    void fire(const char *timer)
    {
        QMetaObject::invokeMethod(player().findChild<QTimer *>(timer), "timeout");
    }
    alarmwind *window() { return m_program->bas.form()->alarmWindow(); }
    bool ringing(const QString &message)
    {
        return window() && window()->isVisible() &&
               window()->findChild<QPlainTextEdit *>("tmess")->toPlainText() == message;
    }
    void press(const char *button) { window()->findChild<QPushButton *>(button)->click(); }
    QTreeWidget *list() { return m_program->bas.alarmList().findChild<QTreeWidget *>("LV"); }
    void deleteRow(int row)
    {
        list()->setCurrentItem(list()->topLevelItem(row));
        m_program->bas.alarmList().findChild<QPushButton *>("Command3")->click();
    }

    void ok() { press("Command2"); }
    // Add or Edit in the alarm list; the editor that came up, else null.
    QDialog *openEditor(const char *button)
    {
        m_program->bas.alarmList().findChild<QPushButton *>(button)->click();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "frmaaddalarm" && window->isVisible())
                return qobject_cast<QDialog *>(window);
        }
        return nullptr;
    }
    // The window's close is over once the program has seen it.
    bool answered()
    {
        return !window()->isVisible() && !sounding() &&
               !m_program->bas.form()->alarms().alarmRinging();
    }
    QStringList openedNames()
    {
        QStringList names;
        for (const EngineScript &script : m_program->engines.scripts)
            names << QFileInfo(script.opened).fileName();
        return names;
    }

private Q_SLOTS:
    void cleanup() { m_program.reset(), m_folder.reset(); }

    // The computer is turned off as the alarm starts; the sound plays on.
    void playlistPlaysInOrderEachFadedIn()
    {
        AlarmRecord alarm = daily(QStringLiteral("List"), QTime(7, 0));
        alarm.playlist = QStringLiteral("a.mp3[2*2]b.mp3[2*2]c.mp3[2*2]");
        alarm.fadeIn = 1;
        alarm.sleepFlag = 1;
        start({alarm});
        at(QTime(7, 0));
        QVERIFY(m_program->end.powerOffs == 1 && m_program->dialogs.messages.isEmpty());
        QTRY_COMPARE(opened(), QStringLiteral("a.mp3"));
        playing().reachEnd();
        fire("Timer2");
        QTRY_COMPARE(opened(), QStringLiteral("b.mp3"));
        player().close(); // by the user, during the second item
        QTRY_COMPARE(opened(), QStringLiteral("c.mp3"));
        for (const EngineScript &item : m_program->engines.scripts)
            QCOMPARE(item.volumes.value(0), -4000);
        playing().reachEnd();
        fire("Timer2");
        QVERIFY(!sounding() && ringing(QStringLiteral("List"))); // silent, still open
    }

    // An alarm always makes a sound, and a damaged sound file never ends the
    // program: it is told of once, and the next sound that plays rings.
    void neverSilent_data()
    {
        QTest::addColumn<QString>("playlist");
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<QStringList>("played");
        QTest::addColumn<int>("told"); // damaged built-in sounds
        const QStringList none;
        QTest::newRow("empty playlist") << "" << none << none << QStringList{"Moo.wav"} << 0;
        QTest::newRow("every item fails")
            << "x.mp3[2*2]y.ogg[2*2]" << none << QStringList{"x.mp3", "y.ogg"}
            << QStringList{"x.mp3", "y.ogg", "Moo.wav"} << 0;
        QTest::newRow("the sound missing, the next fails")
            << "" << QStringList{"Moo.wav"} << QStringList{"Sounds/musical.wav"}
            << QStringList{"musical.wav", "Ricochet.wav"} << 2;
        QStringList all;
        for (const QString &sound : SoundTable::paths(QString()))
            all << QFileInfo(sound).fileName();
        QTest::newRow("all ten missing: the program's tone")
            << "" << all << none << QStringList{"tone"} << 10;
    }
    void neverSilent()
    {
        QFETCH(QString, playlist);
        QFETCH(QStringList, missing);
        QFETCH(QStringList, failing);
        QFETCH(QStringList, played);
        QFETCH(int, told);
        AlarmRecord alarm = daily(QStringLiteral("Loud"), QTime(7, 0));
        alarm.playlist = playlist;
        alarm.soundIndex = 7;
        start({alarm}, false);
        for (const QString &name : failing)
            m_program->engines.failing
                << (name.startsWith(u"Sounds/") ? m_folder->file(name) : name);
        for (const QString &name : missing)
            QVERIFY(QFile::remove(m_folder->file("Sounds/" + name)));
        at(QTime(7, 0));
        QTRY_COMPARE(openedNames().size(), played.size());
        QStringList names = openedNames();
        if (names.last().startsWith(u"tockaro-tone"))
            names.last() = QStringLiteral("tone");
        QCOMPARE(names, played);
        QCOMPARE(m_program->end.requests, 0);
        QTRY_COMPARE(m_program->dialogs.messages.size(), told);
        QVERIFY(sounding() && ringing(QStringLiteral("Loud")));
    }

    // While one alarm rings, the next one due waits and keeps out of its
    // window and its sound; it rings when the first is answered, dated the day it
    // rings. A built-in sound repeats with the player hidden. A power-off that
    // cannot start is told of, and the alarm goes on; a sleep alarm that comes
    // long after its time does not turn the computer off.
    void aSecondAlarmWaitsItsTurn()
    {
        AlarmRecord first = daily(QStringLiteral("First"), QTime(7, 0));
        first.playMedia = 0;
        first.soundIndex = 7;
        first.sleepFlag = 1;
        AlarmRecord second = daily(QStringLiteral("Second"), QTime(7, 0, 10));
        second.playMedia = 0;
        second.sleepFlag = 1;
        second.alarmDate = QDate(2026, 11, 30); // the day it was made
        start({first, second});
        const QString error = QStringLiteral("systemctl could not be started");
        m_program->end.powerOffError = error;
        at(QTime(7, 0));
        QVERIFY(ringing(QStringLiteral("First")));
        QCOMPARE(m_program->end.powerOffs, 1);
        QVERIFY(m_program->dialogs.messages.join(u'\n').contains(error));
        QTRY_COMPARE(openedNames(), QStringList{"Moo.wav"});
        QVERIFY(!player().isVisible());
        playing().reachEnd();
        fire("Timer2");
        QCOMPARE(playing().seeks, QList<qint64>{0});
        at(QTime(7, 0, 10));
        at(QTime(7, 2, 30));
        QVERIFY(ringing(QStringLiteral("First")));
        QCOMPARE(openedNames(), QStringList{"Moo.wav"});
        ok();
        QTRY_VERIFY(ringing(QStringLiteral("Second")));
        QVERIFY(!m_program->bas.alarms()[1].snoozed);
        QTRY_COMPARE(openedNames(), (QStringList{"Moo.wav", "alarm.wav"}));
        QCOMPARE(m_program->end.powerOffs, 1);
        QVERIFY(window()->findChild<QLabel *>("lblnote")->text().contains("not turned off"));
        QVERIFY(window()->findChild<QLabel *>("lbltime")->text().endsWith(
            alarmDateText(QDate(2026, 12, 7), QLocale())));
    }

    // The chime keeps out of a ringing alarm, and comes again at the next
    // hour once the first chime has ended.
    void chimeWaitsForTheAlarm()
    {
        AlarmRecord alarm = daily(QStringLiteral("Wake"), QTime(6, 59, 59));
        alarm.playMedia = 0;
        start({alarm}, true, "True\r\n\r\n1\r\n0\r\n0\r\n");
        at(QTime(6, 59, 59));
        at(QTime(7, 0));
        QTRY_COMPARE(openedNames(), QStringList{"alarm.wav"});
        ok();
        QTRY_VERIFY(answered());
        at(QTime(8, 0));
        QCOMPARE(openedNames().size(), 2);
        playing().reachEnd();
        fire("Timer2");
        at(QTime(9, 0));
        QCOMPARE(openedNames(), (QStringList{"alarm.wav", "chimering.MP3", "chimering.MP3"}));
    }

    void fadeOutEndsTheSoundButNotTheWindow()
    {
        AlarmRecord fading = daily(QStringLiteral("Fade"), QTime(10, 59, 30));
        fading.playlist = QStringLiteral("x.mp3[2*2]z.mp3[2*2]");
        fading.fadeOut = 1;
        fading.fadeMinutes = 2;
        AlarmRecord plain = daily(QStringLiteral("Plain"), QTime(11, 5));
        plain.playlist = QStringLiteral("y.mp3[2*2]");
        start({fading, plain});
        at(QTime(10, 59, 30));
        QTRY_COMPARE(opened(), QStringLiteral("x.mp3"));
        at(QTime(11, 1, 29));
        fire("Timer3");
        QCOMPARE(playing().volumes, QList<int>{0});
        at(QTime(11, 1, 30));
        for (int second = 0; second < 6; ++second)
            fire("Timer3");
        QCOMPARE(playing().volumes.last(), -6000);
        QCoreApplication::processEvents(); // no item after a fade-out
        QVERIFY(!sounding() && ringing(QStringLiteral("Fade")));
        at(QTime(11, 5)); // the window is still open, but the alarm is over
        QTRY_COMPARE(opened(), QStringLiteral("y.mp3"));
        QVERIFY(ringing(QStringLiteral("Plain")));
        at(QTime(11, 7, 10));
        fire("Timer3");
        QCOMPARE(playing().volumes, QList<int>{0});
    }

    // Deleting moves the later alarms up, in memory and in the file, and the
    // alarm in progress follows its alarm.
    void answersAndDeletesFollowTheirAlarms()
    {
        const AlarmRecord second = daily(QStringLiteral("Second"), QTime(7, 0));
        start({daily(QStringLiteral("First"), QTime(6, 0)), second,
               daily(QStringLiteral("Third"), QTime(7, 30)),
               daily(QStringLiteral("Fourth"), QTime(8, 0))});
        at(QTime(7, 0));
        QVERIFY(ringing(QStringLiteral("Second")));
        deleteRow(0); // the ringing alarm moves up a slot; its answer follows it
        m_program->clock.set(QTime(7, 0, 3));
        press("Command1"); // Snooze: sound and window stop
        QTRY_VERIFY(answered());
        deleteRow(1); // another alarm goes: the snooze stays
        QVERIFY(m_program->bas.alarms()[1].snoozed && !m_program->bas.alarms()[2].snoozed);
        at(QTime(7, 4, 59));
        QVERIFY(!window()->isVisible());
        at(QTime(7, 5));
        QVERIFY(ringing(QStringLiteral("Second")));
        window()->close(); // the close box: not snoozed
        QTRY_VERIFY(answered());
        at(QTime(7, 10));
        QVERIFY(!window()->isVisible());
        at(QTime(8, 0));
        QVERIFY(ringing(QStringLiteral("Fourth")));
        deleteRow(1); // the alarm in progress goes, and its window with it
        QTRY_VERIFY(answered());
        QCOMPARE(list()->topLevelItemCount(), 1);
        QCOMPARE(m_folder->read(QStringLiteral("als")), alarmFile({second}));
    }

    // The editor's preview ends with the editor, whatever the player went
    // through before.
    void previewStopsWithTheEditor()
    {
        start({});
        frmalarms &alarms = m_program->bas.alarmList();
        QDialog *editor = openEditor("Cmdadd");
        QVERIFY2(editor, "the editor did not open");
        Q_EMIT alarms.filePlayRequested(QStringLiteral("clip.avi"));
        QVERIFY(QTest::qWaitForWindowExposed(&player()));
        player().close();
        Q_EMIT alarms.soundPlayRequested(7);
        QVERIFY(sounding());
        editor->reject();
        QVERIFY(!sounding() && !player().isVisible());
    }

    // Some seconds before an alarm its first sound is readied, silent, and
    // at its second the sound starts; an alarm edited or deleted after its
    // sound was readied has the readied engine dropped.
    void readiesTheNextAlarmsSound_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("unchanged") << "" << QStringList{"Moo.wav", "Moo.wav"};
        QTest::newRow("edited") << "edit" << QStringList{"Moo.wav", "alarm.wav", "alarm.wav"};
        QTest::newRow("deleted") << "delete" << QStringList{"Moo.wav"};
    }
    void readiesTheNextAlarmsSound()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, opened);
        AlarmRecord alarm = daily(QStringLiteral("Wake"), QTime(7, 0, 10));
        alarm.playMedia = 0;
        alarm.soundIndex = 7;
        start({alarm});
        at(QTime(7, 0, 4));
        Q_EMIT m_program->wake.fired(); // woken for this alarm, which is still the next
        QVERIFY(!m_program->bas.player());
        at(QTime(7, 0, 5));
        QCOMPARE(openedNames(), QStringList{"Moo.wav"});
        if (change == "edit") {
            list()->setCurrentItem(list()->topLevelItem(0));
            QDialog *editor = openEditor("Command2");
            QVERIFY2(editor, "the editor did not open");
            editor->findChild<QComboBox *>("cmbsoundlist")->setCurrentIndex(0);
            editor->findChild<QPushButton *>("Command1")->click();
        } else if (change == "delete") {
            deleteRow(0);
        }
        for (int second = 6; second < 10; ++second)
            at(QTime(7, 0, second));
        const auto &scripts = m_program->engines.scripts;
        QVERIFY(std::none_of(scripts.begin(), scripts.end(), [](auto &s) { return s.running; }));
        at(QTime(7, 0, 10));
        QTRY_COMPARE(sounding(), change != "delete");
        QCOMPARE(openedNames(), opened);
        QCOMPARE(m_program->engines.alive(), sounding() ? 1 : 0);
    }

    void wakeFollowsTheNextAlarmAndSleepWaitsForTheRinging()
    {
        start({daily(QStringLiteral("Wake"), QTime(7, 30)),
               daily(QStringLiteral("Later"), QTime(8, 0))});
        RecordingWake &wake = m_program->wake;
        at(QTime(7, 30));
        QCOMPARE(m_program->inhibitor.events, QStringList{"take"});
        press("Command1"); // Snooze for 5 minutes
        QTRY_COMPARE(m_program->inhibitor.events, QStringList({"take", "release"}));
        m_program->clock.set(QTime(7, 34));
        Q_EMIT wake.fired(); // the snooze it woke for is left to the tick
        at(QTime(7, 35));
        QVERIFY(ringing(QStringLiteral("Wake")));
        ok();
        QTRY_VERIFY(answered());
        deleteRow(0);
        m_program->clock.set(QTime(9, 0));
        Q_EMIT wake.clockSet();
        m_program->clock.set(QTime(7, 59), QDate(2026, 12, 8));
        Q_EMIT wake.fired();
        // Loaded, rung, snoozed, woken, the clock set, the moment come: each
        // change arms once, and what changes nothing arms nothing.
        QCOMPARE(wake.armings, QStringList({"7 07:29:00", "7 07:59:00", "7 07:34:00", "7 07:59:00",
                                            "8 07:59:00", "9 07:59:00"}));
    }
};

QTEST_MAIN(TestAlarmStart)
#include "tst_alarmstart.moc"
