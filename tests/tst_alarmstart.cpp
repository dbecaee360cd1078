// A due alarm through the program's real windows and player; what rings when is tst_alarmengine's.

#include "alarms/frmalarms.h"
#include "platform/qtdialogs.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "testseams.h"

#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

class TestAlarmStart final : public QObject {
    Q_OBJECT
    std::optional<ProgramFolder> m_folder;
    std::optional<TestProgram> m_program;

    void start(const QList<AlarmRecord> &alarms, bool tray = true)
    {
        m_folder.emplace().write(QStringLiteral("als"), alarmLines(alarms));
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
        return click(&list(), button) ? qobject_cast<QDialog *>(shownWindow("frmaaddalarm"))
                                      : nullptr;
    }

private Q_SLOTS:
    void cleanup() { m_program.reset(), m_folder.reset(); }

    // The window shows the alarm's time, day and message while its sound plays hidden; Snooze
    // and a Delete in the list end the window and the sound, and the file keeps the others.
    void theWindowAndItsButtons()
    {
        const AlarmRecord kept = dailyAlarm("Kept", "08:00:00");
        start({dailyAlarm("Wake", "07:00:00"), kept});
        at(QTime(7, 0));
        QCOMPARE(ringing(), QStringLiteral("Wake"));
        auto *time = control<QLabel>(window(), "lbltime");
        QVERIFY(time && time->text().contains(QStringLiteral("07:00:00")));
        QVERIFY(time->text().endsWith(alarmDateText(QDate(2026, 12, 7), QLocale())));
        QTRY_COMPARE(opened(), QStringList{"Moo.wav"});
        QVERIFY(sounding() && !m_program->program.player()->isVisible());
        QVERIFY(click(window(), "Command1")); // Snooze
        QTRY_VERIFY(ringing().isEmpty() && !sounding());
        at(QTime(7, 5));
        QCOMPARE(ringing(), QStringLiteral("Wake"));
        QVERIFY(selectRow(0) && click(&list(), "Command3"));
        QTRY_VERIFY(ringing().isEmpty() && !sounding());
        QCOMPARE(m_folder->read(QStringLiteral("als")), alarmLines({kept}));
    }

    // Without a tray a notice comes in a box that leaves the alarm window (and its OK) its answer.
    void aNoticeLeavesTheAlarmWindowItsAnswer()
    {
        start({dailyAlarm("Wake", "07:00:00")}, false);
        QVERIFY(QFile::remove(m_folder->file(QStringLiteral("Sounds/Moo.wav"))));
        at(QTime(7, 0));
        QTRY_COMPARE(m_program->dialogs.notices.size(), 1);
        QVERIFY(m_program->dialogs.messages.isEmpty());

        QtDialogs dialogs;
        dialogs.notice(m_program->dialogs.notices.first());
        QWidget *box = shownWindow(QStringLiteral("notice"));
        QVERIFY(box && !box->isModal() && !QApplication::activeModalWidget());
        QVERIFY(click(window(), "Command2"));
        QTRY_VERIFY(ringing().isEmpty());
        box->close();
    }

    // The editor's preview ends with the editor, whatever the player went through before.
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

    // Try rings the editor's alarm saying so, never powers off nor writes als, and waits while
    // an alarm rings.
    void tryFromTheEditor()
    {
        start({dailyAlarm("Wake", "07:00:00")});
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

    // A sound readied, silent, before its alarm is never heard: an edit drops it for the new one.
    void readiesTheNextAlarmsSound()
    {
        start({dailyAlarm("Wake", "07:00:10")});
        at(QTime(7, 0, 5));
        QCOMPARE(opened(), QStringList{"Moo.wav"});
        QVERIFY(selectRow(0));
        QDialog *editor = openEditor("Command2");
        auto *sounds = control<QComboBox>(editor, "cmbsoundlist");
        QVERIFY(editor && sounds);
        sounds->setCurrentIndex(0);
        QVERIFY(click(editor, "Command1"));
        for (int second = 6; second < 10; ++second)
            at(QTime(7, 0, second));
        const auto &scripts = m_program->engines.scripts;
        QVERIFY(std::none_of(scripts.begin(), scripts.end(), [](auto &s) { return s.running; }));
        at(QTime(7, 0, 10));
        QTRY_VERIFY(sounding());
        QCOMPARE(opened(), (QStringList{"Moo.wav", "alarm.wav", "alarm.wav"}));
        QCOMPARE(m_program->engines.alive(), 1);
    }
};

QTEST_MAIN(TestAlarmStart)
#include "tst_alarmstart.moc"
