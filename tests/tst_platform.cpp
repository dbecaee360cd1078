#include "filesizelimit.h"
#include "platform/files.h"
#include "platform/secondticker.h"
#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
#ifdef Q_OS_LINUX
    void armedTimerFiresAtItsMoment()
    {
        if (geteuid() != 0)
            QSKIP("CAP_WAKE_ALARM is needed; run as root");
        SystemWakeTimer timer;
        QSignalSpy fired(&timer, &WakeTimer::fired);
        const QDateTime at =
            QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() + 2, Qt::UTC);
        timer.arm(at);
        QTRY_COMPARE_WITH_TIMEOUT(fired.size(), 1, 10000);
        QVERIFY(QDateTime::currentDateTimeUtc() >= at);
    }

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
            const FileSizeLimit fullDisk(16);
            QVERIFY(fullDisk.active());
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
