#include "app/bigcform.h"
#include "testseams.h"

#include <QAction>
#include <QApplication>
#include <QTest>

namespace {

bool anyWindowVisible()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            return true;
    }
    return false;
}

} // namespace

class TestStartup final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void damagedFolderEndsTheProgram_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("no conf") << "conf";
        QTest::newRow("no bells") << "Sounds/bells.wav";
        QTest::newRow("no Moo") << "Sounds/Moo.wav";
        QTest::newRow("no Ricochet, the last sound") << "Sounds/Ricochet.wav";
    }

    void damagedFolderEndsTheProgram()
    {
        QFETCH(QString, missing);
        ProgramFolder folder;
        folder.remove(missing);
        TestProgram program(folder);
        QVERIFY(!program.bas.startprogram());
        QCOMPARE(program.dialogs.messages, QStringList{"Appliciation is corrupted."});
        QCOMPARE(program.end.requests, 1);
        QVERIFY(!program.bas.form());
        QVERIFY(!anyWindowVisible());
    }

    void soundTableHoldsTheTenPaths()
    {
        ProgramFolder folder;
        TestProgram program(folder);
        QVERIFY(program.bas.loadsoundlist());
        QCOMPARE(program.bas.soundfiles.size(), 10);
        QCOMPARE(program.bas.soundfiles.at(7), folder.path() + QStringLiteral("/Sounds/Moo.wav"));
        QCOMPARE(program.bas.soundfiles.at(1),
                 folder.path() + QStringLiteral("/Sounds/alarm_3.wav"));
    }

    void secondCopyRefusesAndLeavesTheFirstRunning()
    {
        ProgramFolder folder;
        TestProgram first(folder);
        QVERIFY(first.bas.startprogram());

        TestProgram second(folder);
        QVERIFY(!second.bas.startprogram());
        QCOMPARE(second.dialogs.messages,
                 QStringList{"Another copy of Tockaro Program is running"});
        QCOMPARE(second.end.requests, 1);

        QVERIFY(first.dialogs.messages.isEmpty());
        QCOMPARE(first.end.requests, 0);
        QVERIFY(first.bas.form()->isVisible());
        QVERIFY(first.bas.form()->trayIcon()->isVisible());
    }

    void secondCopyChecksTheFolderBeforeItRefuses()
    {
        ProgramFolder folder;
        TestProgram first(folder);
        QVERIFY(first.bas.startprogram());
        folder.remove(QStringLiteral("Sounds/musical.wav"));

        TestProgram second(folder);
        QVERIFY(!second.bas.startprogram());
        QCOMPARE(second.dialogs.messages, QStringList{"Appliciation is corrupted."});
    }

    void copiesInOtherFoldersRunSideBySide()
    {
        ProgramFolder one;
        ProgramFolder two;
        TestProgram first(one);
        TestProgram second(two);
        QVERIFY(first.bas.startprogram());
        QVERIFY(second.bas.startprogram());
    }

    void aCopyMayStartOnceTheFirstHasEnded()
    {
        ProgramFolder folder;
        {
            TestProgram first(folder);
            QVERIFY(first.bas.startprogram());
        }
        TestProgram next(folder);
        QVERIFY(next.bas.startprogram());
    }

    void withoutNotificationAreaTheClockShowsAnyway()
    {
        ProgramFolder folder;
        TestProgram program(folder, false);
        program.bas.startprogram();
        BigCForm *form = program.bas.form();
        QVERIFY(form->isVisible());
        QVERIFY(!form->trayIcon());
        // Hiding would leave no way back.
        QVERIFY(!form->hideshow()->isEnabled());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
