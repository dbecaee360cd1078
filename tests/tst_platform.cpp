#include "filesizelimit.h"
#include "platform/files.h"
#include "platform/secondticker.h"
#include "platform/systempoweroff.h"
#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>

namespace {

// Asked without ES_CONTINUOUS, the call changes no lasting state and answers
// with the one in force.
bool systemRequired()
{
    return SetThreadExecutionState(ES_SYSTEM_REQUIRED) & ES_SYSTEM_REQUIRED;
}

} // namespace
#endif

#ifdef Q_OS_LINUX
#include <QDBusConnection>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString logged;

// Gives up CAP_WAKE_ALARM for good, as a program run without it has it.
bool dropWakeAlarm()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const auto bit = 1u << (CAP_WAKE_ALARM - 32);
    data[1].effective &= ~bit;
    data[1].permitted &= ~bit;
    return syscall(SYS_capset, &header, data) == 0;
}

} // namespace
#endif

class TestPlatform final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void armedTimerFiresAtItsMoment()
    {
#ifdef Q_OS_LINUX
        if (geteuid() != 0)
            QSKIP("CAP_WAKE_ALARM is needed; run as root");
#endif
        SystemWakeTimer timer;
        QSignalSpy fired(&timer, &WakeTimer::fired);
        const QDateTime at =
            QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 2, Qt::UTC);
        timer.arm(at);
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 1, 10000);
        QVERIFY(QDateTime::currentDateTimeUtc() >= at);
    }

    // PATH names only the stand-in's folder or an empty one, so the real
    // command cannot be found, and the current folder holds the stand-in.
    void powerOffCommandComesFromPath_data()
    {
        QTest::addColumn<bool>("onPath");
        QTest::newRow("on PATH: started with its arguments") << true;
        QTest::newRow("in the current folder only: not started") << false;
    }
    void powerOffCommandComesFromPath()
    {
        QFETCH(bool, onPath);
        const QFileInfo standin(QStringLiteral(TOCKARO_POWEROFF_STANDIN));
        QTemporaryDir empty;
        const QString record = empty.filePath("record");
        const QByteArray path = qgetenv("PATH");
        const QString folder = QDir::currentPath();
        qputenv("TOCKARO_POWEROFF_RECORD", QDir::toNativeSeparators(record).toLocal8Bit());
        qputenv("PATH",
                QDir::toNativeSeparators(onPath ? standin.path() : empty.path()).toLocal8Bit());
        QDir::setCurrent(standin.path());
        const QString found = QStandardPaths::findExecutable(standin.completeBaseName());
        const bool onlyTheStandin = onPath ? QFileInfo(found) == standin : found.isEmpty();
        const Result started = onlyTheStandin ? SystemPowerOff().powerOff() : Result::success();
        qputenv("PATH", path);
        QDir::setCurrent(folder);
        QVERIFY(onlyTheStandin);
        QCOMPARE(started.ok(), onPath);
        if (!onPath)
            return;
        QTRY_VERIFY(QFileInfo(record).size() > 0);
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
#ifdef Q_OS_WIN
        QCOMPARE(file.readAll(), "/s /t 0\n");
#else
        QCOMPARE(file.readAll(), "poweroff\n");
#endif
    }

#ifdef Q_OS_WIN
    void sleepLockTakenAndReleased()
    {
        SystemSleepInhibitor inhibitor;
        inhibitor.take();
        QVERIFY(systemRequired());
        inhibitor.release();
        QVERIFY(!systemRequired());
    }
#endif

#ifdef Q_OS_LINUX
    void withoutTheCapabilityItSaysWhyAndRunsOn()
    {
        const pid_t child = fork();
        if (child == 0) {
            if (!dropWakeAlarm())
                _exit(2);
            qInstallMessageHandler(
                [](QtMsgType, const QMessageLogContext &, const QString &text) { logged += text; });
            SystemWakeTimer timer;
            timer.arm(QDateTime::currentDateTimeUtc().addSecs(60));
            _exit(logged.contains(QLatin1String("CAP_WAKE_ALARM")) ? 0 : 1);
        }
        int status = -1;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void withoutSystemBusNothingFails()
    {
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/system_bus_socket");
        QVERIFY(!QDBusConnection::systemBus().isConnected());
        SystemSleepInhibitor inhibitor;
        inhibitor.take();
        inhibitor.release();
        inhibitor.take();
    }
#endif
    void saveAndRead()
    {
        QVERIFY(m_dir.isValid());
        const QByteArray bytes("a\r\nb\0\xff", 6);
        QVERIFY(saveFileAtomically(m_dir.filePath("als"), QByteArray(100, 'o')).ok());
        QVERIFY(saveFileAtomically(m_dir.filePath("als"), bytes).ok());
        QCOMPARE(readRegularFile(m_dir.filePath("als"), 6).bytes, bytes);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"als"});
        const Result intoAFile = saveFileAtomically(m_dir.filePath("als/x"), "x");
        QVERIFY(!intoAFile.ok() && !intoAFile.error().isEmpty());
        {
#ifdef Q_OS_UNIX
            const FileSizeLimit fullDisk(16);
            QVERIFY(fullDisk.active());
#else
            const HeldWithoutSharing heldByAnotherProgram(m_dir.filePath("als"));
            QVERIFY(heldByAnotherProgram.held());
#endif
            QVERIFY(!saveFileAtomically(m_dir.filePath("als"), QByteArray(100, 'n')).ok());
        }
        QCOMPARE(readRegularFile(m_dir.filePath("als"), 6).bytes, bytes);
        const FileContents tooLarge = readRegularFile(m_dir.filePath("als"), 5);
        QVERIFY(tooLarge.bytes.isEmpty() && !tooLarge.error.isEmpty());
        QVERIFY(!readRegularFile(m_dir.filePath("none"), 6).exists);
        const FileContents directory = readRegularFile(m_dir.path(), 6);
        QVERIFY(directory.exists && !directory.error.isEmpty());
    }
    // A tick that came before its second would read the old second again.
    void ticker()
    {
        SecondTicker ticker;
        QList<qint64> seconds;
        connect(&ticker, &SecondTicker::tick, this,
                [&seconds] { seconds.append(QDateTime::currentSecsSinceEpoch()); });
        ticker.start();
        QTRY_VERIFY_WITH_TIMEOUT(seconds.size() >= 3, 10000);
        ticker.stop();
        for (qsizetype i = 1; i < seconds.size(); ++i)
            QVERIFY(seconds[i] > seconds[i - 1]);
        QSignalSpy ticks(&ticker, &SecondTicker::tick);
        QVERIFY(!ticks.wait(1500));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
