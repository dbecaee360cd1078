#include "app/commandline.h"
#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestDesktop final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandLine_data();
    void commandLine();
#ifdef Q_OS_WIN
    void autostart();
#else
    void autostart_data();
    void autostart();
#endif
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
}

void TestDesktop::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLineAction, action);
    QCOMPARE(commandLineAction(arguments), action);
}

#ifdef Q_OS_WIN
// A value of the user's Run key (in the test's own Wine prefix, where the tests
// run), named after the folder, removed again.
void TestDesktop::autostart()
{
    QTemporaryDir programs;
    const QString folder = programs.filePath(QStringLiteral("my clock"));
    const AutostartEntry entry(folder);
    QVERIFY(entry.set(true).ok() && entry.exists());
    const QString key = entry.path().section(QLatin1Char('\\'), 0, -2);
    const QString name = entry.path().section(QLatin1Char('\\'), -1);
    QCOMPARE(QSettings(key, QSettings::NativeFormat).value(name).toString(),
             QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(folder + "/tockaro.exe")));
    QVERIFY(entry.set(false).ok() && !entry.exists());
}
#else
void TestDesktop::autostart_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("blocked"); // the autostart folder cannot be made
    QTest::newRow("ticking writes the entry") << true << false;
    QTest::newRow("unticking removes it") << false << false;
    QTest::newRow("a folder that cannot be made is a failure") << true << true;
}

void TestDesktop::autostart()
{
    QFETCH(bool, on);
    QFETCH(bool, blocked);
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
    QVERIFY(entry.set(!on).ok());

    QCOMPARE(entry.set(on).ok(), !blocked);
    QCOMPARE(entry.exists(), on && !blocked);
    if (!entry.exists())
        return;
    QFile file(entry.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    // Exec quotes the path: its $ escaped, and the escape's backslash too.
    const QString exec = QStringLiteral("\nExec=\"") + programs.path() +
                         QStringLiteral("/my clock\\\\$/tockaro\"\n");
    QVERIFY2(QString::fromUtf8(file.readAll()).contains(exec), qPrintable(exec));
    QCOMPARE(QProcess::execute(QStringLiteral("desktop-file-validate"), {entry.path()}), 0);
}
#endif

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
