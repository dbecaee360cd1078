// The real engines, got as the program gets them, on real files played in real
// time: on GStreamer in the sound program (the media module where there is none);
// on Windows under Wine, WAV on Qt's sound output and files Media Foundation refuses.

#include "platform/mediamodule.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef TOCKARO_GSTREAMER
#include "platform/gstaudioengine.h"
#include "platform/gstreamertuning.h"

#include <gst/gst.h>

#include <atomic>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include "playback/tone.h"
#endif

using Status = PlayerLogic::MediaStatus;

namespace {

constexpr int kDeadlineMs = 10'000;

struct RecordingListener final : MediaEngineListener {
    void durationChanged(qint64) override {}
    void statusChanged(Status status) override { statuses.append(status); }
    QList<Status> statuses;
};

#ifdef TOCKARO_GSTREAMER
QString media(const char *name)
{
    return QStringLiteral(TOCKARO_TEST_MEDIA_DIR "/") + QLatin1String(name);
}

// The volume element of the pipeline made last, whichever engine made it:
// what GStreamer was actually given; null again once that pipeline is gone.
GstElement *g_volume = nullptr;

gboolean noteVolume(GSignalInvocationHint *, guint, const GValue *values, gpointer)
{
    auto *element = GST_ELEMENT(g_value_get_object(&values[1]));
    if (GstElementFactory *factory = gst_element_get_factory(element);
        factory &&
        g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "volume") == 0)
        g_set_weak_pointer(&g_volume, element);
    return TRUE;
}

// Counts what reaches an element of a pipeline: a file looped as segments
// brings a new segment at each wrap, and no flush and no end.
struct StreamEvents {
    std::atomic_int segments = 0;
    std::atomic_int flushes = 0;
    std::atomic_int ends = 0;

    static GstPadProbeReturn count(GstPad *, GstPadProbeInfo *info, gpointer events)
    {
        auto *self = static_cast<StreamEvents *>(events);
        switch (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info))) {
        case GST_EVENT_SEGMENT:
            ++self->segments;
            break;
        case GST_EVENT_FLUSH_STOP:
            ++self->flushes;
            break;
        case GST_EVENT_EOS:
            ++self->ends;
            break;
        default:
            break;
        }
        return GST_PAD_PROBE_OK;
    }
};

// The sound program this test started, or 0.
pid_t soundProgram()
{
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &process : processes) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process));
        // "pid (name) state parent ..."
        const QList<QByteArray> fields =
            stat.open(QIODevice::ReadOnly) ? stat.readAll().split(' ') : QList<QByteArray>();
        if (fields.size() > 3 && fields[1] == "(tockaro-sound)" && fields[3].toInt() == getpid())
            return process.toInt();
    }
    return 0;
}

QByteArray mapsOf(const QString &process)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}
#endif

} // namespace

class TestMediaEngine final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        write("noise.wav", QByteArray(4000, '\x5a'));
#ifdef TOCKARO_GSTREAMER
        // The other backend crashes without a sound card; the fake sink stands in for one.
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
        qputenv("GST_PLUGIN_FEATURE_RANK", "fakeaudiosink:MAX");
        // Three quarter notes on a piano at 120 beats a minute: 1.5 s.
        write("tune.mid", QByteArray::fromHex("4d546864000000060000000100604d54726b0000001f00c000"
                                              "00903c6060803c0000904060608040000090436060804300"
                                              "00ff2f00"));
        write("noise.avi", QByteArray(4000, '\x5a'));
        QVERIFY(mkfifo(QFile::encodeName(m_scratch.filePath(QStringLiteral("pipe.wav"))), 0600) ==
                0);
        gst_init(nullptr, nullptr);
        g_signal_add_emission_hook(g_signal_lookup("element-added", GST_TYPE_BIN), 0, noteVolume,
                                   nullptr, nullptr);
#else
        write("tone.wav", alarmToneWav());
#endif
    }

