// The clock window and the windows it opens, on a test folder with a fake clock and hand ticks.

#include "alarms/alarmlistrows.h"
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

#include <QAction>
#include <QLabel>
#include <QPaintEvent>
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

    // A damaged folder or a second copy ends the program with no window, the damage found first.
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

    // Every second only for digits the window paints or a ringing alarm, else to the next minute,
    // the next sound to ready or its second; a change of the alarms brings every second back.
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
        m_folder->write(QStringLiteral("als"), alarmLines({dailyAlarm("Up", "07:00:40")}));
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

    // The painter draws where the window would paint each digit, in its time format and zone.
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

    // The chime follows the dialog, OK or not; Escape cancels, keeping what it shows; Return
    // presses the focused OK, which saves and applies the time format at once.
    void optionsDialog()
    {
        start();
        const auto press = [this](const char *focused, Qt::Key key) {
            options()->showOptions();
            QVERIFY(QTest::qWaitForWindowActive(options()));
            auto *control = options()->findChild<QWidget *>(focused);
            QVERIFY(control);
            control->setFocus();
            QTest::keyClick(options()->windowHandle(), key);
            QVERIFY(!options()->isVisible());
        };
        m_program->dialogs.fileAnswers = QStringList{QStringLiteral("/music/gong.mp3")};
        QVERIFY(click(options(), "Command1"));
        QCOMPARE(m_program->dialogs.fileFilters, QStringList{kMediaFileFilter});
        tickAt(QTime(7, 0));
        QVERIFY(setChecked(options(), "Check2", true) && setChecked(options(), "hour24", true));
        tickAt(QTime(8, 0));
        QCOMPARE(int(m_program->engines.scripts.size()), 1);
        QCOMPARE(m_program->engines.scripts[0].opened, "/music/gong.mp3");
        press("comsizepercent", Qt::Key_Escape);
        QCOMPARE(m_folder->read(QStringLiteral("conf")), conf(true, "", false, false));
        m_program->clock.set(QTime(13, 5, 9));
        press("Command3", Qt::Key_Return);
        QCOMPARE(m_folder->read(QStringLiteral("conf")),
                 "True\r\n/music/gong.mp3\r\n1\r\n1\r\n0\r\n");
        QCOMPARE(form()->display()->shownDigits(), (Digits{1, 3, 0, 5, 0, 9}));
        QVERIFY(m_program->dialogs.messages.isEmpty());
    }

    // Without a tray the menu says why the clock cannot hide; a tray that comes gives it back.
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

    // The dragged place is kept across starts; one no screen holds whole gives the top centre.
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

    // A save over a hand edit keeps it beside the file and says where; a file that cannot be
    // read is named at the start and never written over.
    void filesNamedAndKept_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("told"); // after the file's name in the first message
        const QString folder = QStringLiteral(" could not be read (it is a folder, not a file)");
        QTest::newRow("settings edited by hand") << "conf" << false << " was changed";
        QTest::newRow("alarms edited by hand") << "als" << false << " was changed";
        QTest::newRow("settings unreadable") << "conf" << true << folder;
        QTest::newRow("alarms unreadable") << "als" << true << folder;
    }
    void filesNamedAndKept()
    {
        QFETCH(QString, file);
        QFETCH(bool, unreadable);
        QFETCH(QString, told);
        const QString path = m_folder->file(file), shown = QDir::toNativeSeparators(path);
        QVERIFY(!unreadable || (QFile::remove(path) && QDir().mkdir(path)));
        m_program.emplace(*m_folder);
        QVERIFY(m_program->program.startprogram());
        if (!unreadable)
            m_folder->write(file, "True\r\n");
        if (file == "conf")
            QVERIFY(click(options(), "Command3"));
        else
            QCOMPARE(m_program->program.bas().savealarms(), !unreadable);
        const QStringList &messages = m_program->dialogs.messages;
        QCOMPARE(messages.size(), unreadable ? 2 : 1);
        QVERIFY2(messages[0].contains(shown + told), qPrintable(messages[0]));
        const QStringList backups = QDir(m_folder->dir.path()).entryList({file + "-*.bak"});
        if (unreadable) {
            QVERIFY(QFileInfo(path).isDir() && messages[1].contains(shown + ": it is a folder"));
        } else {
            QVERIFY(backups.size() == 1 && m_folder->read(backups[0]) == "True\r\n");
            QVERIFY(messages[0].contains(QDir::toNativeSeparators(m_folder->file(backups[0]))));
        }
    }

#ifdef Q_OS_UNIX // a full disk is a file size limit here
    // An unsaved change stays marked and every later save, the last at the end, writes it; when
    // that fails too the user is told what is lost, and the next start finds the file as it was.
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
        m_folder->write(QStringLiteral("als"), alarmLines({dailyAlarm("First", "09:00:00"),
                                                           dailyAlarm("Second", "09:00:00")}));
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
        QVERIFY(failedSaves < 2 || note->text().contains(als));
        if (failedSaves == 2)
            fullDisk.reset();
        // Exit from the menu: the user is there to be told.
        auto *exit = control<QAction>(m_program->program.tray(), "Exit");
        QVERIFY(exit);
        exit->trigger();
        fullDisk.reset();
        QCOMPARE(m_program->end.requests, 1);
        const QStringList &messages = m_program->dialogs.messages;
        QCOMPARE(messages.size(), failedSaves);
        for (const QString &message : messages)
            QVERIFY(message.startsWith("The alarms could not be saved.\n" + als + ": "));
        QVERIFY(failedSaves < 3 || messages.last().contains("lost as Tockaro ends"));
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
    static frmaaddalarm *editor()
    {
        return openWindow<frmaaddalarm>();
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
