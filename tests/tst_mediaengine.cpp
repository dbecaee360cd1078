// The real engine from the media module, loaded as the program loads it, on
// real files of every format, played in real time to GStreamer's fake sink.

#include "platform/mediamodule.h"

#include <QAudio>
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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
        const QByteArray tune = QByteArray::fromHex(
            "4d546864000000060000000100604d54726b0000001f00c00000903c6060803c00009040606080"
            "4000009043606080430000ff2f00");
        QFile file(m_scratch.filePath(QStringLiteral("tune.mid")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(tune) == tune.size());
    }

    // Runs first: what the first plays of a process map stays mapped for good.
    void firstPlaysStayLight_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArrayList>("mapped");
        QTest::addColumn<QByteArrayList>("notMapped");
        QTest::newRow("no camera or Vulkan device watch")
            << media("short.wav") << QByteArrayList{"/libgstplayback.so"}
            << QByteArrayList{"/libgstvideo4linux2.so", "/libgstuvch264.so", "/libgstvulkan.so"};
        QTest::newRow("MP3 without libav")
            << media("tone.mp3") << QByteArrayList{"/libgstmpg123.so"}
            << QByteArrayList{"/libgstlibav.so"};
    }
    void firstPlaysStayLight()
    {
        QFETCH(QString, file);
        QFETCH(QByteArrayList, mapped);
        QFETCH(QByteArrayList, notMapped);
        const std::unique_ptr<MediaEngine> engine = play(file);
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ready, kDeadlineMs);
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray all = maps.readAll();
        for (const QByteArray &library : mapped)
            QVERIFY2(all.contains(library), library);
        for (const QByteArray &library : notMapped)
            QVERIFY2(!all.contains(library), library);
    }

    void everyFormatPlaysToItsEnd_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name :
             {"short.wav", "tone.mp3", "tone.wma", "clip.avi", "clip.mpg", "clip.mov", "clip.flv"})
            QTest::newRow(name) << media(name);
        QTest::newRow("tune.mid") << m_scratch.filePath(QStringLiteral("tune.mid"));
    }
    void everyFormatPlaysToItsEnd()
    {
        QFETCH(QString, file);
        const std::unique_ptr<MediaEngine> engine = play(file);
        // 1.5 to 1.6 s; an MPEG program stream's clock starts late, and that much is left out.
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 700, kDeadlineMs);
        QVERIFY2(engine->duration() < 1800, qPrintable(QString::number(engine->duration())));
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        QCOMPARE(engine->position(), engine->duration());
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

    void unplayableFileFailsOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // written unless null
        QTest::addColumn<int>("qtErrors");     // raised by Qt at least
        QTest::newRow("missing") << "gone.wav" << QByteArray() << 2;
        QTest::newRow("garbage") << "noise.wav" << QByteArray(4000, '\x5a') << 2;
        QTest::newRow("empty path") << "" << QByteArray() << 0;
    }
    void unplayableFileFailsOnce()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, qtErrors);
        const QString path = name.isEmpty() ? name : m_scratch.filePath(name);
        QFile file(path);
        QVERIFY(bytes.isNull() || (file.open(QIODevice::WriteOnly) && file.write(bytes) > 0));
        RecordingListener listener;
        const std::unique_ptr<MediaEngine> engine = m_engines.create(m_videoArea);
        QSignalSpy errors(m_videoArea.findChild<QMediaPlayer *>(), &QMediaPlayer::errorOccurred);
        engine->setListener(&listener);
        engine->open(path);
        engine->run();
        QTRY_VERIFY_WITH_TIMEOUT(errors.size() >= qtErrors && !listener.statuses.isEmpty(),
                                 kDeadlineMs);
        QCOMPARE(listener.statuses, QList{Status::Failed});
        QVERIFY(!engine->errorString().isEmpty());
    }

    void unloadableModuleFailsEveryFile_data()
    {
        QTest::addColumn<QString>("module");
        QTest::newRow("no module") << m_scratch.filePath(QStringLiteral("none.so"));
        QTest::newRow("no entry point") << QStringLiteral(TOCKARO_NO_ENTRY_MODULE_FILE);
    }
    void unloadableModuleFailsEveryFile()
    {
        QFETCH(QString, module);
        ModuleMediaEngineFactory engines(module);
        for (int play = 0; play < 2; ++play) {
            RecordingListener listener;
            const std::unique_ptr<MediaEngine> engine = engines.create(m_videoArea);
            engine->setListener(&listener);
            engine->open(media("short.wav"));
            QCOMPARE(listener.statuses, QList{Status::Failed});
            QVERIFY(engine->errorString().startsWith(QLatin1String("No media module: ")));
        }
    }

private:
    std::unique_ptr<MediaEngine> play(const QString &file)
    {
        std::unique_ptr<MediaEngine> engine = m_engines.create(m_videoArea);
        engine->open(file);
        engine->run();
        return engine;
    }

    QTemporaryDir m_scratch;
    QWidget m_videoArea;
    ModuleMediaEngineFactory m_engines{QStringLiteral(TOCKARO_MEDIA_MODULE_FILE)};
};

QTEST_MAIN(TestMediaEngine)
#include "tst_mediaengine.moc"
