// The real Qt Multimedia engine on real files of every format, alone and
// under the player window, made by the media module loaded as the program
// loads it. Playback runs in real time to a fake audio sink; every wait is on
// a condition with a deadline.

#include "app/bigcformstate.h"
#include "headlessmedia.h"
#include "playback/frmdshow.h"
#include "playback/mediamodule.h"
#include "playback/volume.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>

using Status = PlayerLogic::MediaStatus;

namespace {

constexpr int kDeadlineMs = 10'000;
const QString kMediaDir = QStringLiteral(TOCKARO_TEST_MEDIA_DIR);

QString media(const QString &name)
{
    return kMediaDir + u'/' + name;
}

// What an engine told, in order.
class RecordingListener final : public MediaEngineListener {
public:
    void durationChanged(qint64 ms) override { durations.append(ms); }
    void statusChanged(Status status) override { statuses.append(status); }

    QList<qint64> durations;
    QList<Status> statuses;
};

// The engine's Qt objects live under the video area it was given.
template <typename T> T *qtPart(const QWidget &videoArea)
{
    return videoArea.findChild<T *>();
}

// Three quarter notes on a piano at 120 beats a minute: 1.5 s.
const QByteArray kTune =
    QByteArray::fromHex("4d546864000000060000000100604d54726b0000001f00c00000903c6060803c0000"
                        "904060608040000090436060804300"
                        "00ff2f00");

} // namespace

