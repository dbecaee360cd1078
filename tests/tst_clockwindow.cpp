// The clock window and the windows it opens, on a test folder with a fake clock
// and ticks fired by hand.

#include "alarms/alarmlistrows.h"
#include "alarms/alarmrecord.h"
#include "alarms/frmaaddalarm.h"
#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "app/clocktext.h"
#include "app/traymenu.h"
#include "base/twips.h"
#include "display/ledclock.h"
#include "filesizelimit.h"
#include "playback/mediafilter.h"
#include "settings/conffile.h"
#include "settings/frmoptions.h"
#include "testseams.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTreeWidget>

#include <optional>

using Digits = std::array<int, LedLayout::DigitCount>;

namespace {

QByteArray conf(bool show, const QByteArray &chime, bool chimes, bool h24)
{
    return (show ? "True\r\n" : "False\r\n") + chime + (chimes ? "\r\n1" : "\r\n0") +
           (h24 ? "\r\n1" : "\r\n0") + "\r\n0\r\n";
}

struct PaintRecorder final : QObject {
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion painted;
};

} // namespace

class TestClockWindow final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        m_program.reset();
        m_folder.emplace();
    }

    // A damaged folder or a second copy ends the program with no window, the
    // damage found first.
    void startUp_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<bool>("otherCopy");
        QTest::addColumn<QString>("message");
        const QString corrupted = kCorruptedMessage;
        QTest::newRow("no conf") << "conf" << false << corrupted;
        QTest::newRow("a sound missing") << "Sounds/Moo.wav" << false << corrupted;
        QTest::newRow("folder read first") << "conf" << true << corrupted;
        QTest::newRow("second copy") << "" << true << "Another copy of Tockaro Program is running";
    }
    void startUp()
    {
        QFETCH(QString, missing);
        QFETCH(bool, otherCopy);
        FolderLockGuard other(m_folder->dir.path());
        QVERIFY(!otherCopy || other.tryAcquire());
        QVERIFY(missing.isEmpty() || QFile::remove(m_folder->file(missing)));
        m_program.emplace(*m_folder);
        QVERIFY(!m_program->program.startprogram());
        QTEST(m_program->dialogs.messages.join(u'|'), "message");
        QCOMPARE(m_program->end.requests, 1);
        for (const QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!window->isVisible());
    }

    // The date line changes at midnight; the display repaints only the digits that changed.
    void tickShowsTimeAndDate_data()
    {
        QTest::addColumn<QTime>("from");
        QTest::addColumn<QTime>("to"); // the next day when earlier
        QTest::addColumn<Digits>("digits");
        QTest::addColumn<QList<int>>("changed");
        QTest::newRow("an hour") << QTime(6, 59, 59) << QTime(7, 0) << Digits{0, 7, 0, 0, 0, 0}
                                 << QList{1, 2, 3, 4, 5};
        QTest::newRow("midnight") << QTime(23, 59, 59) << QTime(0, 0) << Digits{}
                                  << QList{0, 1, 2, 3, 4, 5};
    }
    void tickShowsTimeAndDate()
    {
        QFETCH(QTime, from);
        QFETCH(QTime, to);
        QFETCH(Digits, digits);
        QFETCH(QList<int>, changed);
        m_folder->write(QStringLiteral("conf"), conf(true, "", false, true));
        start();
        tickAt(from);
        PaintRecorder recorder;
        form()->display()->installEventFilter(&recorder);
        const QDate day = QDate(2026, 12, 7).addDays(to < from ? 1 : 0);
        tickAt(to, day);
        QCOMPARE(form()->display()->shownDigits(), digits);
        QCOMPARE(form()->TheDate()->text(), dateLineText(day, QLocale()));
        QRegion expected;
        for (int digit : changed)
            expected += twipsToPixels(form()->display()->layout().digits[digit]).toAlignedRect();
        QCOMPARE(recorder.painted, expected);
    }

    void chimeOnTheHour_data()
    {
        QTest::addColumn<QString>("on"); // by conf, or by the dialog's box without OK
        QTest::addColumn<QList<QTime>>("ticks");
        QTest::addColumn<int>("chimes");
        QTest::newRow("off") << "" << QList{QTime(7, 0)} << 0;
        QTest::newRow("by conf") << "conf" << QList{QTime(7, 0)} << 1;
        QTest::newRow("box ticked counts") << "box" << QList{QTime(7, 0)} << 1;
    }
    void chimeOnTheHour()
    {
        QFETCH(QString, on);
        QFETCH(QList<QTime>, ticks);
        QFETCH(int, chimes);
        m_folder->write(QStringLiteral("conf"),
                        conf(true, chime().toLocal8Bit(), on == "conf", false));
        start();
        QVERIFY(setChecked(options(), "Check2", !on.isEmpty()));
        for (QTime time : ticks)
            tickAt(time);
        QCOMPARE(int(m_program->engines.scripts.size()), chimes);
        for (const EngineScript &played : m_program->engines.scripts)
            QCOMPARE(played.opened, chime());
    }

    // The tick comes every second only while something needs it: digits that
    // the window paints itself, or an alarm ringing. Otherwise it sleeps to
    // the next minute, or to readying the next alarm's sound, then to its
    // second; a change of the alarms brings it back every second.
    void ticksOnlyWhenNeeded_data()
    {
        QTest::addColumn<bool>("painter");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QTime>("tick");
        QTest::addColumn<QTime>("skipTo"); // invalid: every second
        const QTime none;
        const QTime tick(6, 58, 10);
        QTest::newRow("digits painted by the window") << false << true << tick << none;
        QTest::newRow("digits painted by the painter") << true << true << tick << QTime(6, 59);
        QTest::newRow("hidden") << false << false << tick << QTime(6, 59);
        QTest::newRow("alarm near: its sound first")
            << true << true << QTime(7, 0, 30) << QTime(7, 0, 35);
        QTest::newRow("sound readied: its second")
            << true << true << QTime(7, 0, 36) << QTime(7, 0, 40);
        QTest::newRow("ringing") << true << false << QTime(7, 0, 40) << none;
    }
    void ticksOnlyWhenNeeded()
    {
        QFETCH(bool, painter);
        QFETCH(bool, shown);
        QFETCH(QTime, tick);
        QFETCH(QTime, skipTo);
        AlarmRecord alarm;
        alarm.message = QStringLiteral("Up");
        alarm.frequency = AlarmFrequency::Daily;
        alarm.timeText = QStringLiteral("07:00:40");
        alarm.alarmDate = QDate(2026, 12, 7);
        alarm.snoozeMinutes = QStringLiteral("5");
        m_folder->write(QStringLiteral("als"), formatAlarmLine(alarm, QLocale()).toUtf8() + "\r\n");
        m_folder->write(QStringLiteral("conf"), conf(shown, "", false, true));
        m_program.emplace(*m_folder, true, painter);
        QVERIFY(m_program->program.startprogram());
        QTRY_COMPARE(m_program->digits.drawing, painter && shown);
        tickAt(tick);
        const std::optional<qint64> expected =
            skipTo.isValid()
                ? std::optional(QDateTime(QDate(2026, 12, 7), skipTo).toSecsSinceEpoch())
                : std::nullopt;
        QCOMPARE(m_program->ticks.skippingUntil, expected);
        m_program->program.engine().alarmsChanged();
        QCOMPARE(m_program->ticks.skippingUntil, std::nullopt);
    }

    // The painter draws into the clock window where the window would paint
    // each digit, with the window's time format and local time.
    void painterFollowsTheWindow()
    {
        m_folder->write(QStringLiteral("conf"), conf(true, "", false, false));
        m_program.emplace(*m_folder, true, true);
        QVERIFY(m_program->program.startprogram());
        const RecordingPainter &painter = m_program->digits;
        const LedClock *display = form()->display();
        QTRY_COMPARE(painter.scene.window, form()->winId());
        for (int digit = 0; digit < LedLayout::DigitCount; ++digit) {
            const QRect place = twipsToPixels(display->layout().digits[digit])
                                    .toAlignedRect()
                                    .translated(display->pos());
            QCOMPARE(painter.scene.places[digit], place);
        }
        const QDateTime now = m_program->clock.now();
        QCOMPARE(painter.rule.offsetSeconds, now.offsetFromUtc());
        QVERIFY(!painter.rule.twentyFourHour);
        m_program->program.tray()->hideshow()->trigger();
        QVERIFY(!painter.drawing);
        m_program->program.tray()->hideshow()->trigger();
        QTRY_VERIFY(painter.drawing);
        options()->showOptions();
        QVERIFY(setChecked(options(), "hour24", true));
        QVERIFY(click(options(), "Command3"));
        QVERIFY(painter.rule.twentyFourHour);
    }

    // Cancel keeps what the dialog shows for the next OK, which saves it and
    // applies the time format at once (the size: the end-to-end run).
    void optionsDialog()
    {
        start();
        m_program->clock.set(QTime(13, 5, 9));
        options()->showOptions();
        m_program->dialogs.fileAnswers = QStringList{QStringLiteral("/music/gong.mp3")};
        QVERIFY(click(options(), "Command1"));
        QCOMPARE(m_program->dialogs.fileFilters, QStringList{kMediaFileFilter});
        QCOMPARE(m_program->program.bas().dialogSettings().chimeFile, "/music/gong.mp3");
        QVERIFY(setChecked(options(), "hour24", true));
        QVERIFY(click(options(), "Command4"));
        QVERIFY(!options()->isVisible());
        QCOMPARE(m_folder->read(QStringLiteral("conf")), conf(true, "", false, false));
        QVERIFY(click(options(), "Command3"));
        const QByteArray saved = "True\r\n/music/gong.mp3\r\n0\r\n1\r\n0\r\n";
        QCOMPARE(m_folder->read(QStringLiteral("conf")), saved);
        QCOMPARE(form()->display()->shownDigits(), (Digits{1, 3, 0, 5, 0, 9}));
        QVERIFY(m_program->dialogs.messages.isEmpty());
    }

    // Escape is Cancel, and Return presses the button that has the focus.
    void optionsKeys_data()
    {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Escape in the size list")
            << "comsizepercent" << int(Qt::Key_Escape) << false;
        QTest::newRow("Return on OK") << "Command3" << int(Qt::Key_Return) << true;
    }
    void optionsKeys()
    {
        QFETCH(QString, focused);
        QFETCH(int, key);
        start();
        options()->showOptions();
        QVERIFY(QTest::qWaitForWindowActive(options()));
        QVERIFY(setChecked(options(), "hour24", true));
        QWidget *control = options()->findChild<QWidget *>(focused);
        QVERIFY(control);
        control->setFocus();
        QTest::keyClick(options()->windowHandle(), Qt::Key(key));
        QVERIFY(!options()->isVisible());
        QTEST(m_folder->read(QStringLiteral("conf")) != conf(true, "", false, false), "saved");
    }

    // Without a notification area the clock cannot be hidden, and the menu
    // says why; a tray that comes gives the item back its caption, and the
    // icon has its tip.
    void hideTimeWithoutTray()
    {
        m_program.emplace(*m_folder, false);
        QVERIFY(m_program->program.startprogram());
        const QAction *item = m_program->program.tray()->hideshow();
        QVERIFY(!item->isEnabled());
        QVERIFY(item->text().startsWith("Hide Time (no notification area"));
        m_program->program.setTrayAvailable(true);
        QVERIFY(item->isEnabled());
        QCOMPARE(item->text(), "Hide Time");
        QCOMPARE(m_program->program.tray()->trayIcon()->toolTip(), "Right Click For Popup");
    }

    // The clock's place is kept across starts, where the user dragged it; a
    // place that no screen holds whole now (a monitor gone) gives the top centre.
    void placeKept_data()
    {
        QTest::addColumn<bool>("offScreen");
        QTest::newRow("dragged, then a new start") << false;
        QTest::newRow("off every screen") << true;
    }
    void placeKept()
    {
        QFETCH(bool, offScreen);
        start();
        const QPoint topCentre = form()->pos();
        QTest::mousePress(form()->display(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseMove(form()->display(), QPoint(80, 140));
        QTest::mouseRelease(form()->display(), Qt::LeftButton, {}, QPoint(80, 140));
        const QPoint dragged = form()->pos();
        QVERIFY(dragged.y() > topCentre.y());
        m_program->program.endOnRequest();
        m_program.reset();
        if (offScreen) {
            QByteArray state = m_folder->read(QStringLiteral("state"));
            state.replace(QByteArray("place ").append(QByteArray::number(dragged.x())),
                          "place 5000");
            m_folder->write(QStringLiteral("state"), state);
        }
        start();
        QCOMPARE(form()->pos(), offScreen ? topCentre : dragged);
    }

    // A save over a file edited by hand since it was read keeps the edit
    // beside it and says where.
    void handEditsAreKept_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("settings") << "conf";
        QTest::newRow("alarms") << "als";
    }
    void handEditsAreKept()
    {
        QFETCH(QString, file);
        start();
        const QByteArray byHand = "True\r\n";
        m_folder->write(file, byHand);
        if (file == "conf")
            QVERIFY(click(options(), "Command3"));
        else
            QVERIFY(m_program->program.bas().savealarms());
        const QStringList backups = QDir(m_folder->dir.path()).entryList({file + "-*.bak"});
        QCOMPARE(backups.size(), 1);
        QCOMPARE(m_folder->read(backups[0]), byHand);
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        const QString &message = m_program->dialogs.messages[0];
        QVERIFY(
            message.startsWith(QDir::toNativeSeparators(m_folder->file(file)) + " was changed"));
        QVERIFY(message.contains(QDir::toNativeSeparators(m_folder->file(backups[0]))));
    }

    // A file that cannot be read is told of by its name and never written over.
    void unreadableFilesAreLeftAlone_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("told");
        QTest::newRow("settings") << "conf"
                                  << "The settings file %1 could not be read (it is a "
                                     "folder, not a file), so the settings in effect";
        QTest::newRow("alarms") << "als"
                                << "The alarm file %1 could not be read (it is a "
                                   "folder, not a file), so no alarms were loaded.";
    }
    void unreadableFilesAreLeftAlone()
    {
        QFETCH(QString, file);
        QFETCH(QString, told);
        const QString path = m_folder->file(file);
        QVERIFY(QFile::remove(path) && QDir().mkdir(path));
        m_program.emplace(*m_folder);
        QVERIFY(m_program->program.startprogram());
        if (file == "conf")
            QVERIFY(click(options(), "Command3"));
        else
            QVERIFY(!m_program->program.bas().savealarms());
        QVERIFY(QFileInfo(path).isDir());
        const QStringList &messages = m_program->dialogs.messages;
        QCOMPARE(messages.size(), 2);
        QVERIFY2(messages[0].startsWith(told.arg(QDir::toNativeSeparators(path))),
                 qPrintable(messages[0]));
        QVERIFY(messages[1].contains(QDir::toNativeSeparators(path) + ": it is a folder"));
    }

