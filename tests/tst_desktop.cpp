#include "app/commandline.h"
#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestDesktop final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();
    void autostart_data();
    void autostart();
};

void TestDesktop::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLineAction>("action");
    QTest::newRow("no arguments run the clock") << QStringList() << CommandLineAction::Run;
    QTest::newRow("--version answers")
        << QStringList{"--version"} << CommandLineAction::PrintVersion;
    QTest::newRow("--help answers") << QStringList{"--help"} << CommandLineAction::PrintHelp;
    QTest::newRow("Qt's option takes its value along")
        << QStringList{"-platform", "xcb", "--sync"} << CommandLineAction::Run;
    QTest::newRow("an unknown option") << QStringList{"--bogus"} << CommandLineAction::UsageError;
    QTest::newRow("a stray word") << QStringList{"alarm"} << CommandLineAction::UsageError;
    QTest::newRow("Qt's option without its value")
        << QStringList{"-platform"} << CommandLineAction::UsageError;
}

void TestDesktop::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLineAction, action);
    QCOMPARE(commandLineAction(arguments), action);
}

void TestDesktop::autostart_data()
{
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("blocked"); // the autostart folder cannot be made
    QTest::addColumn<bool>("after");
    QTest::newRow("ticking writes the entry") << false << true << false << true;
    QTest::newRow("ticking again keeps it") << true << true << false << true;
    QTest::newRow("unticking removes it") << true << false << false << false;
    QTest::newRow("a folder that cannot be made is a failure") << false << true << true << false;
}

void TestDesktop::autostart()
{
    QFETCH(bool, before);
    QFETCH(bool, on);
    QFETCH(bool, blocked);
    QFETCH(bool, after);
    QTemporaryDir config;
    QTemporaryDir programs;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // Quoting in Exec is where a folder's name goes wrong.
    const QString folder = programs.filePath(QStringLiteral("my clock$"));
    QVERIFY(QDir().mkpath(folder));
    if (blocked) {
        QFile file(config.filePath(QStringLiteral("autostart")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const AutostartEntry entry(folder);
    QVERIFY(entry.path().startsWith(config.filePath(QStringLiteral("autostart/"))));
    QVERIFY(entry.set(before).ok());

    const Result result = entry.set(on);
    QCOMPARE(result.ok(), !blocked);
    QCOMPARE(entry.exists(), after);
    if (!after)
        return;
    QFile file(entry.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString exec = QStringLiteral("\nExec=\"") + programs.path() +
                         QStringLiteral("/my clock\\\\$/tockaro\"\n");
    QVERIFY2(QString::fromUtf8(file.readAll()).contains(exec), qPrintable(exec));
    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty())
        QCOMPARE(QProcess::execute(validator, {entry.path()}), 0);
}

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
