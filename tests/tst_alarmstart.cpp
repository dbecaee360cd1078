// A due alarm through the clock window: its window, its sound on a scripted
// engine, the answers to it, and the alarm table changing under it.

#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "testseams.h"

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

    void start(const QList<AlarmRecord> &alarms)
    {
        m_folder.emplace().write(QStringLiteral("als"), alarmFile(alarms));
        m_program.emplace(*m_folder);
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

private Q_SLOTS:
    void cleanup() { m_program.reset(), m_folder.reset(); }

    // A power-off that cannot start is told of, and the alarm goes on.
    void builtInSoundRepeatsHiddenUntilOk()
    {
        AlarmRecord alarm = daily(QStringLiteral("Wake"), QTime(7, 0));
        alarm.playMedia = 0;
        alarm.soundIndex = 7;
        alarm.sleepFlag = 1;
        start({alarm});
        const QString error = QStringLiteral("systemctl could not be started");
        m_program->end.powerOffError = error;
        at(QTime(7, 0));
        QVERIFY(ringing(QStringLiteral("Wake")));
        QCOMPARE(m_program->end.powerOffs, 1);
        QVERIFY(m_program->dialogs.messages.join(u'\n').contains(error));
        QTRY_COMPARE(opened(), m_folder->file(QStringLiteral("Sounds/Moo.wav")));
        QVERIFY(!player().isVisible());
        playing().reachEnd();
        fire("Timer2");
        QCOMPARE(playing().seeks, QList<qint64>{0});
        press("Command2");
        QVERIFY(!window()->isVisible() && !sounding() && !m_program->bas.alarms()[1].snoozed);
    }

    // The computer is turned off as the alarm starts; the sound plays on.
    void playlistPlaysInOrderEachFadedIn()
    {
        AlarmRecord alarm = daily(QStringLiteral("List"), QTime(7, 0));
        alarm.playlist = QStringLiteral("a.mp3[2*2]b.mp3[2*2]c.mp3[2*2]d.mp3[2*2]");
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
        playing().status = MediaEngine::MediaStatus::Failed; // not media: passed over
        fire("Timer2");
        QTRY_COMPARE(opened(), QStringLiteral("d.mp3"));
        for (const EngineScript &item : m_program->engines.scripts)
            QCOMPARE(item.volumes.value(0), -4000);
        playing().reachEnd();
        fire("Timer2");
        QVERIFY(!sounding() && ringing(QStringLiteral("List"))); // silent, still open
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
        QVERIFY(!window()->isVisible() && !sounding());
        deleteRow(1); // another alarm goes: the snooze stays
        QVERIFY(m_program->bas.alarms()[1].snoozed && !m_program->bas.alarms()[2].snoozed);
        at(QTime(7, 4, 59));
        QVERIFY(!window()->isVisible());
        at(QTime(7, 5));
        QVERIFY(ringing(QStringLiteral("Second")));
        window()->close(); // the close box: not snoozed
        at(QTime(7, 10));
        QVERIFY(!window()->isVisible());
        at(QTime(8, 0));
        QVERIFY(ringing(QStringLiteral("Fourth")));
        deleteRow(1); // the alarm in progress goes, and its window with it
        QVERIFY(!window()->isVisible() && !sounding());
        QCOMPARE(list()->topLevelItemCount(), 1);
        QCOMPARE(m_folder->read(QStringLiteral("als")), alarmFile({second}));
    }

    void wakeFollowsTheNextAlarmAndSleepWaitsForTheRinging()
    {
        start({daily(QStringLiteral("Wake"), QTime(7, 30)),
               daily(QStringLiteral("Later"), QTime(8, 0))});
        RecordingWake &wake = m_program->wake;
        at(QTime(7, 30));
        QCOMPARE(m_program->inhibitor.events, QStringList{"take"});
        press("Command1"); // Snooze for 5 minutes
        QCOMPARE(m_program->inhibitor.events, QStringList({"take", "release"}));
        deleteRow(0);
        m_program->clock.set(QTime(9, 0));
        Q_EMIT wake.clockSet();
        m_program->clock.set(QTime(7, 59), QDate(2026, 12, 8));
        Q_EMIT wake.fired(); // the alarm it woke for is left to the tick
        // Loaded, rung, snoozed, deleted, the clock set, the moment come.
        QCOMPARE(wake.armings, QStringList({"7 07:29:00", "7 07:59:00", "7 07:34:00", "7 07:59:00",
                                            "8 07:59:00", "9 07:59:00"}));
    }
};

QTEST_MAIN(TestAlarmStart)
#include "tst_alarmstart.moc"
