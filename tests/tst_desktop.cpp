#include "platform/autostart.h"
#include "platform/folderlock.h"
#include "platform/privilegedstart.h"
#include "platform/showrequests.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_LINUX
QString logged;

void logTo(QtMsgType, const QMessageLogContext &, const QString &text)
{
    logged += text + u'\n';
}
#endif

#ifdef Q_OS_UNIX
// Runs `work` in a child process that a deadline ends: a wait that would
// hang the test fails it instead. True when the child ran and `work` said so.
bool inChild(const std::function<bool()> &work)
{
    const pid_t child = fork();
    if (child == 0) {
        alarm(10);
        _exit(work() ? 0 : 1);
    }
    int status = -1;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}
#endif

} // namespace

class TestDesktop final : public QObject {
    Q_OBJECT

private Q_SLOTS:
#ifdef Q_OS_WIN
    // A value of the user's Run key (in the test's own Wine prefix, where the tests
    // run), named after the folder, removed again.
    void autostart()
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
    void autostart_data()
    {
        QTest::addColumn<QString>("name"); // of the program folder
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("blocked"); // the autostart folder cannot be made
        // Quoting in Exec is where a folder's name goes wrong.
        QTest::newRow("ticking writes the entry") << "my clock$" << true << false;
        QTest::newRow("unticking removes it") << "my clock$" << false << false;
        QTest::newRow("a folder that cannot be made is a failure") << "my clock$" << true << true;
        QTest::newRow("a line break in the path is refused") << "my\nclock" << true << false;
    }

    void autostart()
    {
        QFETCH(QString, name);
        QFETCH(bool, on);
        QFETCH(bool, blocked);
        QTemporaryDir config;
        QTemporaryDir programs;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString folder = programs.filePath(name);
        QVERIFY(QDir().mkpath(folder));
        if (blocked) {
            QFile file(config.filePath(QStringLiteral("autostart")));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const AutostartEntry entry(folder);
        QVERIFY(entry.path().startsWith(config.filePath(QStringLiteral("autostart/"))));
        QVERIFY(entry.set(!on).ok() || name.contains(u'\n'));

        const bool written = !blocked && !name.contains(u'\n');
        QCOMPARE(entry.set(on).ok(), !on || written);
        QCOMPARE(entry.exists(), on && written);
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

    // A shell that sets TMPDIR and a session that does not still share one copy;
    // the copy that ends leaves the folder as it found it.
    void lockFollowsTheFolderOnly()
    {
        QTemporaryDir folder;
        QTemporaryDir elsewhere;
        qputenv("TMPDIR", QFile::encodeName(elsewhere.path()));
        auto first = std::make_unique<FolderLockGuard>(folder.path());
        QVERIFY(first->tryAcquire());
        qunsetenv("TMPDIR");
        FolderLockGuard second(folder.path());
        QVERIFY(!second.tryAcquire());
        first.reset();
        QVERIFY(QDir(folder.path()).isEmpty());
        QVERIFY(second.tryAcquire() && second.warning().isEmpty());
    }

#ifdef Q_OS_UNIX
    void plantedLock_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("another user's file") << "file";
        QTest::newRow("a named pipe") << "pipe";
        QTest::newRow("a link to an endless device") << "/dev/zero";
        QTest::newRow("a link to nothing") << "gone";
    }

    // Whatever is in the lock file's place, the start goes on at once and says
    // so; a second copy is still refused, by the lock in the runtime folder.
    void plantedLock()
    {
        QFETCH(QString, planted);
        QTemporaryDir folder;
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString path = FolderLockGuard::lockPath(folder.path());
        const QByteArray name = QFile::encodeName(path);
        if (planted == "file") {
            if (geteuid() != 0)
                QSKIP("making a file of another user's takes root");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && fchown(file.handle(), 65534, 65534) == 0);
        } else if (planted == "pipe") {
            QCOMPARE(mkfifo(name.constData(), 0666), 0);
        } else {
            QVERIFY(QFile::link(planted, path));
        }
        const auto outcome = [&] {
            FolderLockGuard guard(folder.path());
            FolderLockGuard second(folder.path());
            return guard.tryAcquire() && guard.warning().contains(path) && !second.tryAcquire();
        };
        QVERIFY(inChild(outcome));
        QVERIFY2(QFileInfo(path).isSymLink() || QFileInfo::exists(path), "left alone");
    }
#endif

#ifdef Q_OS_LINUX
    // A second start of the same user shows the clock; nobody else's does, and a
    // copy whose socket name is taken says so.
    void showRequests()
    {
        QTemporaryDir folder;
        ShowRequests requests(folder.path());
        QVERIFY(requests.listening());
        QSignalSpy shown(&requests, &ShowRequests::showRequested);
        const QtMessageHandler previous = qInstallMessageHandler(logTo);
        logged.clear();
        {
            ShowRequests taken(folder.path());
            QVERIFY(!taken.listening());
            QVERIFY(logged.contains("is taken"));
        }
        if (geteuid() == 0) {
            QVERIFY(inChild([&folder] {
                if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
                    return false;
                askRunningCopyToShow(folder.path());
                return true;
            }));
            QTRY_VERIFY(logged.contains("ignored a request"));
            QCOMPARE(shown.size(), 0);
        }
        askRunningCopyToShow(folder.path());
        QTRY_COMPARE(shown.size(), 1);
        qInstallMessageHandler(previous);
    }
#endif

    // A privileged start forgets where its starter said plugins are.
    void pluginPlacesAndOptions()
    {
        for (const char *place :
             {"QT_PLUGIN_PATH", "GST_PLUGIN_SYSTEM_PATH_1_0", "GST_REGISTRY_1_0"})
            QVERIFY2(namesPluginPlace(place), place);
        QVERIFY(!namesPluginPlace("QT_QPA_PLATFORM"));
        QByteArrayList arguments{"tockaro",  "-platformpluginpath", "/x",     "-platform", "xcb",
                                 "--plugin", "evdevtouch",          "--sync", "-plugin"};
        QList<char *> argv;
        for (QByteArray &argument : arguments)
            argv.append(argument.data());
        argv.append(nullptr);
        const int argc = withoutPluginOptions(int(arguments.size()), argv.data());
        QCOMPARE(argv[argc], nullptr);
        QCOMPARE(QByteArrayList(argv.begin() + 1, argv.begin() + argc),
                 (QByteArrayList{"-platform", "xcb", "--sync"}));
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