#ifndef TOCKARO_GSTREAMER
    // WAV plays on Qt's sound output to its end, in real time, Media Foundation never asked.
    void waveSoundPlaysWithoutACodec_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("length");
        QTest::newRow("a built-in sound")
            << QStringLiteral(TOCKARO_SOUNDS_DIR "/alarm.wav") << qint64(2000);
        QTest::newRow("the tone") << m_scratch.filePath(QStringLiteral("tone.wav")) << qint64(1400);
    }
    void waveSoundPlaysWithoutACodec()
    {
        QFETCH(QString, file);
        QFETCH(qint64, length);
        RecordingListener listener;
        QElapsedTimer played;
        played.start();
        const std::unique_ptr<MediaEngine> engine =
            play(m_engines.create(m_videoArea, file), file, &listener);
        QCOMPARE(engine->duration(), length);
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        QVERIFY2(played.elapsed() >= length, qPrintable(QString::number(played.elapsed())));
        QCOMPARE(engine->position(), length);
        QCOMPARE(listener.statuses, (QList{Status::Ready, Status::Ended}));
        QVERIFY(!m_videoArea.findChild<QMediaPlayer *>());
    }
#else

    // Rows check what the first plays map, here and in the sound program, in an order that
    // matters: the MP3 before any format that needs libav, the sounds before the first video.
    void everyFormatPlaysToItsEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArrayList>("ours");    // "+" mapped, "-" not
        QTest::addColumn<QByteArrayList>("program"); // the same in the sound program
        QTest::newRow("wav, in the sound program without the media module")
            << media("short.wav") << QByteArrayList{"-/libgstplayback.so", "-/tockaro_media.so"}
            << QByteArrayList{"+/libgstplayback.so"};
        QTest::newRow("mp3, without libav")
            << media("tone.mp3") << QByteArrayList()
            << QByteArrayList{"+/libgstmpg123.so", "-/libgstlibav.so"};
        QTest::newRow("wma") << media("tone.wma") << QByteArrayList() << QByteArrayList();
        QTest::newRow("mid, still without the media module")
            << m_scratch.filePath(QStringLiteral("tune.mid"))
            << QByteArrayList{"-/tockaro_media.so"} << QByteArrayList();
        QTest::newRow("avi, its picture decoded in the sound program, still without the module")
            << media("clip.avi") << QByteArrayList{"-/tockaro_media.so"}
            << QByteArrayList{"+/libgstavi.so"};
    }
    void everyFormatPlaysToItsEnd()
    {
        QFETCH(QString, file);
        QFETCH(QByteArrayList, ours);
        QFETCH(QByteArrayList, program);
        const std::unique_ptr<MediaEngine> engine = play(m_engines.create(m_videoArea, file), file);
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 1400, kDeadlineMs); // 1.5 to 1.6 s
        QVERIFY2(engine->duration() < 1800, qPrintable(QString::number(engine->duration())));
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        QCOMPARE(engine->position(), engine->duration());
        for (const auto &[libraries, mapped] :
             {std::pair{ours, mapsOf(QStringLiteral("self"))},
              {program, mapsOf(QString::number(soundProgram()))}}) {
            for (const QByteArray &library : libraries)
                QVERIFY2(mapped.contains(library.mid(1)) == library.startsWith('+'), library);
        }
    }

    void volumeIsAppliedAndSeekRepeats_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("file");
        QTest::newRow("GStreamer") << "sound" << media("short.wav");
        // Its sound is found after its volume is set.
        QTest::newRow("GStreamer, a video") << "video" << media("clip.avi");
        QTest::newRow("Qt Multimedia") << "module" << media("clip.avi");
    }
    // The sound program's engines are looked at here, in this process.
    void volumeIsAppliedAndSeekRepeats()
    {
        QFETCH(QString, engine);
        QFETCH(QString, file);
        QVERIFY(startGStreamerLean());
        ModuleMediaEngineFactory module(kMediaModule);
        std::unique_ptr<MediaEngine> played =
            play(engine == "sound" ? makeGstAudioEngine()
                 : engine == "video" ? makeGstVideoEngine(0)
                                     : module.create(m_videoArea, file),
                 file);
        played->setVolume(-2000);
        QTRY_VERIFY_WITH_TIMEOUT(g_volume, kDeadlineMs);
        double linear = 0;
        g_object_get(g_volume, "volume", &linear, nullptr);
        QVERIFY2(qAbs(linear - 0.1) < 1e-6, qPrintable(QString::number(linear)));
        QTRY_COMPARE_WITH_TIMEOUT(played->status(), Status::Ended, kDeadlineMs);
        played->seek(0);
        QTRY_VERIFY_WITH_TIMEOUT(played->status() == Status::Ready && played->position() > 300,
                                 kDeadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(played->status(), Status::Ended, kDeadlineMs);
        // Nothing of a closed engine's pipeline may stay, alarm after alarm.
        played.reset();
        QVERIFY(!g_volume);
    }

    // The gapless loop: sought back at each segment's end without a flush, the sink plays on.
    void repeatWrapsFromItsSegmentWithoutFlushOrEnd()
    {
        QVERIFY(startGStreamerLean());
        RecordingListener listener;
        const QString file = media("blip.wav");
        const std::unique_ptr<MediaEngine> engine =
            play(makeGstAudioEngine(), file, &listener, true);
        StreamEvents events;
        GstPad *pad = gst_element_get_static_pad(g_volume, "sink");
        gst_pad_add_probe(
            pad,
            GstPadProbeType(GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
            StreamEvents::count, &events, nullptr);
        gst_object_unref(pad);
        // Prerolled, the loop is set up with the one flush that starts it.
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ready, kDeadlineMs);
        QTRY_COMPARE_WITH_TIMEOUT(events.flushes.load(), 1, kDeadlineMs);
        const int looped = events.segments + 1;
        QTRY_VERIFY_WITH_TIMEOUT(events.segments >= looped + 3, kDeadlineMs);
        QCOMPARE(events.flushes.load(), 1);
        QCOMPARE(events.ends.load(), 0);
        QCOMPARE(listener.statuses, QList{Status::Ready});
    }

    // A repeated file that cannot be sought (MIDI) ends, and the player seeks it back.
    void repeatEndsWhereTheFileCannotLoop()
    {
        const QString file = m_scratch.filePath(QStringLiteral("tune.mid"));
        RecordingListener listener;
        const std::unique_ptr<MediaEngine> engine =
            play(m_engines.create(m_videoArea, file), file, &listener, true);
        QTRY_VERIFY_WITH_TIMEOUT(listener.statuses.contains(Status::Ended), kDeadlineMs);
    }

#endif

    // However many errors Qt raises for a file, the engine reports one failure.
    void unplayableFileFailsOnce_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("program"); // the sound program
        QTest::addColumn<QString>("file");
#ifndef TOCKARO_GSTREAMER
        QTest::newRow("a file that cannot be played, on Media Foundation")
            << kMediaModule << kSoundProgram << m_scratch.filePath(QStringLiteral("noise.wav"));
        QTest::newRow("missing file")
            << kMediaModule << kSoundProgram << m_scratch.filePath(QStringLiteral("gone.wav"));
#else
        QTest::newRow("missing file")
            << kMediaModule << kSoundProgram << m_scratch.filePath(QStringLiteral("gone.wav"));
        QTest::newRow("garbage, on GStreamer")
            << kMediaModule << kSoundProgram << m_scratch.filePath(QStringLiteral("noise.wav"));
        QTest::newRow("garbage, on Qt Multimedia")
            << kMediaModule << QString() << m_scratch.filePath(QStringLiteral("noise.avi"));
        QTest::newRow("empty path") << kMediaModule << kSoundProgram << QString();
        QTest::newRow("a pipe, which would block")
            << kMediaModule << kSoundProgram << m_scratch.filePath(QStringLiteral("pipe.wav"));
        const QString none = m_scratch.filePath(QStringLiteral("none"));
        QTest::newRow("no sound program") << none << none << media("short.wav");
#endif
    }
    void unplayableFileFailsOnce()
    {
        QFETCH(QString, module);
        QFETCH(QString, program);
        QFETCH(QString, file);
        ModuleMediaEngineFactory engines(module, program);
        RecordingListener listener;
        int qtErrors = 0;
        const std::unique_ptr<MediaEngine> engine = engines.create(m_videoArea, file);
        // Qt raises two errors or more for a file it cannot play, none for no file.
        int expectedQtErrors = 0;
        if (const QMediaPlayer *qt = m_videoArea.findChild<QMediaPlayer *>()) {
            connect(qt, &QMediaPlayer::errorOccurred, this, [&qtErrors] { ++qtErrors; });
            expectedQtErrors = QFileInfo(file).isFile() ? kQtErrorsForAFile : 0;
        }
        engine->setListener(&listener);
        engine->open(file);
        engine->run();
        QTRY_VERIFY_WITH_TIMEOUT(!listener.statuses.isEmpty() && qtErrors >= expectedQtErrors,
                                 kDeadlineMs);
        QCOMPARE(listener.statuses, QList{Status::Failed});
        QVERIFY(!engine->errorString().isEmpty());
    }

