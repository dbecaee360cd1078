#include "filesizelimit.h"
#include "platform/files.h"
#include "platform/secondticker.h"

#include <QDateTime>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestPlatform final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveAndRead()
    {
        QVERIFY(m_dir.isValid());
        const QByteArray bytes("a\r\nb\0\xff", 6);
        QVERIFY(saveFileAtomically(m_dir.filePath("als"), QByteArray(100, 'o')).ok());
        QVERIFY(saveFileAtomically(m_dir.filePath("als"), bytes).ok());
        QCOMPARE(::readWholeFile(m_dir.filePath("als"), -1).bytes, bytes);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"als"});
        const Result intoAFile = saveFileAtomically(m_dir.filePath("als/x"), "x");
        QVERIFY(!intoAFile.ok() && !intoAFile.error().isEmpty());
        {
            const FileSizeLimit fullDisk(16);
            QVERIFY(fullDisk.active());
            QVERIFY(!saveFileAtomically(m_dir.filePath("als"), QByteArray(100, 'n')).ok());
        }
        QCOMPARE(::readWholeFile(m_dir.filePath("als"), -1).bytes, bytes);
        QCOMPARE(::readWholeFile(m_dir.filePath("als"), 4).bytes, bytes.left(4));
        QVERIFY(!::readWholeFile(m_dir.filePath("none"), -1).exists);
        const FileContents directory = ::readWholeFile(m_dir.path(), -1);
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
