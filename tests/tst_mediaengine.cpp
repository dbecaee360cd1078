// The real engine from the media module, loaded as the program loads it, on
// real files of every format, played in real time to GStreamer's fake sink.

#include "platform/mediamodule.h"

#include <QAudio>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Status = PlayerLogic::MediaStatus;

namespace {

constexpr int kDeadlineMs = 10'000;

QString media(const char *name)
{
    return QStringLiteral(TOCKARO_TEST_MEDIA_DIR "/") + QLatin1String(name);
}

struct RecordingListener final : MediaEngineListener {
    void durationChanged(qint64) override {}
    void statusChanged(Status status) override { statuses.append(status); }
    QList<Status> statuses;
};

} // namespace

class TestMediaEngine final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The other backend crashes without a sound card; the fake sink stands in for one.
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
        qputenv("GST_PLUGIN_FEATURE_RANK", "fakeaudiosink:MAX");
        // Three quarter notes on a piano at 120 beats a minute: 1.5 s.
        write("tune.mid", QByteArray::fromHex("4d546864000000060000000100604d54726b0000001f00c000"
                                              "00903c6060803c0000904060608040000090436060804300"
                                              "00ff2f00"));
        write("noise.wav", QByteArray(4000, '\x5a'));
        QVERIFY(mkfifo(QFile::encodeName(m_scratch.filePath(QStringLiteral("pipe.wav"))), 0600) ==
                0);
    }

    // The first rows also check what the first plays of the process map: it
    // stays mapped for good. The MP3 must come before any format that needs libav.
    void everyFormatPlaysToItsEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArrayList>("libraries"); // "+" mapped, "-" not
        QTest::newRow("wav, with no camera or Vulkan device watch")
            << media("short.wav")
            << QByteArrayList{"+/libgstplayback.so", "-/libgstvideo4linux2.so",
                              "-/libgstuvch264.so", "-/libgstvulkan.so"};
        QTest::newRow("mp3, without libav")
            << media("tone.mp3") << QByteArrayList{"+/libgstmpg123.so", "-/libgstlibav.so"};
        for (const char *name : {"tone.wma", "clip.avi", "clip.mpg", "clip.mov", "clip.flv"})
            QTest::newRow(name) << media(name) << QByteArrayList();
        QTest::newRow("mid") << m_scratch.filePath(QStringLiteral("tune.mid")) << QByteArrayList();
    }
    void everyFormatPlaysToItsEnd()
    {
        QFETCH(QString, file);
        QFETCH(QByteArrayList, libraries);
        const std::unique_ptr<MediaEngine> engine = play(file);
        // 1.5 to 1.6 s; an MPEG program stream's clock starts late, and that much is left out.
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 700, kDeadlineMs);
        QVERIFY2(engine->duration() < 1800, qPrintable(QString::number(engine->duration())));
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        QCOMPARE(engine->position(), engine->duration());
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        for (const QByteArray &library : libraries)
            QVERIFY2(mapped.contains(library.mid(1)) == library.startsWith('+'), library);
    }

    void volumeIsAppliedAndSeekRepeats()
    {
        const std::unique_ptr<MediaEngine> engine = play(media("short.wav"));
        engine->setVolume(-2000);
        QCOMPARE(
            m_videoArea.findChild<QMediaPlayer *>()->audioOutput()->volume(),
            QAudio::convertVolume(-20.0f, QAudio::DecibelVolumeScale, QAudio::LinearVolumeScale));
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        engine->seek(0);
        QTRY_VERIFY_WITH_TIMEOUT(engine->status() == Status::Ready && engine->position() > 300,
                                 kDeadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
    }

    // However many errors Qt raises for a file, the engine reports one failure.
    void unplayableFileFailsOnce_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("file");
        const QString module = QStringLiteral(TOCKARO_MEDIA_MODULE_FILE);
        QTest::newRow("missing file") << module << m_scratch.filePath(QStringLiteral("gone.wav"));
        QTest::newRow("garbage") << module << m_scratch.filePath(QStringLiteral("noise.wav"));
        QTest::newRow("empty path") << module << QString();
        QTest::newRow("a pipe, which would block")
            << module << m_scratch.filePath(QStringLiteral("pipe.wav"));
        QTest::newRow("no module")
            << m_scratch.filePath(QStringLiteral("none.so")) << media("short.wav");
        QTest::newRow("module without the entry point")
            << QStringLiteral(TOCKARO_NO_ENTRY_MODULE_FILE) << media("short.wav");
    }
    void unplayableFileFailsOnce()
    {
        QFETCH(QString, module);
        QFETCH(QString, file);
        ModuleMediaEngineFactory engines(module);
        RecordingListener listener;
        int qtErrors = 0;
        const std::unique_ptr<MediaEngine> engine = engines.create(m_videoArea);
        // Qt raises two errors or more for a file it cannot play, none for no file.
        int expectedQtErrors = 0;
        if (const QMediaPlayer *qt = m_videoArea.findChild<QMediaPlayer *>()) {
            connect(qt, &QMediaPlayer::errorOccurred, this, [&qtErrors] { ++qtErrors; });
            expectedQtErrors = QFileInfo(file).isFile() ? 2 : 0;
        }
        engine->setListener(&listener);
        engine->open(file);
        engine->run();
        QTRY_VERIFY_WITH_TIMEOUT(!listener.statuses.isEmpty() && qtErrors >= expectedQtErrors,
                                 kDeadlineMs);
        QCOMPARE(listener.statuses, QList{Status::Failed});
        QVERIFY(!engine->errorString().isEmpty());
    }

private:
    std::unique_ptr<MediaEngine> play(const QString &file)
    {
        std::unique_ptr<MediaEngine> engine = m_engines.create(m_videoArea);
        engine->open(file);
        engine->run();
        return engine;
    }
    void write(const char *name, const QByteArray &bytes)
    {
        QFile file(m_scratch.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    QTemporaryDir m_scratch;
    QWidget m_videoArea;
    ModuleMediaEngineFactory m_engines{QStringLiteral(TOCKARO_MEDIA_MODULE_FILE)};
};

QTEST_MAIN(TestMediaEngine)
#include "tst_mediaengine.moc"