class TestMediaEngine final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        useHeadlessMedia();
        QVERIFY(m_scratch.isValid());
        m_tune = m_scratch.filePath(QStringLiteral("tune.mid"));
        QFile tune(m_tune);
        QVERIFY(tune.open(QIODevice::WriteOnly));
        QCOMPARE(tune.write(kTune), kTune.size());
    }

    void init()
    {
        m_state = BigCFormState();
        m_player = std::make_unique<frmdshow>(m_state, m_engines);
    }

    void cleanup() { m_player.reset(); }

    void everyFormatPlaysToItsEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("wav") << media("short.wav") << 1400 << 1600;
        QTest::newRow("mp3") << media("tone.mp3") << 1400 << 1700;
        QTest::newRow("wma") << media("tone.wma") << 1400 << 1800;
        QTest::newRow("mid") << QString() << 1400 << 1600;
        QTest::newRow("avi") << media("clip.avi") << 1400 << 1800;
        // An MPEG program stream's clock starts late and the engine takes
        // that start off the length it reports.
        QTest::newRow("mpg") << media("clip.mpg") << 700 << 1800;
        QTest::newRow("mov") << media("clip.mov") << 1400 << 1800;
        QTest::newRow("flv") << media("clip.flv") << 1400 << 1800;
    }

    void everyFormatPlaysToItsEnd()
    {
        QFETCH(QString, file);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        if (file.isEmpty())
            file = m_tune;

        QWidget videoArea;
        const std::unique_ptr<MediaEngine> engine = m_engines.create(videoArea);
        RecordingListener listener;
        engine->setListener(&listener);
        engine->open(file);
        engine->run();
        QTRY_VERIFY_WITH_TIMEOUT(engine->duration() > 0, kDeadlineMs);
        QVERIFY2(engine->duration() >= minMs && engine->duration() <= maxMs,
                 qPrintable(QString::number(engine->duration())));
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Ended, kDeadlineMs);
        QCOMPARE(listener.durations.last(), engine->duration());
        QCOMPARE(listener.statuses.last(), Status::Ended);
        QCOMPARE(engine->position(), engine->duration());
        QVERIFY(engine->errorString().isEmpty());
    }

    void unheardPlayerClosesAtTheEndCheck()
    {
        m_state.alarmON = true;
        play(media("short.wav"));
        // The real end check, every 2.2 s, closes it once the tone is over.
        QTRY_VERIFY_WITH_TIMEOUT(!m_player->isLoaded(), kDeadlineMs);
        QVERIFY(!m_player->engine());
        QVERIFY(!m_state.alarmON);
        QVERIFY(m_player->picVideoWindow()->findChildren<QVideoWidget *>().isEmpty());
        QVERIFY(m_player->picVideoWindow()->findChildren<QMediaPlayer *>().isEmpty());
    }

    void repeatedFileStartsAgain()
    {
        m_player->bloop = true;
        MediaEngine &engine = play(media("short.wav"));
        QTRY_COMPARE_WITH_TIMEOUT(engine.status(), Status::Ended, kDeadlineMs);
        m_player->Timer2_Timer();
        QVERIFY(m_player->isLoaded());
        QTRY_VERIFY_WITH_TIMEOUT(engine.status() == Status::Ready && engine.position() > 300,
                                 kDeadlineMs);
        const QMediaPlayer *qtPlayer = mediaPlayer();
        QVERIFY(qtPlayer);
        QCOMPARE(qtPlayer->playbackState(), QMediaPlayer::PlayingState);
        QTRY_COMPARE_WITH_TIMEOUT(engine.status(), Status::Ended, kDeadlineMs);
    }

    void seekWhilePlayingContinuesThere()
    {
        MediaEngine &engine = play(media("tone.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(engine.position() > 100, kDeadlineMs);
        QCOMPARE(m_player->Slider1()->maximum(), 3);

        QSlider &slider = *m_player->Slider1();
        slider.setSliderDown(true);
        slider.setSliderPosition(2);
        slider.setSliderDown(false);
        QTRY_VERIFY_WITH_TIMEOUT(engine.position() >= 2000, kDeadlineMs);
        QTRY_VERIFY_WITH_TIMEOUT(engine.position() > 2200, kDeadlineMs);
        QCOMPARE(engine.status(), Status::Ready);
    }

    void pauseThenPlayContinuesFromThePause()
    {
        MediaEngine &engine = play(media("tone.wav"));
        const QMediaPlayer *qtPlayer = mediaPlayer();
        QVERIFY(qtPlayer);
        QTRY_VERIFY_WITH_TIMEOUT(engine.position() > 500, kDeadlineMs);
        m_player->pauseButton()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(qtPlayer->playbackState(), QMediaPlayer::PausedState,
                                  kDeadlineMs);
        const qint64 paused = engine.position();
        QVERIFY(paused > 500);

        m_player->playButton()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(qtPlayer->playbackState(), QMediaPlayer::PlayingState,
                                  kDeadlineMs);
        QVERIFY2(engine.position() >= paused - 50,
                 qPrintable(QStringLiteral("%1 after %2").arg(engine.position()).arg(paused)));
        QTRY_VERIFY_WITH_TIMEOUT(engine.position() > paused + 200, kDeadlineMs);
    }

    void outputVolumeFollowsTheFades()
    {
        m_state.alarmwin = true;
        m_player->bloop = true;
        m_player->fadein = 1;
        play(media("tone.wav"));
        const QMediaPlayer *qtPlayer = mediaPlayer();
        QVERIFY(qtPlayer);
        const QAudioOutput &output = *qtPlayer->audioOutput();
        QCOMPARE(Volume::centibelsFromLinear(output.volume()), -4000);
        QSignalSpy given(&output, &QAudioOutput::volumeChanged);

        for (int tick = 0; tick < 4; ++tick)
            m_player->Timer3_Timer();
        m_player->fadeout = true;
        for (int tick = 0; tick < 10 && m_player->isLoaded(); ++tick)
            m_player->Timer3_Timer();

        QList<int> centibels;
        for (const QList<QVariant> &signal : std::as_const(given))
            centibels.append(Volume::centibelsFromLinear(signal.at(0).toFloat()));
        QCOMPARE(centibels,
                 (QList<int>{-3000, -2000, -1000, 0, -1000, -2000, -3000, -4000, -5000, -6000}));
        QVERIFY(!m_player->isLoaded());
        QVERIFY(!m_state.alarmwin);
    }

    void unplayableFileEndsInAClosedPlayer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("engineErrors"); // how many errors Qt raises for it at least
        QTest::newRow("missing file") << "gone.wav" << QByteArray() << 2;
        QTest::newRow("empty file") << "empty.mp3" << QByteArray("") << 2;
        QTest::newRow("garbage") << "noise.wav" << QByteArray(4000, '\x5a') << 2;
        QTest::newRow("text named as sound") << "note.wma" << QByteArray("Wake up!\n") << 2;
        QTest::newRow("a folder") << "folder.avi" << QByteArray() << 2;
        QTest::newRow("empty path") << "" << QByteArray() << 0;
    }

    void unplayableFileEndsInAClosedPlayer()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, engineErrors);

        QString path;
        if (!name.isEmpty())
            path = m_scratch.filePath(name);
        if (name.startsWith(QLatin1String("folder")))
            QVERIFY(QDir(m_scratch.path()).mkpath(name));
        else if (!bytes.isNull())
            QVERIFY(writeFile(path, bytes));

        // However many errors the engine raises, the file fails once.
        QWidget videoArea;
        const std::unique_ptr<MediaEngine> engine = m_engines.create(videoArea);
        QMediaPlayer *qtPlayer = qtPart<QMediaPlayer>(videoArea);
        QVERIFY(qtPlayer);
        QSignalSpy errors(qtPlayer, &QMediaPlayer::errorOccurred);
        RecordingListener listener;
        engine->setListener(&listener);
        engine->open(path);
        engine->run();
        QTRY_VERIFY_WITH_TIMEOUT(errors.size() >= engineErrors && !listener.statuses.isEmpty(),
                                 kDeadlineMs);
        QCOMPARE(engine->status(), Status::Failed);
        QVERIFY(!engine->errorString().isEmpty());
        QCOMPARE(listener.statuses.count(Status::Failed), 1);

        // The player plays nothing and closes at its end check.
        m_state.alarmON = true;
        m_state.alaringnow = true;
        MediaEngine &played = play(path);
        QTRY_COMPARE_WITH_TIMEOUT(played.status(), Status::Failed, kDeadlineMs);
        m_player->Timer2_Timer();
        QVERIFY(!m_player->isLoaded());
        QVERIFY(!m_player->engine());
        QVERIFY(!m_state.alarmON);
        QVERIFY(!m_state.alaringnow);
    }

    void videoFillsTheVideoArea()
    {
        MediaEngine &engine = play(media("clip.avi"));
        m_player->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_player.get()));
        auto *video = m_player->picVideoWindow()->findChild<QVideoWidget *>();
        QVERIFY(video);
        QCOMPARE(video->geometry(), m_player->picVideoWindow()->rect());
        QVERIFY(video->isVisible());
        QCOMPARE(video->cursor().shape(), Qt::BlankCursor);
        QSignalSpy frames(video->videoSink(), &QVideoSink::videoFrameChanged);
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 2, kDeadlineMs);
        QCOMPARE(frames.last().at(0).value<QVideoFrame>().size(), QSize(160, 120));
        QCOMPARE(engine.status(), Status::Ready);
    }

private:
    // Opens `file` in the player as playfile does, with the variables the
    // test has set.
    MediaEngine &play(const QString &file)
    {
        m_player->load();
        m_player->filename = file;
        m_player->mnuopen_Click();
        return *m_player->engine();
    }

    // What Qt was given for the file the player has open.
    QMediaPlayer *mediaPlayer() const { return qtPart<QMediaPlayer>(*m_player->picVideoWindow()); }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QTemporaryDir m_scratch;
    QString m_tune;
    BigCFormState m_state;
    ModuleMediaEngineFactory m_engines{QStringLiteral(TOCKARO_MEDIA_MODULE_FILE)};
    std::unique_ptr<frmdshow> m_player;
};

QTEST_MAIN(TestMediaEngine)
#include "tst_mediaengine.moc"
