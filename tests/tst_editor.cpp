// The alarm editor and its play list panel, driven through the alarm list as a
// user drives them, over an alarm table in memory.

#include "alarms/alarmstore.h"
#include "alarms/frmaaddalarm.h"
#include "alarms/frmalarms.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "playback/mediafilter.h"
#include "playback/playlistpanel.h"
#include "playback/playlisttext.h"
#include "settings/conffile.h"

#include <QTest>
#include <QtWidgets>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(7, 30, 15));

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return kNow; }
};

class AnsweringDialogs final : public Dialogs {
public:
    void messg(const QString &text) override { messages.append(text); }
    QString openFileName(QWidget *, const QString &filter) override
    {
        filters.append(filter);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList messages, answers, filters;
};

class MemoryStore final : public AlarmStore {
public:
    const AlarmSlots &alarms() const override { return table; }
    int alarmCount() const override { return count; }
    void deleteAlarm(int) override { ++deletes; }
    void storeAlarm(int slot, const AlarmRecord &record) override
    {
        storeAlarmRecord(table, count, slot, record);
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

    FixedClock m_clock;
    AnsweringDialogs m_dialogs;
    MemoryStore m_store;
    Settings m_settings;
    std::unique_ptr<frmalarms> m_list;

    template <typename T> T *in(const char *name)
    {
        return m_list->editor()->findChild<T *>(QString::fromLatin1(name));
    }
    void click(QWidget *parent, const char *name)
    {
        QTest::mouseClick(parent->findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    void editFirstRow()
    {
        storeAlarmRecord(m_store.table, m_store.count, 1, everyField());
        m_list->listalarms();
        auto *lv = m_list->findChild<QTreeWidget *>(QStringLiteral("LV"));
        lv->setCurrentItem(lv->topLevelItem(0));
        click(m_list.get(), "Command2");
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_store = MemoryStore{};
        m_dialogs = AnsweringDialogs{};
        m_settings.twentyFourHour = true;
        m_list = std::make_unique<frmalarms>(m_store, m_dialogs, m_clock, m_settings);
    }

    void addAndOk_data()
    {
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("snooze");
        QTest::addColumn<QString>("storedMessage");
        QTest::addColumn<QString>("storedSnooze");
        const QString none, unchanged = "Alarm message...";
        QTest::newRow("new alarm accepted unchanged") << 3 << none << none << unchanged << "15";
        QTest::newRow("hourly stores the full time") << 1 << none << none << unchanged << "15";
        QTest::newRow("monthly stores the full date") << 4 << none << none << unchanged << "15";
        QTest::newRow("three lines stored on one") << 3 << "a\nb\r\nc" << none << "a b c"
                                                   << "15";
        QTest::newRow("cleared snooze gives 1") << 3 << none << "-" << unchanged << "1";
        QTest::newRow("typed 7 moves the up-down") << 3 << none << "7" << unchanged << "7";
        QTest::newRow("typed 75 is held to 59") << 3 << none << "75" << unchanged << "59";
    }

    void addAndOk()
    {
        QFETCH(int, frequency);
        QFETCH(QString, message);
        QFETCH(QString, snooze);
        QFETCH(QString, storedSnooze);
        click(m_list.get(), "Cmdadd");
        QVERIFY(m_store.open && m_list->editor()->isVisible());
        Q_EMIT in<QComboBox>("combofreq")->activated(frequency);
        in<QComboBox>("combofreq")->setCurrentIndex(frequency);
        if (!message.isEmpty())
            in<QPlainTextEdit>("Text1")->setPlainText(message);
        auto *snoozeText = in<QLineEdit>("txtsnoozetimer");
        snoozeText->selectAll();
        if (snooze == "-")
            QTest::keyClick(snoozeText, Qt::Key_Backspace);
        QTest::keyClicks(snoozeText, snooze == "-" ? "" : snooze);
        QCOMPARE(QString::number(in<QScrollBar>("UpDown2")->value()), storedSnooze);
        QTest::keyClick(in<QComboBox>("combofreq"), Qt::Key_Return);
        QTRY_VERIFY(!m_list->editor());
        QVERIFY(!m_store.open);
        QCOMPARE(m_store.count + m_store.saves, 2);
        const AlarmRecord &r = m_store.table[1];
        QCOMPARE(r.frequency, frequency);
        QCOMPARE(r.timeText, "07:30:15");
        QCOMPARE(r.alarmDate, kNow.date());
        QCOMPARE(r.dayFlags, "0111110");
        QTEST(r.message, "storedMessage");
        QCOMPARE(r.snoozeMinutes, storedSnooze);
        QVERIFY(r.fadeMinutes == 30 && r.playMedia == 1 && r.playlist.isEmpty() &&
                r.soundIndex == 0 && r.spare == 0);
    }

    void frequencyTable_data()
    {
        // Frame caption | day boxes usable | date picker usable | date and time patterns.
        QTest::addColumn<int>("frequency");
        QTest::addColumn<QString>("look");
        QTest::newRow("fixed") << 0 << "Time, date:|0|1|M/d/yyyy|hh:mm:ss AP";
        QTest::newRow("hourly") << 1 << "Minute, second:|0|0|M/d/yyyy|mm:ss";
        QTest::newRow("daily") << 2 << "Time:|0|0|M/d/yyyy|hh:mm:ss AP";
        QTest::newRow("weekly") << 3 << "Time, days of week|1|0|M/d/yyyy|hh:mm:ss AP";
        QTest::newRow("monthly") << 4 << "Time, day:|0|1|dd|hh:mm:ss AP";
        QTest::newRow("yearly") << 5 << "Time, month and day:|0|1|MMMM - dd|hh:mm:ss AP";
    }

    void frequencyTable()
    {
        QFETCH(int, frequency);
        m_settings.twentyFourHour = false;
        click(m_list.get(), "Cmdadd");
        Q_EMIT in<QComboBox>("combofreq")->activated(frequency);
        const QStringList look = {in<QGroupBox>("Frame1")->title(),
                                  QString::number(in<QCheckBox>("weekdays2")->isEnabled()),
                                  QString::number(in<QDateEdit>("DTPicker1")->isEnabled()),
                                  in<QDateEdit>("DTPicker1")->displayFormat(),
                                  in<QTimeEdit>("timepicker")->displayFormat()};
        QTEST(look.join(u'|'), "look");
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
        m_settings.twentyFourHour = twentyFourHour;
        editFirstRow();
        // A snooze while the editor is open stays with the alarm.
        m_store.table[1].snoozed = true;
        click(m_list->editor(), "Command1");
        AlarmRecord expected = everyField();
        QFETCH(QString, timeText);
        expected.timeText = timeText;
        expected.snoozed = true;
        QCOMPARE(m_store.table[1], expected);
    }

    void refusals()
    {
        click(m_list.get(), "Cmdadd");
        QPointer<frmaaddalarm> first = m_list->editor();
        click(m_list.get(), "Cmdadd");
        QCOMPARE(m_list->editor(), first.data());
        QTest::keyClick(first, Qt::Key_Escape);
        QTRY_VERIFY(!first);
        QVERIFY(!m_store.open);
        QCOMPARE(m_store.count + m_store.saves, 0);

        editFirstRow();
        click(m_list.get(), "Command3");
        QCOMPARE(m_store.deletes, 0);
        click(m_list->editor(), "Command2");
        QTRY_VERIFY(!m_list->editor());

        for (int slot = 2; slot <= kMaxAlarms; ++slot)
            storeAlarmRecord(m_store.table, m_store.count, slot, everyField());
        click(m_list.get(), "Cmdadd");
        QVERIFY(!m_list->editor() && !m_store.open);
        QVERIFY(m_dialogs.messages.size() == 1 && m_dialogs.messages[0].contains("full"));
        QCOMPARE(m_store.saves, 0);
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
        playlistpanel panel(m_dialogs);
        m_dialogs.answers = answers;
        for (qsizetype n = answers.size(); n > 0; --n)
            click(&panel, "Command3");
        QCOMPARE(m_dialogs.filters.first(), kMediaFileFilter);
        QCOMPARE(m_dialogs.messages.size(), answers.first().contains("[2*2]") ? 1 : 0);
        auto *lv2 = panel.findChild<QTreeWidget *>(QStringLiteral("LV2"));
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
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
