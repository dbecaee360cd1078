// The real wake timer and lock against sleep. The machine is never suspended:
// the timer's moment is seen on the running clock.

#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString warnings;

void recordWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings += message;
}

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

class TestWake final : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
            qInstallMessageHandler(recordWarning);
            SystemWakeTimer timer;
            timer.arm(QDateTime::currentDateTimeUtc().addSecs(60));
            _exit(warnings.contains(QLatin1String("CAP_WAKE_ALARM")) ? 0 : 1);
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
};

QTEST_GUILESS_MAIN(TestWake)
#include "tst_wake.moc"
