// The alarm editor and its play list panel, driven through the alarm list over a
// table in memory.

#include "alarms/alarmfile.h"
#include "alarms/alarmstore.h"
#include "alarms/frmaaddalarm.h"
#include "alarms/frmalarms.h"
#include "alarms/playlistpanel.h"
#include "playback/playlisttext.h"
#include "settings/conffile.h"
#include "testseams.h"

#include <QTest>
#include <QtWidgets>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(7, 30, 15));

class MemoryStore final : public AlarmStore {
public:
    const AlarmSlots &alarms() const override { return table; }
    int alarmCount() const override { return count; }
    void deleteAlarm(int) override { ++deletes; }
    void storeAlarm(int slot, const AlarmRecord &r) override
    {
        storeAlarmRecord(table, count, slot, r);
    }
    bool savealarms() override { return ++saves; }
    bool isEditorOpen() const override { return open; }
    void setEditorOpen(bool value) override { open = value; }
    AlarmSlots table{};
    int count = 0, saves = 0, deletes = 0;
    bool open = false;
};

// An alarm as the file holds it, every field away from the editor's defaults.
AlarmRecord everyField()
{
    return *parseAlarmLine(u"2027-03-04[1*1]1010101[1*1]1[1*1]1[1*1]12[1*1]5[1*1]Pack the car"
                           u"[1*1]/m/a.mp3[2*2]C:\\m\\b.wav[2*2][1*1]1[1*1]9[1*1]07:05:09 PM"
                           u"[1*1]42[1*1]0[1*1]7",
                           QLocale::c(), 2026);
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

    FakeClock m_clock;
    RecordingDialogs m_dialogs;
    MemoryStore m_store;
    Settings m_settings;
    std::unique_ptr<frmalarms> m_list;

    // The editor until it is destroyed, else null.
    static frmaaddalarm *editor()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<frmaaddalarm *>(window))
                return found;
        }
        return nullptr;
    }
    template <typename T> T *in(const char *name)
    {
        return editor()->findChild<T *>(QString::fromLatin1(name));
    }
    void click(QWidget *parent, const char *name)
    {
        QTest::mouseClick(parent->findChild<QPushButton *>(name), Qt::LeftButton);
    }
    void editFirstRow()
    {
        storeAlarmRecord(m_store.table, m_store.count, 1, everyField());
        m_list->listalarms();
        auto *lv = m_list->findChild<QTreeWidget *>("LV");
        lv->setCurrentItem(lv->topLevelItem(0));
        click(m_list.get(), "Command2");
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_store = MemoryStore{};
        m_clock.at = kNow;
        m_dialogs = RecordingDialogs{};
        m_list = std::make_unique<frmalarms>(m_store, m_dialogs, m_clock, m_settings);
    }

    void addAndOk_data()
    {
        // The frame: caption | day boxes usable | date picker usable | date, time patterns.
        // Typed and stored: the message | the snooze box (+: then its up arrow).
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const QString weekly = "Time, days of week|1|0|M/d/yyyy|hh:mm:ss AP", none = "|";
        const QString message = "Alarm message...|", same = message + "15";
        QTest::newRow("fixed") << 0 << "Time, date:|0|1|M/d/yyyy|hh:mm:ss AP" << none << same;
        QTest::newRow("hourly") << 1 << "Minute, second:|0|0|M/d/yyyy|mm:ss" << none << same;
        QTest::newRow("daily") << 2 << "Time:|0|0|M/d/yyyy|hh:mm:ss AP" << none << same;
        QTest::newRow("new alarm accepted unchanged") << 3 << weekly << none << same;
        QTest::newRow("monthly") << 4 << "Time, day:|0|1|dd|hh:mm:ss AP" << none << same;
        QTest::newRow("yearly") << 5 << "Time, month and day:|0|1|MMMM - dd|hh:mm:ss AP" << none
                                << same;
        QTest::newRow("three lines stored on one") << 3 << weekly << "a\nb\r\nc|"
                                                   << "a b c|15";
        QTest::newRow("cleared snooze gives 1") << 3 << weekly << "|\b" << message + "1";
        QTest::newRow("typed 7, the up-down steps to 8") << 3 << weekly << "|7+" << message + "8";
        QTest::newRow("typed 75 is held to 59") << 3 << weekly << "|75" << message + "59";
    }

    void addAndOk()
    {
        QFETCH(int, frequency);
        QFETCH(QString, typed);
        const QString message = typed.section(u'|', 0, 0), snooze = typed.section(u'|', 1);
        m_settings.twentyFourHour = false;
        click(m_list.get(), "Cmdadd");
        QVERIFY(m_store.open && editor()->isVisible());
        in<QComboBox>("combofreq")->setCurrentIndex(frequency);
        Q_EMIT in<QComboBox>("combofreq")->activated(frequency);
        const QStringList frame = {in<QGroupBox>("Frame1")->title(),
                                   QString::number(in<QCheckBox>("weekdays2")->isEnabled()),
                                   QString::number(in<QDateEdit>("DTPicker1")->isEnabled()),
                                   in<QDateEdit>("DTPicker1")->displayFormat(),
                                   in<QTimeEdit>("timepicker")->displayFormat()};
        QTEST(frame.join(u'|'), "frame");
        if (!message.isEmpty())
            in<QPlainTextEdit>("Text1")->setPlainText(message);
        auto *snoozeText = in<QLineEdit>("txtsnoozetimer");
        snoozeText->selectAll();
        QTest::keyClicks(snoozeText, snooze.chopped(snooze.endsWith('+')));
        if (snooze.endsWith('+'))
            QTest::mouseClick(in<QWidget>("UpDown2")->findChild<QToolButton *>("up"),
                              Qt::LeftButton);
        QTest::keyClick(in<QComboBox>("combofreq"), Qt::Key_Return);
        QTRY_VERIFY(!editor());
        QVERIFY(!m_store.open && m_store.count == 1 && m_store.saves == 1);
        const AlarmRecord &r = m_store.table[1];
        QTEST(QString(r.message + '|' + r.snoozeMinutes), "stored");
        QCOMPARE(r.frequency, frequency);
        QVERIFY(r.timeText == "07:30:15 AM" && r.alarmDate == kNow.date() &&
                r.dayFlags == "0111110");
        QVERIFY(r.fadeMinutes == 30 && r.playMedia == 1 && r.playlist.isEmpty() &&
                r.soundIndex == 0 && r.spare == 0);
    }

    void editRoundTrip_data()
    {
        QTest::addColumn<bool>("twentyFourHour");
        QTest::addColumn<QString>("timeText");
        QTest::newRow("12-hour setting: the same record") << false << "07:05:09 PM";
        QTest::newRow("24-hour setting: only the time text") << true << "19:05:09";
    }

    void editRoundTrip()
    {
        QFETCH(bool, twentyFourHour);
        QFETCH(QString, timeText);
        m_settings.twentyFourHour = twentyFourHour;
        editFirstRow();
        // A snooze while the editor is open stays with the alarm.
        m_store.table[1].snoozed = true;
        click(editor(), "Command1");
        AlarmRecord expected = everyField();
        expected.timeText = timeText;
        expected.snoozed = true;
        QCOMPARE(m_store.table[1], expected);
    }

    void refusals()
    {
        click(m_list.get(), "Cmdadd");
        QPointer<frmaaddalarm> first = editor();
        click(m_list.get(), "Cmdadd");
        QCOMPARE(editor(), first.data());
        click(first, "Command2");
        QTRY_VERIFY(!first);
        QVERIFY(!m_store.open && m_store.count + m_store.saves == 0);

        editFirstRow();
        click(m_list.get(), "Command3");
        QCOMPARE(m_store.deletes, 0);
        QTest::keyClick(editor(), Qt::Key_Escape);
        QTRY_VERIFY(!editor());
        QVERIFY(!m_store.open && m_store.saves == 0);

        for (int slot = 2; slot <= kMaxAlarms; ++slot)
            storeAlarmRecord(m_store.table, m_store.count, slot, everyField());
        click(m_list.get(), "Cmdadd");
        QVERIFY(!editor() && !m_store.open && m_store.saves == 0);
        QVERIFY(m_dialogs.messages.size() == 1 && m_dialogs.messages[0].contains("full"));
    }

    void playlist_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("playlist");
        QTest::newRow("with and without a separator")
            << QStringList{"/m/a.mp3", "b.wav", "C:\\m\\c.mid"} << -1 << ""
            << QStringList{"a.mp3", "b.wav", "c.mid"} << "/m/a.mp3[2*2]b.wav[2*2]C:\\m\\c.mid[2*2]";
        QTest::newRow("cancelled dialog adds nothing")
            << QStringList{"a", ""} << -1 << "" << QStringList{"a"} << "a[2*2]";
        QTest::newRow("separator in the path refused")
            << QStringList{"/m/x[2*2]y.mp3"} << -1 << "" << QStringList{} << "";
        QTest::newRow("Up on the first")
            << QStringList{"a", "b"} << 0 << "Command5" << QStringList{"a", "b"} << "a[2*2]b[2*2]";
        QTest::newRow("Down on the last")
            << QStringList{"a", "b"} << 1 << "Command6" << QStringList{"a", "b"} << "a[2*2]b[2*2]";
        QTest::newRow("Up on the second") << QStringList{"a", "/b"} << 1 << "Command5"
                                          << QStringList{"b", "a"} << "/b[2*2]a[2*2]";
    }

    void playlist()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, row);
        QFETCH(QString, button);
        PlaylistPanel panel(m_dialogs);
        m_dialogs.fileAnswers = answers;
        for (qsizetype n = answers.size(); n > 0; --n)
            click(&panel, "Command3");
        QCOMPARE(m_dialogs.messages.size(), answers.first().contains("[2*2]") ? 1 : 0);
        auto *lv2 = panel.findChild<QTreeWidget *>("LV2");
        if (row >= 0)
            lv2->setCurrentItem(lv2->topLevelItem(row));
        if (!button.isEmpty())
            click(&panel, button.toLatin1());
        QStringList names;
        for (int n = 0; n < lv2->topLevelItemCount(); ++n)
            names.append(lv2->topLevelItem(n)->text(0));
        QTEST(names, "names");
        QTEST(createplaylist(panel.paths()), "playlist");
    }

    // Saved, the alarm file must load again: OK keeps an alarm that would
    // take it past its limit in the editor, with a message.
    void tooLongForTheFileRefused()
    {
        AlarmRecord huge = everyField();
        huge.message = QString(kMaxAlarmFileBytes - alarmLineBytes(huge, QLocale()), u'x');
        storeAlarmRecord(m_store.table, m_store.count, 1, huge);
        click(m_list.get(), "Cmdadd");
        click(editor(), "Command1");
        QVERIFY(editor() && m_store.count == 1 && m_store.saves == 0);
        QVERIFY(m_dialogs.messages.size() == 1 && m_dialogs.messages[0].contains("too long"));
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
