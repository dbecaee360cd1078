// The alarm editor and its play list panel, driven through the alarm list over a table in memory.

#include "alarms/alarmfile.h"
#include "alarms/alarmstore.h"
#include "alarms/frmaaddalarm.h"
#include "alarms/frmalarms.h"
#include "alarms/playlistpanel.h"
#include "playback/mediafilter.h"
#include "playback/playlisttext.h"
#include "settings/conffile.h"
#include "testseams.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <QtWidgets>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(7, 30, 15));

class MemoryStore final : public AlarmStore {
public:
    const AlarmSlots &alarms() const override { return table; }
    int alarmCount() const override { return count; }
    void deleteAlarm(int slot) override { removeAlarmRecord(table, count, slot); }
    void storeAlarm(int slot, const AlarmRecord &r) override
    {
        storeAlarmRecord(table, count, slot, r);
    }
    bool savealarms() override { return ++saves; }
    const UnsavedAlarms &unsaved() const override { return none; }
    bool isEditorOpen() const override { return open; }
    void setEditorOpen(bool value) override { open = value; }
    AlarmSlots table{};
    UnsavedAlarms none;
    int count = 0, saves = 0;
    bool open = false;
};

// Every field away from the editor's defaults and from the field it could be mistaken for.
AlarmRecord everyField(const QString &message = QStringLiteral("Pack the car"))
{
    return *parseAlarmLine(
        QString(QStringLiteral("2027-03-04[1*1]1010101[1*1]1[1*1]0[1*1]12[1*1]5[1*1]") + message +
                QStringLiteral("[1*1]/m/a.mp3[2*2]C:\\m\\b.wav[2*2][1*1]1[1*1]9"
                               "[1*1]07:05:09 PM[1*1]42[1*1]0[1*1]7")),
        QLocale::c(), 2026);
}