#ifdef Q_OS_UNIX // a full disk is a file size limit here
    // A change the alarm file cannot take stays in the table and the list,
    // marked, and every later save writes it, the last as the program ends;
    // when that fails too the user is told what is lost, and the next start
    // finds the file as it was.
    void unsavedChangesStayUntilTheEnd_data()
    {
        QTest::addColumn<int>("failedSaves"); // of three: the add, the delete, the end
        QTest::addColumn<QString>("restarted");
        const QString saved = QStringLiteral("Second|Alarm mes\u2026");
        QTest::newRow("saved at once") << 0 << saved;
        QTest::newRow("saved with the next change") << 1 << saved;
        QTest::newRow("saved at the end") << 2 << saved;
        QTest::newRow("lost at the end, and told") << 3 << QStringLiteral("First|Second");
    }
    void unsavedChangesStayUntilTheEnd()
    {
        QFETCH(int, failedSaves);
        const QString als = QDir::toNativeSeparators(m_folder->file(QStringLiteral("als")));
        QByteArray lines;
        AlarmRecord alarm;
        for (const char *message : {"First", "Second"}) {
            alarm.message = QString::fromLatin1(message);
            lines += formatAlarmLine(alarm, QLocale()).toUtf8() + "\r\n";
        }
        m_folder->write(QStringLiteral("als"), lines);
        start();
        frmalarms *list = &m_program->program.alarmList();
        const auto marked = [failedSaves](int save) -> QString {
            return QStringLiteral("Alarm mes\u2026") + (failedSaves > save ? kNotSavedMark : "");
        };
        std::optional<FileSizeLimit> fullDisk;
        if (failedSaves > 0)
            QVERIFY(fullDisk.emplace(16).active());
        QVERIFY(click(list, "Cmdadd") && click(editor(), "Command1"));
        QCOMPARE(rows(list), "First|Second|" + marked(0));
        if (failedSaves == 1)
            fullDisk.reset();
        auto *lv = control<QTreeWidget>(list, "LV");
        lv->setCurrentItem(lv->topLevelItem(0));
        QVERIFY(click(list, "Command3"));
        QCOMPARE(rows(list), "Second|" + marked(1));
        const QLabel *note = control<QLabel>(list, "unsavedNote");
        QCOMPARE(note->isVisibleTo(list), failedSaves > 1);
        QVERIFY(failedSaves < 2 ||
                (note->text().contains(als) && note->text().contains("\"First\" (deleted)")));
        if (failedSaves == 2)
            fullDisk.reset();
        // Exit from the menu: the user is there to be told.
        QAction *exit = nullptr;
        for (QAction *action : m_program->program.tray()->mPopupSys()->actions())
            exit = action->objectName() == "Exit" ? action : exit;
        QVERIFY(exit);
        exit->trigger();
        fullDisk.reset();
        QCOMPARE(m_program->end.requests, 1);
        const QStringList &messages = m_program->dialogs.messages;
        QCOMPARE(messages.size(), failedSaves);
        for (const QString &message : messages)
            QVERIFY(message.startsWith("The alarms could not be saved.\n" + als + ": "));
        QVERIFY(failedSaves < 3 || messages.last().contains("lost as Tockaro ends: \"Alarm "
                                                            "mes\u2026\" (new), \"First\" "
                                                            "(deleted)."));
        m_program.reset();
        m_program.emplace(*m_folder);
        QVERIFY(m_program->program.startprogram());
        QTEST(rows(&m_program->program.alarmList()), "restarted");
    }
