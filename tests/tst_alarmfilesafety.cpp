// The alarm file as a hostile user leaves it: real files, links, a pipe and a
// folder on disk, read and saved as the program does.

#include "alarms/alarmfile.h"
#include "platform/alarmfilestore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(6, 45));

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class TestAlarmFileSafety : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void unreadableFileIsNeverReplaced_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"pipe", "link to /dev/zero", "folder", "dangling link", "huge"})
            QTest::newRow(kind) << kind;
    }

    void unreadableFileIsNeverReplaced()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString als = dir.filePath("als");
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(als).constData(), 0600), 0);
        else if (kind == "link to /dev/zero")
            QVERIFY(QFile::link("/dev/zero", als));
        else if (kind == "folder")
            QVERIFY(QDir(dir.path()).mkdir("als"));
        else if (kind == "dangling link")
            QVERIFY(QFile::link(dir.filePath("gone"), als));
        else
            QVERIFY(QFile(als).open(QIODevice::WriteOnly) &&
                    QFile(als).resize(kMaxAlarmFileBytes + 1));

        const AlarmFileContents read = loadAlarmFile(als, QLocale::c(), 2026);
        QVERIFY(read.records.isEmpty());
        QVERIFY(!read.report.readError.isEmpty());
        QVERIFY(!alarmLoadMessage(read.report).contains(".bak"));
        const Result saved = saveAlarmFile(als, "x\r\n", !read.report.isClean(), kNow);
        QVERIFY(saved.error().contains(read.report.readError));
        QCOMPARE(entries(dir), QStringList{"als"});
        QCOMPARE(loadAlarmFile(als, QLocale::c(), 2026).report.readError, read.report.readError);
    }

    void everyBackupIsKept()
    {
        AlarmRecord record;
        record.alarmDate = kNow.date();
        const QByteArray line = formatAlarmLine(record, QLocale::c()).toLatin1() + "\r\n";
        QTemporaryDir dir;
        QFile als(dir.filePath("als"));
        const QByteArray first = line.repeated(kMaxAlarms + 2) + "not an alarm\r\n";
        for (const QByteArray &bytes : {first, QByteArray("by hand\r\n")}) {
            QVERIFY(als.open(QIODevice::WriteOnly) && als.write(bytes) == bytes.size());
            als.close();
            QVERIFY(saveAlarmFile(als.fileName(), line, true, kNow).ok());
        }
        QCOMPARE(entries(dir),
                 (QStringList{"als", "als-20261207-064500-2.bak", "als-20261207-064500.bak"}));
        QFile oldest(dir.filePath("als-20261207-064500.bak"));
        QVERIFY(oldest.open(QIODevice::ReadOnly));
        QCOMPARE(oldest.readAll(), first);
    }

    void alarmsBeyondTheLastSlotAreToldApart()
    {
        const QByteArray line = formatAlarmLine(AlarmRecord{}, QLocale::c()).toLatin1() + "\n";
        const AlarmFileReport report =
            readAlarmLines(line.repeated(kMaxAlarms + 2) + "not an alarm", QLocale::c(), 2026)
                .report;
        QCOMPARE(report.overflowAlarms, 2);
        QCOMPARE(report.skippedLines, 1);
    }
};

QTEST_GUILESS_MAIN(TestAlarmFileSafety)
#include "tst_alarmfilesafety.moc"
