// A due alarm through the program's real windows: its window, its sound on
// the player over a scripted engine, the window's buttons and the alarm list
// changing the table under it. What rings when is the alarm engine's test.

#include "alarms/frmalarms.h"
#include "platform/qtdialogs.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "testseams.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

namespace {

AlarmRecord daily(const QString &message, QTime time)
{
    AlarmRecord alarm;
    alarm.message = message;
    alarm.frequency = AlarmFrequency::Daily;
    alarm.timeText = time.toString(u"HH:mm:ss");
    alarm.alarmDate = QDate(2026, 11, 30);
    alarm.snoozeMinutes = QStringLiteral("5");
    alarm.soundIndex = 7;
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

    void start(const QList<AlarmRecord> &alarms, bool tray = true)
    {
        m_folder.emplace().write(QStringLiteral("als"), alarmFile(alarms));
        m_program.emplace(*m_folder, tray);
        QVERIFY(m_program->program.startprogram());
    }
    void at(QTime time)
    {
        m_program->clock.set(time);
        m_program->ticks.fire();
    }
    QStringList opened()
    {
        QStringList names;
        for (const EngineScript &script : m_program->engines.scripts)
            names << QFileInfo(script.opened).fileName();
        return names;
    }
    bool sounding()
    {
        return m_program->program.player() && m_program->program.player()->isLoaded();
    }
    alarmwind *window() { return m_program->program.alarmWindow(); }
    QString ringing()
    {
        auto *message = control<QPlainTextEdit>(window(), "tmess");
        return message && window()->isVisible() ? message->toPlainText() : QString();
    }
    frmalarms &list() { return m_program->program.alarmList(); }
    bool selectRow(int row)
    {
        auto *rows = control<QTreeWidget>(&list(), "LV");
        if (rows)
            rows->setCurrentItem(rows->topLevelItem(row));
        return rows;
    }
    // Add or Edit in the alarm list; the editor that came up, else null.
    QDialog *openEditor(const char *button)
    {
        if (!click(&list(), button))
            return nullptr;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "frmaaddalarm" && window->isVisible())
                return qobject_cast<QDialog *>(window);
        }
        return nullptr;
    }

