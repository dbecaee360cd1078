#include "alarms/alarmfile.h"
#include "filesizelimit.h"
#include "platform/alarmfilestore.h"
#include "platform/files.h"
#include "platform/secondticker.h"
#include "platform/soundprocess.h"
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
#include <QWidget>

#include <memory>
#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(7, 30, 15));

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("-");
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestPlatform final : public QObject {
    Q_OBJECT

public:
#ifdef Q_OS_UNIX
    // The sound program's engines are made for a window, on no screen.
    static void initMain()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
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

    // The command comes from PATH, never the current folder; PATH names the stand-in's folder or
    // an empty one, so the real command is never found.
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
        const QString record = empty.filePath("record"), folder = QDir::currentPath();
        const QByteArray path = qgetenv("PATH");
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
#ifdef Q_OS_WIN
        const QByteArray arguments = "/s /t 0\r\n"; // written in text mode
#else
        const QByteArray arguments = "poweroff\n";
#endif
        QTRY_COMPARE(contents(record), onPath ? arguments : QByteArray("-"));
    }

#ifdef Q_OS_WIN
    void sleepLockTakenAndReleased()
    {
        // Without ES_CONTINUOUS the call changes nothing and tells the state in force.
        const auto required = [] {
            return SetThreadExecutionState(ES_SYSTEM_REQUIRED) & ES_SYSTEM_REQUIRED;
        };
        SystemSleepInhibitor inhibitor;
        inhibitor.take();
        QVERIFY(required());
        inhibitor.release();
        QVERIFY(!required());
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
#ifdef Q_OS_UNIX // a full disk; Windows has no file-size limit to make one with
        {
            const FileSizeLimit fullDisk(16);
            QVERIFY(fullDisk.active());
            QVERIFY(!saveFileAtomically(m_dir.filePath("als"), QByteArray(100, 'n')).ok());
        }
#endif
        QCOMPARE(readRegularFile(m_dir.filePath("als"), 6).bytes, bytes);
        const FileContents tooLarge = readRegularFile(m_dir.filePath("als"), 5);
        QVERIFY(tooLarge.bytes.isEmpty() && !tooLarge.error.isEmpty());
        QVERIFY(!readRegularFile(m_dir.filePath("none"), 6).exists);
    }
    // A save keeps a copy of what the program did not write or read itself, also when it lands
    // while the save writes. "-": no file, no copy; "=": the file as read.
    void savesKeepWhatTheyWouldLose_data()
    {
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QByteArray>("meanwhile");
        QTest::addColumn<QByteArray>("whileSaving"); // written just before the new file replaces it
        QTest::addColumn<bool>("keepCopy");
        QTest::addColumn<QByteArray>("kept");
        const auto row = [](const char *name, QByteArray read, QByteArray meanwhile,
                            QByteArray whileSaving, bool keepCopy, QByteArray kept) {
            QTest::newRow(name) << read << meanwhile << whileSaving << keepCopy << kept;
        };
        row("unchanged", "a", "=", "=", false, "-");
        row("edited by hand, same size and time", "a", "b", "=", false, "b");
        row("made by hand", "-", "b", "=", false, "b");
        row("removed by hand", "a", "-", "=", false, "-");
        row("a copy asked for", "a", "=", "=", true, "a");
        row("edited by hand while saving", "a", "=", "c", false, "c");
    }
    void savesKeepWhatTheyWouldLose()
    {
        QFETCH(QByteArray, read);
        QFETCH(QByteArray, meanwhile);
        QFETCH(QByteArray, whileSaving);
        QFETCH(bool, keepCopy);
        QFETCH(QByteArray, kept);
        QTemporaryDir dir;
        const QString path = dir.filePath("als");
        if (read != "-")
            write(path, read);
        KeptFile file(path, 100, [&] {
            if (whileSaving != "=")
                write(path, std::exchange(whileSaving, "="));
        });
        file.read();
        if (meanwhile == "-") {
            QVERIFY(QFile::remove(path));
        } else if (meanwhile != "=") {
            const QDateTime readAt = QFileInfo(path).lastModified();
            write(path, meanwhile);
            QFile edited(path);
            QVERIFY(!readAt.isValid() || (edited.open(QIODevice::ReadWrite) &&
                                          edited.setFileTime(readAt, QFile::FileModificationTime)));
        }
        const SaveReport saved = file.save("new", kNow, keepCopy);
        QVERIFY2(saved.ok(), qPrintable(saved.error));
        QCOMPARE(contents(path), "new");
        QCOMPARE(saved.changedByHand, kept != "-" && !keepCopy);
        QCOMPARE(contents(saved.backup), kept);
        // The next save finds what this one wrote.
        QVERIFY(file.save("newer", kNow).backup.isEmpty());
    }