void clickRow(QTreeWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(row)).center());
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

    FakeClock m_clock;
    RecordingDialogs m_dialogs;
    MemoryStore m_store;
    Settings m_settings;
    std::unique_ptr<frmalarms> m_list;

    static frmaaddalarm *editor() { return openWindow<frmaaddalarm>(); }
    // A control of the open editor; null, and said, when there is none.
    template <typename T> T *in(const char *name) { return control<T>(editor(), name); }
    // Presses a button of the list; whether the editor came up in front.
    [[nodiscard]] bool press(const char *button)
    {
        return click(m_list.get(), button) && editor() && QTest::qWaitForWindowActive(editor());
    }
    QTreeWidget *shownList(const QStringList &messages)
    {
        for (const QString &message : messages)
            storeAlarmRecord(m_store.table, m_store.count, m_store.count + 1, everyField(message));
        m_list->listalarms();
        m_list->show();
        return m_list->findChild<QTreeWidget *>("LV");
    }
    // Clicks a minute or time box `at` characters in, as the user does.
    void clickText(QAbstractSpinBox *box, int at)
    {
        auto *text = box->findChild<QLineEdit *>();
        int x = 0;
        while (x < text->width() && text->cursorPositionAt({x, text->height() / 2}) < at)
            ++x;
        QTest::mouseClick(text, Qt::LeftButton, {}, {x, text->height() / 2});
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_store = MemoryStore{};
        m_clock.at = kNow;
        m_dialogs = RecordingDialogs{};
        m_settings.twentyFourHour = false;
        m_list = std::make_unique<frmalarms>(m_store, m_dialogs, m_clock, m_settings);
    }

    // The frame follows the frequency; Return in the message box, where the editor opens, is OK.
    void addAndOk_data()
    {
        QTest::addColumn<bool>("changed"); // every frequency gone through, three lines typed
        QTest::newRow("a new alarm accepted unchanged") << false;
        QTest::newRow("every frequency's frame; three lines stored on one") << true;
    }
    void addAndOk()
    {
        QFETCH(bool, changed);
        // Caption | day boxes usable | date picker usable | date, time patterns.
        const QStringList frames{"Time, date:|0|1|M/d/yyyy|hh:mm:ss AP",
                                 "Minute, second:|0|0|M/d/yyyy|mm:ss",
                                 "Time:|0|0|M/d/yyyy|hh:mm:ss AP",
                                 "Time, days of week|1|0|M/d/yyyy|hh:mm:ss AP",
                                 "Time, day:|0|1|dd|hh:mm:ss AP",
                                 "Time, month and day:|0|1|MMMM - dd|hh:mm:ss AP"};
        QVERIFY(press("Cmdadd"));
        QCOMPARE(QApplication::focusWidget(), in<QWidget>("Text1"));
        const auto frame = [this] {
            return QStringList{in<QGroupBox>("Frame1")->title(),
                               QString::number(in<QCheckBox>("weekdays2")->isEnabled()),
                               QString::number(in<QDateEdit>("DTPicker1")->isEnabled()),
                               in<QDateEdit>("DTPicker1")->displayFormat(),
                               in<QTimeEdit>("timepicker")->displayFormat()}
                .join(u'|');
        };
        QCOMPARE(frame(), frames[AlarmFrequency::Weekly]);
        for (int frequency = 0; changed && frequency < frames.size(); ++frequency) {
            in<QComboBox>("combofreq")->setCurrentIndex(frequency);
            Q_EMIT in<QComboBox>("combofreq")->activated(frequency);
            QCOMPARE(frame(), frames[frequency]);
        }
        if (changed)
            in<QPlainTextEdit>("Text1")->setPlainText("a\nb\r\nc");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!editor());
        QVERIFY(!m_store.open && m_store.count == 1 && m_store.saves == 1);
        const AlarmRecord &r = m_store.table[1];
        QCOMPARE(r.message, changed ? "a b c" : "Alarm message...");
        QCOMPARE(r.frequency, changed ? AlarmFrequency::Yearly : AlarmFrequency::Weekly);
        QVERIFY(r.timeText == "07:30:15 AM" && r.alarmDate == kNow.date());
    }

    // The editor keeps what it does not show; its volume is `spare` in percent, written only
    // when moved, so a `spare` of 0 or of no volume stays byte for byte.
    void volume_data()
    {
        QTest::addColumn<int>("spare");
        QTest::addColumn<int>("pageDowns");
        QTest::addColumn<bool>("twentyFourHour");
        QTest::addColumn<int>("shown"); // opened again after OK
        QTest::addColumn<int>("stored");
        QTest::newRow("0, as every file so far: full, unchanged") << 0 << 0 << false << 100 << 0;
        QTest::newRow("above full, no volume: full, unchanged") << 42 << 0 << false << 100 << 42;
        QTest::newRow("full moved to half") << 0 << 5 << false << 50 << -602;
        QTest::newRow("24-hour setting: only the time text") << 42 << 0 << true << 100 << 42;
    }
    void volume()
    {
        QFETCH(int, spare);
        QFETCH(int, pageDowns);
        QFETCH(bool, twentyFourHour);
        QFETCH(int, stored);
        m_settings.twentyFourHour = twentyFourHour;
        QTreeWidget *lv = shownList({"Pack the car"});
        m_store.table[1].spare = spare;
        AlarmRecord expected = m_store.table[1];
        expected.spare = stored;
        expected.timeText = twentyFourHour ? "19:05:09" : expected.timeText;
        clickRow(lv, 0);
        QVERIFY(press("Command2") && in<QSlider>("sldvolume"));
        for (int step = 0; step < pageDowns; ++step)
            QTest::keyClick(in<QSlider>("sldvolume"), Qt::Key_PageDown);
        QVERIFY(click(editor(), "Command1"));
        QTRY_VERIFY(!editor());
        QCOMPARE(formatAlarmLine(m_store.table[1], QLocale()),
                 formatAlarmLine(expected, QLocale()));
        QVERIFY(press("Command2"));
        QTEST(in<QSlider>("sldvolume")->value(), "shown");
        QCOMPARE(in<QLabel>("lblvolume")->text(),
                 QStringLiteral("%1 %").arg(in<QSlider>("sldvolume")->value()));
    }

    // A click selects a minute box's number, or the time's hour, for typing over.
    void minuteBox_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const auto row = [](const char *name, const char *box, const char *typed,
                            const char *stored) {
            QTest::newRow(name) << box << typed << stored;
        };
        row("5 typed over 15", "txtsnoozetimer", "5", "5");
        row("-1 gives 1, not 11", "txtsnoozetimer", "-1", "1");
        row("75 stops at 7: above 59 is refused", "txtsnoozetimer", "75", "7");
        row("09 typed over the hour 07", "timepicker", "09", "09:30:15 AM");
    }
    void minuteBox()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QVERIFY(press("Cmdadd"));
        const bool time = box == "timepicker";
        in<QTabWidget>("XTab1")->setCurrentIndex(time ? 0 : 2);
        auto *edit = in<QAbstractSpinBox>(qPrintable(box));
        QVERIFY(edit);
        clickText(edit, 1);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(edit));
        QTest::keyClicks(edit, typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!editor());
        QTEST(time ? m_store.table[1].timeText : m_store.table[1].snoozeMinutes, "stored");
    }

    // OK on an alarm that can never ring says why and keeps the editor open on its first page.
    void neverRings()
    {
        QVERIFY(press("Cmdadd"));
        in<QComboBox>("combofreq")->setCurrentIndex(AlarmFrequency::FixedDate);
        in<QTabWidget>("XTab1")->setCurrentIndex(2);
        QVERIFY(click(editor(), "Command1")); // at the present second, which has passed
        in<QComboBox>("combofreq")->setCurrentIndex(AlarmFrequency::Weekly);
        for (int day = 1; day <= 5; ++day)
            QVERIFY(setChecked(editor(), qPrintable(QStringLiteral("weekdays%1").arg(day)), false));
        QVERIFY(click(editor(), "Command1"));
        QCOMPARE(m_dialogs.messages.size(), 2);
        QVERIFY(m_dialogs.messages[0].contains("passed") &&
                m_dialogs.messages[1].contains("no day"));
        QVERIFY(editor() && editor()->isVisible() && m_store.count == 0);
        QCOMPARE(in<QTabWidget>("XTab1")->currentIndex(), 0);
        QVERIFY(setChecked(editor(), "weekdays0", true));
        QVERIFY(click(editor(), "Command1"));
        QTRY_VERIFY(!editor());
        QCOMPARE(m_store.table[1].dayFlags, "1000000");
    }

    void refusals()
    {
        QTreeWidget *lv = shownList({"Pack the car"});
        clickRow(lv, 0);
        QVERIFY(press("Cmdadd"));
        QPointer<frmaaddalarm> opened = editor();
        // Add, Edit and a double-click bring the open editor to the front; a full list refuses Add.
        for (const QByteArray action : {"Cmdadd", "Command2", "double-click"}) {
            m_list->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), m_list.get());
            if (action == "double-click")
                QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {},
                                   lv->visualItemRect(lv->topLevelItem(0)).center());
            else
                QVERIFY(click(m_list.get(), action));
            QTRY_COMPARE(QApplication::activeWindow(), opened.data());
        }
        QVERIFY(click(m_list.get(), "Command3"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!opened);
        QVERIFY(!m_store.open && m_store.count == 1 && m_store.saves == 0);

        for (int slot = 2; slot <= kMaxAlarms; ++slot)
            storeAlarmRecord(m_store.table, m_store.count, slot, everyField());
        QVERIFY(click(m_list.get(), "Cmdadd"));
        QVERIFY(!editor() && !m_store.open && m_store.saves == 0);
        QVERIFY(m_dialogs.messages.size() == 1 && m_dialogs.messages[0].contains("full"));
    }

    // Return edits and Delete deletes the selected alarm; the selection stays, or goes to the next.
    void listKeys()
    {
        QTreeWidget *lv = shownList({"Pack the car and go", "Bake", "Call"});
        const auto selected = [lv] {
            return lv->currentItem() ? lv->currentItem()->text(0) : "";
        };
        QAccessibleInterface *cell =
            QAccessible::queryAccessibleInterface(lv)->tableInterface()->cellAt(0, 0);
        QCOMPARE(cell->text(QAccessible::Name), "Pack the car and go");
        QVERIFY(QTest::qWaitForWindowActive(m_list.get()));
        clickRow(lv, 1);
        QTest::keyClick(lv, Qt::Key_Return);
        QTRY_VERIFY(editor());
        QCOMPARE(in<QPlainTextEdit>("Text1")->toPlainText(), "Bake");
        QVERIFY(click(editor(), "Command1"));
        QTRY_VERIFY(!editor());
        QCOMPARE(selected(), "Bake");
        m_list->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), m_list.get());
        QTest::keyClick(lv, Qt::Key_Delete);
        QCOMPARE(selected(), "Call");
        QTest::keyClick(lv, Qt::Key_Delete);
        QCOMPARE(selected(), "Pack the \u2026");
        QCOMPARE(m_store.count, 1);
    }

    // Return presses the list's button that has the focus, as Space does.
    void buttonsAnswerReturn_data()
    {
        QTest::addColumn<QStringList>("buttonAndAfter");
        QTest::newRow("Add") << QStringList{"Cmdadd", "editor open"};
        QTest::newRow("Delete") << QStringList{"Command3", "1 row"};
        QTest::newRow("Close") << QStringList{"Command1", "list hidden"};
    }
    void buttonsAnswerReturn()
    {
        QFETCH(QStringList, buttonAndAfter);
        QTreeWidget *lv = shownList({"Bake", "Call"});
        QVERIFY(QTest::qWaitForWindowActive(m_list.get()));
        clickRow(lv, 0);
        auto *focused = control<QPushButton>(m_list.get(), qPrintable(buttonAndAfter[0]));
        QVERIFY(focused);
        focused->setFocus();
        QTest::keyClick(m_list->windowHandle(), Qt::Key_Return);
        QCOMPARE(editor()               ? QStringLiteral("editor open")
                 : !m_list->isVisible() ? QStringLiteral("list hidden")
                                        : QStringLiteral("%1 row").arg(lv->topLevelItemCount()),
                 buttonAndAfter[1]);
    }

    // Where the screen has room the pages open whole (on a small one they scroll: tst_display);
    // Ctrl+Tab and Ctrl+Shift+Tab (Backtab) turn them from the time field, which takes Tab.
    void pages()
    {
        QVERIFY(press("Cmdadd"));
        auto *pages = in<QTabWidget>("XTab1");
        auto *time = in<QWidget>("timepicker");
        QVERIFY(pages && time);
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            auto *area = qobject_cast<QScrollArea *>(pages->currentWidget());
            QVERIFY(area);
            QTRY_VERIFY(area->height() >= area->widget()->sizeHint().height());
        }
        for (const auto &[back, turnedTo] : {std::pair{true, 2}, std::pair{false, 1}}) {
            pages->setCurrentIndex(0);
            time->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), time);
            QTest::keyClick(editor()->windowHandle(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                            back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            QCOMPARE(pages->currentIndex(), turnedTo);
        }
    }

    // Play plays the sound shown; choosing one ticks the sound over the play list; OK stores it.
    void soundTab()
    {
        QSignalSpy played(m_list.get(), &frmalarms::soundPlayRequested);
        QVERIFY(press("Cmdadd"));
        auto *sounds = in<QComboBox>("cmbsoundlist");
        QVERIFY(sounds && !in<QRadioButton>("Option2")->isChecked() && click(editor(), "Command8"));
        sounds->setCurrentIndex(7);
        Q_EMIT sounds->activated(7);
        QVERIFY(in<QRadioButton>("Option2")->isChecked() && click(editor(), "Command8"));
        QVERIFY(played.size() == 2 && played[0][0] == 0 && played[1][0] == 7);
        QVERIFY(click(editor(), "Command1"));
        QTRY_VERIFY(!editor());
        QVERIFY(m_store.table[1].playMedia == 0 && m_store.table[1].soundIndex == 7);
    }

    void playlist_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("playlist");
        QTest::addColumn<QString>("played");
        const auto row = [](const char *name, const QStringList &answers, int row,
                            const char *button, const char *names, const char *playlist,
                            const char *played = "") {
            QTest::newRow(name) << answers << row << QString(button) << QString(names)
                                << QString(playlist) << QString(played);
        };
        const QStringList abc{"a", "/m/b", "c"};
        row("with and without a separator", {"/m/a.mp3", "b.wav", "C:\\m\\c.mid"}, -1, "",
            "a.mp3 b.wav c.mid", "/m/a.mp3[2*2]b.wav[2*2]C:\\m\\c.mid[2*2]");
        row("cancelled dialog adds nothing", {"a", ""}, -1, "", "a", "a[2*2]");
        row("separator in the path refused", {"/m/x[2*2]y.mp3"}, -1, "", "", "");
        row("Delete the chosen", abc, 1, "Command4", "a c", "a[2*2]c[2*2]");
        row("Up the chosen", abc, 1, "Command5", "b a c", "/m/b[2*2]a[2*2]c[2*2]");
        row("Down the chosen", abc, 1, "Command6", "a c b", "a[2*2]c[2*2]/m/b[2*2]");
        row("Play the chosen", abc, 1, "Command7", "a b c", "a[2*2]/m/b[2*2]c[2*2]", "/m/b");
        row("Up on the first", abc, 0, "Command5", "a b c", "a[2*2]/m/b[2*2]c[2*2]");
        row("Down on the last", abc, 2, "Command6", "a b c", "a[2*2]/m/b[2*2]c[2*2]");
    }

    void playlist()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, row);
        QFETCH(QString, button);
        PlaylistPanel panel(m_dialogs);
        panel.show();
        QSignalSpy played(&panel, &PlaylistPanel::playRequested);
        m_dialogs.fileAnswers = answers;
        for (qsizetype n = answers.size(); n > 0; --n)
            QVERIFY(click(&panel, "Command3"));
        QCOMPARE(toFileDialogFilter(m_dialogs.fileFilters.first()),
                 "Music Files (*.wav *.wma *.cda *.mid *.midi *.mp3 *.ogg *.oga *.opus *.flac "
                 "*.m4a *.aac);;Video Files (*.avi *.mpg *.dat *.mov *.flv *.mp4 *.m4v *.mkv "
                 "*.webm);;All files (*)");
        QCOMPARE(m_dialogs.messages.size(), answers.first().contains("[2*2]") ? 1 : 0);
        auto *lv2 = panel.findChild<QTreeWidget *>("LV2");
        if (row >= 0)
            clickRow(lv2, row);
        if (!button.isEmpty())
            QVERIFY(click(&panel, button.toLatin1()));
        QStringList shown;
        for (int n = 0; n < lv2->topLevelItemCount(); ++n)
            shown.append(lv2->topLevelItem(n)->text(0));
        QTEST(shown.join(u' '), "names");
        QTEST(createplaylist(panel.paths()), "playlist");
        QTEST(played.value(0).value(0).toString(), "played");
        // What rings instead is said next to an empty list only.
        QCOMPARE(panel.findChild<QLabel *>("emptyNote")->isVisible(), shown.isEmpty());
    }

    // In a file at its limit a new alarm is refused, while an unchanged edit (counted once) saves.
    void fileAtItsLimit_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("saved");
        QTest::newRow("a new alarm is refused") << QByteArray("Cmdadd") << false;
        QTest::newRow("an unchanged edit saves") << QByteArray("Command2") << true;
    }
    void fileAtItsLimit()
    {
        QFETCH(QByteArray, button);
        QFETCH(bool, saved);
        QTreeWidget *list = shownList({QStringLiteral("Pack the car")});
        AlarmRecord huge = everyField(QString());
        huge.message = QString(
            alarmFileRoom(m_store.table, 1, 2, QLocale()) - alarmLineBytes(huge, QLocale()), u'x');
        storeAlarmRecord(m_store.table, m_store.count, 2, huge);
        QCOMPARE(alarmFileBytes(m_store.table, 2, QLocale()).size(), kMaxAlarmFileBytes);
        m_list->listalarms();
        clickRow(list, 0);
        QVERIFY(press(button.constData()));
        QVERIFY(click(editor(), "Command1"));
        QCOMPARE(m_store.saves, saved ? 1 : 0);
        QTRY_COMPARE(!editor(), saved);
        QCOMPARE(m_dialogs.messages.size(), saved ? 0 : 1);
        QVERIFY(saved || m_dialogs.messages[0].contains("too long"));
        QCOMPARE(m_store.count, 2);
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