#ifdef TOCKARO_GSTREAMER
    // A decoder that crashes or hangs costs its file and the sound program, not the clock:
    // the next file (the alarm's fallback) starts the program afresh, which ends once unused.
    void soundProgramThatDiesOrHangsFailsItsSoundOnly_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("reason");
        // An abort, as a decoder's failed assertion ends it: the sanitizers
        // take a SIGSEGV for their own and end the program with a status.
        QTest::newRow("a video's decoder crashes")
            << media("clip.avi") << SIGABRT << QStringLiteral("The sound program crashed.");
        QTest::newRow("a sound's decoder hangs")
            << media("short.wav") << SIGSTOP
            << QStringLiteral("The sound program stopped answering.");
    }
    void soundProgramThatDiesOrHangsFailsItsSoundOnly()
    {
        QFETCH(QString, file);
        QFETCH(int, signal);
        QFETCH(QString, reason);
        RecordingListener listener;
        {
            const std::unique_ptr<MediaEngine> engine =
                play(m_engines.create(m_videoArea, file), file, &listener, true);
            QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ready, kDeadlineMs);
            const pid_t program = soundProgram();
            QVERIFY(program > 0);
            QVERIFY(::kill(program, signal) == 0);
            // Read as the player reads it, at least once a second.
            const auto failed = [&engine] {
                engine->position();
                return engine->status() == Status::Failed;
            };
            QTRY_VERIFY_WITH_TIMEOUT(failed(), 2 * kDeadlineMs);
            QCOMPARE(engine->errorString(), reason);
            QCOMPARE(listener.statuses, (QList{Status::Ready, Status::Failed}));
        }
        {
            const QString fallback = media("short.wav");
            const std::unique_ptr<MediaEngine> engine =
                play(m_engines.create(m_videoArea, fallback), fallback);
            QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(soundProgram(), 0, kDeadlineMs);
    }

    // Without a sound program the media module plays, watching no camera or Vulkan device.
    void soundsGoToTheMediaModuleWithoutTheSoundProgram()
    {
        ModuleMediaEngineFactory engines(kMediaModule, m_scratch.filePath(QStringLiteral("none")));
        const QString file = media("short.wav");
        const std::unique_ptr<MediaEngine> lost = play(engines.create(m_videoArea, file), file);
        QTRY_COMPARE_WITH_TIMEOUT(lost->status(), Status::Failed, kDeadlineMs);
        const std::unique_ptr<MediaEngine> engine = play(engines.create(m_videoArea, file), file);
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        const QByteArray mapped = mapsOf(QStringLiteral("self"));
        for (const char *library :
             {"/libgstvideo4linux2.so", "/libgstuvch264.so", "/libgstvulkan.so"})
            QVERIFY2(!mapped.contains(library), library);
    }
#endif

private:
    std::unique_ptr<MediaEngine> play(std::unique_ptr<MediaEngine> engine, const QString &file,
                                      MediaEngineListener *listener = nullptr, bool repeat = false)
    {
        engine->setListener(listener);
        engine->setRepeat(repeat);
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
    const QString kMediaModule = QStringLiteral(TOCKARO_MEDIA_MODULE_FILE);
#ifdef TOCKARO_GSTREAMER
    const QString kSoundProgram = QStringLiteral(TOCKARO_SOUND_PROGRAM_FILE);
    // GStreamer raises two errors for a file it cannot play.
    static constexpr int kQtErrorsForAFile = 2;
#else
    const QString kSoundProgram;
    static constexpr int kQtErrorsForAFile = 1;
#endif
    ModuleMediaEngineFactory m_engines{kMediaModule, kSoundProgram};
};

QTEST_MAIN(TestMediaEngine)
#include "tst_mediaengine.moc"
