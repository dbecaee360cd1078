#include "platform/autostart.h"
#include "platform/folderlock.h"
#include "platform/privilegedstart.h"
#include "platform/showrequests.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>
#include <future>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// What the clock was asked, and its replies: nothing rings to snooze.
QList<RemoteAction> asked;

RemoteReply answered(RemoteAction action)
{
    asked.append(action);
    switch (action) {
    case RemoteAction::Snooze:
        return {false, {}};
    case RemoteAction::Next:
        return {true, QStringLiteral("7 Dec 2026 08:30:00  B")};
    case RemoteAction::List:
        return {true, QStringLiteral("1\tDaily\t09:00:00\tnever\tCaf\u00e9\n2\tDaily")};
    case RemoteAction::Show:
    case RemoteAction::Stop:
        break;
    }
    return {true, {}};
}

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
        QTest::addColumn<bool>("firstRuntime");  // the first copy has a runtime folder
        QTest::addColumn<bool>("secondRuntime"); // the second copy has one
        QTest::addColumn<bool>("removed");       // what was planted goes before the second starts
        QTest::newRow("another user's file") << "file" << true << true << false;
        QTest::newRow("another user's file, no runtime folder for the second")
            << "file" << true << false << false;
        QTest::newRow("another user's file, no runtime folder")
            << "file" << false << false << false;
        QTest::newRow("another user's file, removed meanwhile") << "file" << true << true << true;
        QTest::newRow("a named pipe") << "pipe" << true << true << false;
        QTest::newRow("a link to an endless device") << "/dev/zero" << true << true << false;
        QTest::newRow("a link to nothing") << "gone" << true << true << false;
    }

    // Whatever is in the lock file's place the start goes on and says so, a second copy is
    // refused by the runtime folder's lock; where no lock can be had, none runs, saying why.
    void plantedLock()
    {
        QFETCH(QString, planted);
        QFETCH(bool, firstRuntime);
        QFETCH(bool, secondRuntime);
        QFETCH(bool, removed);
        QTemporaryDir folder;
        QTemporaryDir runtime;
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
        const auto runtimes = [&](bool has) {
            return has ? QStringList{runtime.path()} : QStringList{};
        };
        const auto outcome = [&] {
            FolderLockGuard first(folder.path(), runtimes(firstRuntime));
            const bool firstRuns = first.tryAcquire();
            if (!firstRuns)
                return !firstRuntime && first.warning().contains(path) &&
                       first.warning().contains("user nobody (user id 65534)");
            if (!first.warning().contains(path) || (removed && !QFile::remove(path)))
                return false;
            FolderLockGuard second(folder.path(), runtimes(secondRuntime));
            // A copy that met the first's lock is refused without a word.
            return !second.tryAcquire() && second.warning().isEmpty() == secondRuntime;
        };
        QVERIFY(inChild(outcome));
        QVERIFY2(removed || QFileInfo(path).isSymLink() || QFileInfo::exists(path), "left alone");
    }
#endif

#ifdef Q_OS_LINUX
    // A second start shows the clock, even past a crash's socket, and gives up within a second
    // on a stopped clock with its queue full; a copy leaves another copy's socket alone.
    void showRequests()
    {
        QTemporaryDir folder;
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const pid_t stopped = fork();
        if (stopped == 0) {
            const ShowRequests crashing(folder.path(), {});
            ::raise(SIGSTOP);
            _exit(0);
        }
        int status = 0;
        QVERIFY(waitpid(stopped, &status, WUNTRACED) == stopped && WIFSTOPPED(status));
        const QtMessageHandler previous = qInstallMessageHandler(logTo);
        logged.clear();
        // Each start past the queue's length waits for the full second.
        QVERIFY(inChild([&folder] {
            for (int start = 1; start <= 20; ++start) {
                QElapsedTimer asking;
                asking.start();
                askRunningCopyToShow(folder.path());
                if (asking.elapsed() >= 2000)
                    return false;
            }
            return logged.contains("did not take the request");
        }));
        QVERIFY(::kill(stopped, SIGKILL) == 0 && waitpid(stopped, &status, 0) == stopped);

        ShowRequests requests(folder.path(), answered);
        QVERIFY(requests.listening());
        asked.clear();
        askRunningCopyToShow(folder.path());
        QTRY_COMPARE(asked, QList{RemoteAction::Show});
        logged.clear();
        {
            const ShowRequests another(folder.path(), {});
            QVERIFY(!another.listening());
            QVERIFY(logged.contains("is another copy's"));
        }
        askRunningCopyToShow(folder.path());
        QTRY_VERIFY(asked.size() >= 2);
        qInstallMessageHandler(previous);
    }

    void othersCannotHoldUpASecondStart_data()
    {
        QTest::addColumn<bool>("privileged"); // the other user may reach any socket
        QTest::newRow("another user") << false;
        QTest::newRow("a privileged user") << true;
    }

    // Another user flooding the socket cannot reach it; one who may reach any socket is turned
    // away, told of once. Either way the user's own second start gets through.
    void othersCannotHoldUpASecondStart()
    {
        QFETCH(bool, privileged);
        if (geteuid() != 0)
            QSKIP("another user's process takes root");
        QTemporaryDir folder;
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const ShowRequests requests(folder.path(), answered);
        asked.clear();
        const QStringList sockets = QDir(runtime.path()).entryList(QDir::System);
        QCOMPARE(sockets.size(), 1);
        const QByteArray socketPath = QFile::encodeName(runtime.filePath(sockets.first()));
        const QtMessageHandler previous = qInstallMessageHandler(logTo);
        logged.clear();
        // The clock runs as another user than the privileged flooder.
        QVERIFY(!privileged || setresuid(-1, 65534, -1) == 0);
        constexpr int kFlood = 3000;
        const pid_t flooder = fork();
        if (flooder == 0) {
            alarm(10);
            const bool dropped = privileged ? setresuid(0, 0, 0) == 0
                                            : setresgid(65534, 65534, 65534) == 0 &&
                                                  setresuid(65534, 65534, 65534) == 0;
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path, socketPath.constData(), socketPath.size());
            int reached = 0;
            for (int i = 0; i < kFlood; ++i) {
                const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
                reached +=
                    ::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
                ::close(socket);
            }
            _exit(dropped && reached == (privileged ? kFlood : 0) ? 0 : 1);
        }
        int status = -1;
        bool ended = false;
        QTRY_VERIFY(ended || (ended = waitpid(flooder, &status, WNOHANG) == flooder));
        QVERIFY(!privileged || setresuid(-1, 0, -1) == 0);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QElapsedTimer asking;
        asking.start();
        askRunningCopyToShow(folder.path());
        QVERIFY(asking.elapsed() < 2000);
        QTRY_COMPARE(asked, QList{RemoteAction::Show});
        QCOMPARE(logged.count("ignored"), privileged ? 1 : 0);
        qInstallMessageHandler(previous);
    }