#ifdef Q_OS_UNIX
    // What cannot be read is not written over: a pipe a reader would wait on, a link to nothing
    // a writer would follow. (On Windows a link made here is a shortcut, an ordinary file.)
    void neverWritesOverWhatItCannotKeep()
    {
        for (const bool pipe : {true, false}) {
            QTemporaryDir dir;
            const QString path = dir.filePath("als");
            KeptFile file(path, 100);
            file.read();
            QVERIFY(pipe ? mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                         : QFile::link(dir.filePath("gone"), path));
            const QStringList before = entries(dir.path());
            const SaveReport saved = file.save("new", kNow);
            QVERIFY2(saved.error.startsWith(path + ": it "), qPrintable(saved.error));
            QCOMPARE(entries(dir.path()), before);
            QVERIFY(!QFileInfo(path).isFile());
        }
    }
#endif

    // A copy keeps the file's mode; the oldest beyond 20 go, never the new one nor other files.
    void backupsKeepModeAndCount()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("als");
        write(path, "mine");
        const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(path, ownerOnly));
        const QDateTime yesterday = kNow.addDays(-1);
        for (int copy = 1; copy <= kMaxBackups; ++copy)
            write(backupPath(path, yesterday, copy), "old");
        write(dir.filePath("als-notes.bak"), "notes");
        KeptFile file(path, 100); // never read: what is there counts as a change
        const SaveReport saved = file.save("new", kNow);
        QVERIFY(saved.changedByHand);
#ifdef Q_OS_UNIX // Windows has access lists, not these bits
        const QFile::Permissions bits = QFileInfo(saved.backup).permissions() &
                                        ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(bits, ownerOnly);
#endif
        QCOMPARE(contents(saved.backup), "mine");
        QVERIFY(!QFile::exists(backupPath(path, yesterday, 1)));
        QVERIFY(QFile::exists(backupPath(path, yesterday, 10)));
        QCOMPARE(entries(dir.path()).size(), 1 + kMaxBackups + 1);
    }

    // The writer stops where the reader does: a file of the limit loads, a byte more is refused.
    void alarmFileAtItsLimit()
    {
        QTemporaryDir dir;
        KeptFile file(dir.filePath("als"), kMaxAlarmFileBytes);
        file.read();
        AlarmSlots alarms{};
        AlarmRecord alarm{{}, 2, "07:00:00", {2026, 12, 7}, "0111110", 0, {}, 0, 0, 0, 30, "15"};
        alarms[1] = alarm;
        alarm.message = QString(
            alarmFileRoom(alarms, 1, 2, QLocale::c()) - alarmLineBytes(alarm, QLocale::c()), u'x');
        alarms[2] = alarm;
        const QByteArray bytes = alarmFileBytes(alarms, 2, QLocale::c());
        QCOMPARE(bytes.size(), kMaxAlarmFileBytes);
        QVERIFY(file.save(bytes, kNow).ok());
        const AlarmFileContents read = loadAlarmFile(file, QLocale::c(), 2026);
        QVERIFY(read.report.isClean() && read.records.size() == 2);
        QCOMPARE(read.records[1].message, alarm.message);

        const SaveReport refused = file.save(bytes + 'x', kNow);
        QVERIFY(refused.error.contains(QLocale::c().formattedDataSize(kMaxAlarmFileBytes)));
        QCOMPARE(QFileInfo(file.path()).size(), kMaxAlarmFileBytes);
    }

#ifdef Q_OS_UNIX
    // A sound program still ending as the clock ends is waited for and freed (else a leak).
    void soundProgramEndsWithTheClock()
    {
        const QString program = m_dir.filePath("sound");
        write(program, "#!/bin/sh\necho $$ >\"$0.pid\"\ncat >/dev/null\ntouch \"$0.ending\"\n"
                       "sleep 1\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        auto engines = std::make_unique<SoundProcessEngines>(program);
        QWidget videoArea;
        engines->create(videoArea, {}).reset();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(program + ".ending"), 10'000);
        const pid_t ending = contents(program + ".pid").trimmed().toInt();
        QVERIFY(ending > 0);
        engines.reset();
        QCOMPARE(::kill(ending, 0), -1);
    }
#endif

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

#ifdef Q_OS_UNIX
QTEST_MAIN(TestPlatform)
#else
QTEST_GUILESS_MAIN(TestPlatform)
#endif
#include "tst_platform.moc"