#endif

private:
    void start()
    {
        m_program.emplace(*m_folder);
        QVERIFY(m_program->program.startprogram());
        QVERIFY(QTest::qWaitForWindowExposed(form()));
    }
    void tickAt(QTime time, QDate date = QDate(2026, 12, 7))
    {
        m_program->clock.set(time, date);
        m_program->ticks.fire();
    }
    // The alarm editor while it is open, else null.
    static frmaaddalarm *editor()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<frmaaddalarm *>(window))
                return found;
        }
        return nullptr;
    }
    // The "Alarm" column of the list, row after row.
    static QString rows(const frmalarms *list)
    {
        const auto *lv = control<QTreeWidget>(list, "LV");
        QStringList texts;
        for (int row = 0; lv && row < lv->topLevelItemCount(); ++row)
            texts.append(lv->topLevelItem(row)->text(0));
        return texts.join(u'|');
    }
    QString chime() const
    {
        return m_folder->file(QStringLiteral("Sounds/bells.wav"));
    }
    BigCForm *form() const
    {
        return m_program->program.form();
    }
    frmoptions *options()
    {
        return &m_program->program.options();
    }

    std::optional<ProgramFolder> m_folder{std::in_place};
    std::optional<TestProgram> m_program;
};

QTEST_MAIN(TestClockWindow)
#include "tst_clockwindow.moc"