#endif

    void actions_data()
    {
        QTest::addColumn<RemoteAction>("action");
        QTest::addColumn<QByteArray>("lead"); // what a start being heard first sends
        QTest::addColumn<int>("outcome");
        QTest::addColumn<RemoteReply>("reply");
        const auto row = [](const char *name, RemoteAction action, AskOutcome outcome,
                            const RemoteReply &reply, const QByteArray &lead = {}) {
            QTest::newRow(name) << action << lead << int(outcome) << reply;
        };
        const auto answeredRow = [&](const char *name, RemoteAction action,
                                     const QByteArray &lead = {}) {
            row(name, action, AskOutcome::Answered, answered(action), lead);
        };
        answeredRow("snooze with nothing ringing is idle", RemoteAction::Snooze);
        answeredRow("list tells its lines, beyond ASCII", RemoteAction::List);
#ifdef Q_OS_LINUX
        answeredRow("after a start that sends nothing", RemoteAction::Next, "");
        answeredRow("after a start that sends too much", RemoteAction::Next,
                    QByteArray(kMaxRequestBytes + 1, 'x'));
#endif
        row("no copy runs", RemoteAction::Snooze, AskOutcome::NotRunning, {});
    }

    // An action reaches the clock and brings back its reply; a start that sends nothing or too
    // much is dropped, unanswered, and cannot hold up the next.
    void actions()
    {
        QFETCH(RemoteAction, action);
        QFETCH(QByteArray, lead);
        QFETCH(int, outcome);
        QFETCH(RemoteReply, reply);
        QTemporaryDir folder;
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        std::optional<ShowRequests> requests;
        if (outcome != int(AskOutcome::NotRunning))
            requests.emplace(folder.path(), answered);
        asked.clear();
#ifdef Q_OS_LINUX
        const int leading = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (!lead.isNull()) {
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            const QByteArray path = QFile::encodeName(
                runtime.filePath(QDir(runtime.path()).entryList(QDir::System).value(0)));
            std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
            QVERIFY(::connect(leading, reinterpret_cast<sockaddr *>(&address), sizeof address) ==
                        0 &&
                    ::write(leading, lead.constData(), size_t(lead.size())) == lead.size());
        }
#endif
        std::future<AskResult> asking =
            std::async(std::launch::async, askRunningCopy, folder.path(), action);
        QTRY_VERIFY(asking.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
        const AskResult result = asking.get();
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.reply, reply);
        QCOMPARE(asked, requests ? QList{action} : QList<RemoteAction>{});
#ifdef Q_OS_LINUX
        char left = 0;
        QVERIFY(lead.isNull() || ::read(leading, &left, 1) == 0);
        ::close(leading);
#endif
    }

#ifdef Q_OS_LINUX
    // A start that finds a socket of another user's in its own private folder
    // (put there by a privileged user) tells nothing to it.
    void actionsGoToTheUserOnly()
    {
        if (geteuid() != 0)
            QSKIP("another user's process takes root");
        QTemporaryDir folder;
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const ShowRequests requests(folder.path(), answered);
        const QByteArray socket = QFile::encodeName(
            runtime.filePath(QDir(runtime.path()).entryList(QDir::System).value(0)));
        QVERIFY(::chown(QFile::encodeName(runtime.path()).constData(), 65534, 65534) == 0 &&
                ::chmod(socket.constData(), 0666) == 0);
        QVERIFY(inChild([&folder] {
            const AskResult result =
                setresgid(65534, 65534, 65534) == 0 && setresuid(65534, 65534, 65534) == 0
                    ? askRunningCopy(folder.path(), RemoteAction::Snooze)
                    : AskResult{};
            return result.outcome == AskOutcome::OtherUser &&
                   result.detail.endsWith(QStringLiteral("user id 0 listens on"));
        }));
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
