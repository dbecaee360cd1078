#include "alarms/alarmfile.h"
#include "filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

const QByteArray kOldFile =
    "12/24/2026[1*1]0111110[1*1]0[1*1]1[1*1]30[1*1]3[1*1]Old alarm[1*1][1*1]0[1*1]15[1*1]"
    "07:30:00[1*1]0[1*1]1[1*1]3\r\n";
const QByteArray kNewFile = QByteArray(kOldFile).replace("Old", "New").repeated(3);

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(unreadable)";
    return file.readAll();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

} // namespace

class TestAlarmFile final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_als = m_dir->filePath("als");
    }

    void missingFileHoldsNoAlarmsAndTheSaveCreatesIt()
    {
        const AlarmFileContents loaded = loadAlarmFile(m_als, kUs, 2026);
        QVERIFY(loaded.records.isEmpty());
        QVERIFY(loaded.report.isClean());
        QCOMPARE(saveAlarmFile(m_als, kNewFile, false), std::nullopt);
        QCOMPARE(contents(m_als), kNewFile);
        QCOMPARE(loadAlarmFile(m_als, kUs, 2026).records.size(), 3);
    }

    void fileThatCannotBeReadSaysWhy()
    {
        QVERIFY(QDir(m_dir->path()).mkdir("als"));
        const AlarmFileContents loaded = loadAlarmFile(m_als, kUs, 2026);
        QVERIFY(loaded.records.isEmpty());
        QVERIFY(!loaded.report.readError.isEmpty());
        QVERIFY(!loaded.report.isClean());
        QVERIFY(alarmLoadMessage(loaded.report).contains(loaded.report.readError));
    }

    void saveReplacesTheWholeFileAndLeavesNothingElse()
    {
        write(m_als, kOldFile + QByteArray(5000, 'x'));
        QCOMPARE(saveAlarmFile(m_als, kNewFile, false), std::nullopt);
        QCOMPARE(contents(m_als), kNewFile);
        QCOMPARE(entries(m_dir->path()), QStringList{"als"});
    }

    void saveIntoAFolderThatIsAFileFails()
    {
        write(m_dir->filePath("conf"), "settings");
        const QString als = m_dir->filePath("conf/als");
        const std::optional<QString> error = saveAlarmFile(als, kNewFile, false);
        QVERIFY(error);
        QVERIFY(error->startsWith(QDir::toNativeSeparators(als) + ": "));
        QVERIFY(error->size() > als.size() + 2);
        QCOMPARE(contents(m_dir->filePath("conf")), QByteArray("settings"));
        QCOMPARE(entries(m_dir->path()), QStringList{"conf"});
    }

    void saveOntoAFolderFails()
    {
        QVERIFY(QDir(m_dir->path()).mkpath("als/inside"));
        for (bool keepBackup : {false, true}) {
            QVERIFY(saveAlarmFile(m_als, kNewFile, keepBackup));
            QCOMPARE(entries(m_als), QStringList{"inside"});
            QCOMPARE(entries(m_dir->path()), QStringList{"als"});
        }
    }

    void fullDiskKeepsTheOldFileWhole()
    {
#ifdef Q_OS_UNIX
        write(m_als, kOldFile);
        std::optional<QString> error;
        {
            const FileSizeLimit fullDisk(16);
            QVERIFY(fullDisk.active());
            error = saveAlarmFile(m_als, kNewFile, false);
        }
        QVERIFY(error);
        QVERIFY(error->contains(QDir::toNativeSeparators(m_als)));
        QCOMPARE(contents(m_als), kOldFile);
        QCOMPARE(entries(m_dir->path()), QStringList{"als"});
#else
        QSKIP("needs a file size limit");
#endif
    }

    void backupIsKeptBeforeTheFileIsReplaced()
    {
        write(m_als, kOldFile + "garbage\r\n");
        write(alarmBackupPath(m_als), "an older backup");
        QCOMPARE(saveAlarmFile(m_als, kNewFile, true), std::nullopt);
        QCOMPARE(contents(m_als), kNewFile);
        QCOMPARE(contents(m_dir->filePath("als.bak")), kOldFile + "garbage\r\n");
    }

    void noBackupWithoutNeed()
    {
        QCOMPARE(saveAlarmFile(m_als, kOldFile, true), std::nullopt);
        QCOMPARE(saveAlarmFile(m_als, kNewFile, false), std::nullopt);
        QCOMPARE(entries(m_dir->path()), QStringList{"als"});
    }

    void backupThatCannotBeMadeStopsTheSave()
    {
        write(m_als, kOldFile);
        QVERIFY(QDir(m_dir->path()).mkpath("als.bak/inside"));
        const std::optional<QString> error = saveAlarmFile(m_als, kNewFile, true);
        QVERIFY(error);
        QVERIFY(error->contains("als.bak"));
        QCOMPARE(contents(m_als), kOldFile);
    }

    void loadMessage_data()
    {
        QTest::addColumn<int>("skipped");
        QTest::addColumn<int>("altered");
        QTest::addColumn<QString>("message");
        QTest::newRow("clean") << 0 << 0 << "";
        QTest::newRow("one line") << 1 << 0
                                  << "1 line of the alarm file could not be read and was not "
                                     "loaded.\nThe file as it is now will be kept as als.bak "
                                     "when the alarms are next saved.";
        QTest::newRow("lines and alarms")
            << 3 << 2
            << "3 lines of the alarm file could not be read and were not loaded.\n2 alarms were "
               "loaded from lines that could be read only in part.\nThe file as it is now will "
               "be kept as als.bak when the alarms are next saved.";
        QTest::newRow("one alarm") << 0 << 1
                                   << "1 alarm was loaded from a line that could be read only in "
                                      "part.\nThe file as it is now will be kept as als.bak when "
                                      "the alarms are next saved.";
    }

    void loadMessage()
    {
        QFETCH(int, skipped);
        QFETCH(int, altered);
        QFETCH(QString, message);
        AlarmFileReport report;
        report.skippedLines = skipped;
        report.alteredLines = altered;
        QCOMPARE(alarmLoadMessage(report), message);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_als;
};

QTEST_GUILESS_MAIN(TestAlarmFile)
#include "tst_alarmfile.moc"