private Q_SLOTS:
    void cleanup() { m_program.reset(), m_folder.reset(); }

    // The window shows the alarm's time, the day it rings and its message;
    // its built-in sound plays hidden. Snooze and OK end the window and the
    // sound; Snooze brings the alarm back after its minutes.
    void theWindowAndItsButtons()
    {
        start({daily(QStringLiteral("Wake"), QTime(7, 0))});
        at(QTime(7, 0));
        QCOMPARE(ringing(), QStringLiteral("Wake"));
        auto *time = control<QLabel>(window(), "lbltime");
        QVERIFY(time);
        QVERIFY(time->text().contains(QStringLiteral("07:00:00")));
        QVERIFY(time->text().endsWith(alarmDateText(QDate(2026, 12, 7), QLocale())));
        QTRY_COMPARE(opened(), QStringList{"Moo.wav"});
        QVERIFY(sounding() && !m_program->program.player()->isVisible());
        QVERIFY(click(window(), "Command1")); // Snooze
        QTRY_VERIFY(ringing().isEmpty() && !sounding());
        at(QTime(7, 4, 59));
        QVERIFY(ringing().isEmpty());
        at(QTime(7, 5));
        QCOMPARE(ringing(), QStringLiteral("Wake"));
        QVERIFY(click(window(), "Command2")); // OK
        QTRY_VERIFY(ringing().isEmpty() && !sounding());
        at(QTime(7, 10));
        QVERIFY(ringing().isEmpty());
    }

    // Deleting the ringing alarm in the list closes its window, stops its
    // sound, and the file keeps the others.
    void deletingTheRingingAlarm()
    {
        const AlarmRecord kept = daily(QStringLiteral("Kept"), QTime(8, 0));
        start({daily(QStringLiteral("Going"), QTime(7, 0)), kept});
        at(QTime(7, 0));
        QCOMPARE(ringing(), QStringLiteral("Going"));
        QVERIFY(selectRow(0) && click(&list(), "Command3"));
        QTRY_VERIFY(ringing().isEmpty() && !sounding());
        QCOMPARE(m_folder->read(QStringLiteral("als")), alarmFile({kept}));
    }

    // Without a tray, what the user should learn of while an alarm rings comes
    // in a box that leaves the alarm window its answer.
    void aNoticeLeavesTheAlarmWindowItsAnswer()
    {
        start({daily(QStringLiteral("Wake"), QTime(7, 0))}, false);
        QVERIFY(QFile::remove(m_folder->file(QStringLiteral("Sounds/Moo.wav"))));
        at(QTime(7, 0));
        QTRY_COMPARE(m_program->dialogs.notices.size(), 1);
        QVERIFY(m_program->dialogs.messages.isEmpty());

        QtDialogs dialogs;
        dialogs.notice(m_program->dialogs.notices.first());
        QWidget *box = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            box = window->objectName() == "notice" && window->isVisible() ? window : box;
        QVERIFY(box && !box->isModal() && !QApplication::activeModalWidget());
        QVERIFY(click(window(), "Command2"));
        QTRY_VERIFY(ringing().isEmpty());
        box->close();
    }

    // The editor's preview ends with the editor, whatever the player went
    // through before.
    void previewStopsWithTheEditor()
    {
        start({});
        QDialog *editor = openEditor("Cmdadd");
        QVERIFY2(editor, "the editor did not open");
        Q_EMIT list().filePlayRequested(QStringLiteral("clip.avi"));
        frmdshow *player = m_program->program.player();
        QVERIFY(player && QTest::qWaitForWindowExposed(player));
        player->close();
        Q_EMIT list().soundPlayRequested(7);
        QVERIFY(sounding());
        editor->reject();
        QVERIFY(!sounding() && !player->isVisible());
    }

    // Try rings the alarm as the editor holds it, outside the table: its
    // window says it is a try, a sleep alarm never reaches the power-off, the
    // alarm file is not written and the editor stays open. While an alarm
    // rings, Try tells the user it must wait.
    void tryFromTheEditor()
    {
        start({daily(QStringLiteral("Wake"), QTime(7, 0))});
        const QByteArray als = m_folder->read(QStringLiteral("als"));
        QVERIFY(selectRow(0));
        QDialog *editor = openEditor("Command2");
        QVERIFY2(editor, "the editor did not open");
        auto *message = control<QPlainTextEdit>(editor, "Text1");
        QVERIFY(message && setChecked(editor, "sleepcheck1", true));
        message->setPlainText(QStringLiteral("Tried"));
        QVERIFY(click(editor, "cmdtry"));
        QCOMPARE(ringing(), QStringLiteral("Tried"));
        auto *note = control<QLabel>(window(), "lblnote");
        QVERIFY(note && note->text().contains(QStringLiteral("try")));
        QTRY_COMPARE(opened(), QStringList{"Moo.wav"});
        QVERIFY(click(window(), "Command1")); // Snooze
        QTRY_VERIFY(ringing().isEmpty() && !sounding());
        QVERIFY(editor->isVisible());

        at(QTime(7, 0));
        QCOMPARE(ringing(), QStringLiteral("Wake"));
        QVERIFY(click(editor, "cmdtry"));
        QCOMPARE(ringing(), QStringLiteral("Wake"));
        QCOMPARE(m_program->dialogs.notices.size(), 1);
        QVERIFY(m_program->dialogs.notices.first().contains(QStringLiteral("answered")));
        QCOMPARE(m_program->end.powerOffs, 0);
        QCOMPARE(m_folder->read(QStringLiteral("als")), als);
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
        start({daily(QStringLiteral("Wake"), QTime(7, 0, 10))});
        at(QTime(7, 0, 4));
        QVERIFY(!m_program->program.player());
        at(QTime(7, 0, 5));
        QCOMPARE(opened(), QStringList{"Moo.wav"});
        if (change == "edit") {
            QVERIFY(selectRow(0));
            QDialog *editor = openEditor("Command2");
            QVERIFY2(editor, "the editor did not open");
            auto *sounds = control<QComboBox>(editor, "cmbsoundlist");
            QVERIFY(sounds);
            sounds->setCurrentIndex(0);
            QVERIFY(click(editor, "Command1"));
        } else if (change == "delete") {
            QVERIFY(selectRow(0) && click(&list(), "Command3"));
        }
        for (int second = 6; second < 10; ++second)
            at(QTime(7, 0, second));
        const auto &scripts = m_program->engines.scripts;
        QVERIFY(std::none_of(scripts.begin(), scripts.end(), [](auto &s) { return s.running; }));
        at(QTime(7, 0, 10));
        QTRY_COMPARE(sounding(), change != "delete");
        QTEST(opened(), "opened");
        QCOMPARE(m_program->engines.alive(), sounding() ? 1 : 0);
    }
};

QTEST_MAIN(TestAlarmStart)
#include "tst_alarmstart.moc"
