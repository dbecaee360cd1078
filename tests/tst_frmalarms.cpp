#include "alarms/alarmfile.h"
#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "filesizelimit.h"
#include "testseams.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

QByteArray line(const QByteArray &date, int frequency, const QByteArray &message,
                const QByteArray &timeText)
{
    return date + "[1*1]0111110[1*1]0[1*1]0[1*1]30[1*1]" + QByteArray::number(frequency) + "[1*1]" +
           message + "[1*1][1*1]0[1*1]15[1*1]" + timeText + "[1*1]0[1*1]0[1*1]0\r\n";
}

const QByteArray kFirst = line("12/24/2026", 0, "First alarm", "07:30:00");
const QByteArray kSecond = line("5/3/2026", 4, "Second", "08:00:00");
const QByteArray kThird = line("12/24/2026", 1, "Third", "07:05:30");

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return file.readAll();
}

QStringList rowTexts(const QTreeWidget *lv, int row)
{
    QStringList texts;
    for (int column = 0; column < lv->columnCount(); ++column)
        texts.append(lv->topLevelItem(row)->text(column));
    return texts;
}

} // namespace

class TestFrmAlarms final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init() { m_folder = std::make_unique<ProgramFolder>(); }

    void cleanup()
    {
        m_program.reset();
        m_folder.reset();
    }

    void startupLoadsTheFileAndFillsTheList()
    {
        start(kFirst + kSecond + kThird);
        QCOMPARE(bas().alarmFilePath, m_folder->file("als"));
        QCOMPARE(bas().alarmCount, 3);
        QCOMPARE(bas().alarms[2].message, QStringLiteral("Second"));
        QVERIFY(!bas().editorOpen);
        QVERIFY(m_program->dialogs.messages.isEmpty());
        QVERIFY(!window().isVisible());
        QCOMPARE(lv()->topLevelItemCount(), 3);
    }

    void missingFileStartsEmpty()
    {
        m_folder->remove("als");
        start();
        QCOMPARE(bas().alarmCount, 0);
        QCOMPARE(lv()->topLevelItemCount(), 0);
        QVERIFY(m_program->dialogs.messages.isEmpty());
    }

    void windowHasItsControls()
    {
        start();
        QCOMPARE(window().windowTitle(), QStringLiteral("Add"));
        QStringList captions;
        for (const char *name : {"Cmdadd", "Command2", "Command3", "Command1"})
            captions.append(window().findChild<QPushButton *>(name)->text());
        QCOMPARE(captions, (QStringList{"Add", "Edit", "Delete", "Close"}));
        QCOMPARE(lv()->objectName(), QStringLiteral("LV"));
        QVERIFY(!lv()->rootIsDecorated());
    }

    void columnsAreSizedForTheList()
    {
        start();
        QStringList headers;
        for (int column = 0; column < lv()->columnCount(); ++column)
            headers.append(lv()->headerItem()->text(column));
        QCOMPARE(headers, (QStringList{"Alarm", "Frequency", "Time", "Date"}));
        // A 6000-twip list: 1500, 1400, 1350 and 1300 twips.
        QCOMPARE(lv()->width(), 400);
        const QList<int> widths = {lv()->columnWidth(0), lv()->columnWidth(1), lv()->columnWidth(2),
                                   lv()->columnWidth(3)};
        QCOMPARE(widths, (QList<int>{100, 93, 90, 87}));
    }

    void rowsShowTimeAndDateByFrequency_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("Fixed Date")
            << kFirst << QStringList{"First ala", "Fixed Date", "07:30:00", "12/24/2026"};
        QTest::newRow("Hourly 07:05:30") << kThird << QStringList{"Third", "Hourly", "05:30", "--"};
        QTest::newRow("Monthly on the 3rd")
            << kSecond << QStringList{"Second", "Monthly", "08:00:00", "03"};
        QTest::newRow("Yearly on 24 December")
            << line("12/24/2026", 5, "Xmas", "09:00:00 AM")
            << QStringList{"Xmas", "Yearly", "09:00:00 AM", "12.24"};
        QTest::newRow("Weekly") << line("1/1/2026", 3, "Gym", "18:00:00")
                                << QStringList{"Gym", "Weekly", "18:00:00", "--"};
    }

    void rowsShowTimeAndDateByFrequency()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, texts);
        start(file);
        QCOMPARE(lv()->topLevelItemCount(), 1);
        QCOMPARE(rowTexts(lv(), 0), texts);
    }

    void deleteFirstOfThree()
    {
        start(kFirst + kSecond + kThird);
        lv()->setCurrentItem(lv()->topLevelItem(0));
        click("Command3");
        QCOMPARE(lv()->topLevelItemCount(), 2);
        QCOMPARE(lv()->topLevelItem(0)->text(0), QStringLiteral("Second"));
        QCOMPARE(lv()->topLevelItem(1)->text(0), QStringLiteral("Third"));
        QCOMPARE(bas().alarmCount, 2);
        QCOMPARE(bas().alarms[1].message, QStringLiteral("Second"));
        QVERIFY(!bas().alarms[3].inUse);
        QCOMPARE(contents(m_folder->file("als")), kSecond + kThird);
        QVERIFY(m_program->dialogs.messages.isEmpty());
    }

    void deleteTheLast()
    {
        start(kFirst + kSecond + kThird);
        lv()->setCurrentItem(lv()->topLevelItem(2));
        click("Command3");
        QCOMPARE(contents(m_folder->file("als")), kFirst + kSecond);
    }

    void deleteWithoutSelectionDoesNothing()
    {
        start(kFirst + kSecond);
        QVERIFY(lv()->selectedItems().isEmpty());
        click("Command3");
        QCOMPARE(lv()->topLevelItemCount(), 2);
        QCOMPARE(contents(m_folder->file("als")), kFirst + kSecond);
    }

    void deleteInAnEmptyListDoesNothing()
    {
        start();
        click("Command3");
        QCOMPARE(contents(m_folder->file("als")), QByteArray());
    }

    void alarmsMenuOpensTheListWithoutBlocking()
    {
        start(kFirst);
        QAction *alarms = m_program->bas.form()->findChild<QAction *>("Alarmsform");
        QVERIFY(alarms);
        alarms->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QCOMPARE(window().windowModality(), Qt::NonModal);
        QVERIFY(m_program->bas.form()->isEnabled());
    }

    void closeAndTheCloseBoxHide()
    {
        start(kFirst + kSecond);
        QAction *alarms = m_program->bas.form()->findChild<QAction *>("Alarmsform");
        alarms->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        click("Command1");
        QVERIFY(!window().isVisible());

        alarms->trigger();
        QVERIFY(window().isVisible());
        QCOMPARE(lv()->topLevelItemCount(), 2);
        QVERIFY(window().close());
        QVERIFY(!window().isVisible());
        QCOMPARE(m_program->end.requests, 0);
        alarms->trigger();
        QCOMPARE(lv()->topLevelItemCount(), 2);
    }

    void unreadableLinesAreToldOnceAndKeptBesideTheFile()
    {
        const QByteArray file = kFirst + "garbage\r\n" + kSecond + "12/24/2026[1*1]x\r\n" + kThird;
        start(file);
        QCOMPARE(bas().alarmCount, 3);
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        QVERIFY(m_program->dialogs.messages.first().startsWith(
            "2 lines of the alarm file could not be read"));
        QVERIFY(!QFileInfo::exists(m_folder->file("als.bak")));

        lv()->setCurrentItem(lv()->topLevelItem(1));
        click("Command3");
        QCOMPARE(contents(m_folder->file("als.bak")), file);
        QCOMPARE(contents(m_folder->file("als")), kFirst + kThird);
        QCOMPARE(m_program->dialogs.messages.size(), 1);

        // The file is clean now: the next save leaves the backup alone.
        QVERIFY(QFile::remove(m_folder->file("als.bak")));
        lv()->setCurrentItem(lv()->topLevelItem(0));
        click("Command3");
        QCOMPARE(contents(m_folder->file("als")), kThird);
        QVERIFY(!QFileInfo::exists(m_folder->file("als.bak")));
    }

    void saveThatFailsIsToldAndChangesNothing()
    {
        start(kFirst + kSecond);
        m_folder->write("notafolder", "x");
        bas().alarmFilePath = m_folder->file("notafolder/als");
        bas().alarms[2].message = "Changed";
        QVERIFY(!bas().savealarms());
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        const QString message = m_program->dialogs.messages.first();
        QVERIFY(message.startsWith("The alarms could not be saved.\n" +
                                   QDir::toNativeSeparators(bas().alarmFilePath) + ": "));
        QVERIFY(message.endsWith("\nThe alarm file was left as it was."));
        QCOMPARE(bas().alarmCount, 2);
        QCOMPARE(bas().alarms[2].message, QStringLiteral("Changed"));
        QCOMPARE(contents(m_folder->file("als")), kFirst + kSecond);
    }

    void deleteOnAFullDiskBringsTheAlarmBack()
    {
#ifdef Q_OS_UNIX
        start(kFirst + kSecond + kThird);
        lv()->setCurrentItem(lv()->topLevelItem(0));
        {
            const FileSizeLimit fullDisk(16);
            QVERIFY(fullDisk.active());
            click("Command3");
        }
        QCOMPARE(m_program->dialogs.messages.size(), 1);
        QVERIFY(m_program->dialogs.messages.first().startsWith("The alarms could not be saved."));
        QCOMPARE(contents(m_folder->file("als")), kFirst + kSecond + kThird);
        QCOMPARE(lv()->topLevelItemCount(), 3);
        QCOMPARE(bas().alarmCount, 3);
#else
        QSKIP("needs a file size limit");
#endif
    }

private:
    void start(const QByteArray &als = {})
    {
        if (QFileInfo::exists(m_folder->file("als")) || !als.isEmpty())
            m_folder->write("als", als);
        m_program = std::make_unique<TestProgram>(*m_folder);
        QVERIFY(m_program->bas.startprogram());
    }

    ClockBas &bas()
    {
        return m_program->bas;
    }
    frmalarms &window()
    {
        return m_program->bas.alarmList();
    }
    QTreeWidget *lv()
    {
        return window().LV();
    }

    void click(const char *button)
    {
        QPushButton *pushButton = window().findChild<QPushButton *>(button);
        QVERIFY(pushButton);
        QTest::mouseClick(pushButton, Qt::LeftButton);
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TestProgram> m_program;
};

QTEST_MAIN(TestFrmAlarms)
#include "tst_frmalarms.moc"
