// The media module: Qt Multimedia behind the media engine interface. It is a
// library of its own, loaded on the first video (on the first play where the
// program has no sound program), so that the idle program and an alarm's sound
// do not carry Qt Multimedia and what it brings. Where the module plays
// sounds too (Windows), a WAV of plain PCM goes straight to Qt's sound output,
// which needs no codec; everything else goes to Qt Multimedia's player.

#include "platform/enginereport.h"
#include "platform/failedengine.h"
#include "platform/playablefile.h"
#include "playback/isvideo.h"
#include "playback/mediaengine.h"
#include "playback/volume.h"

#ifdef TOCKARO_GSTREAMER
#include "platform/gstreamertuning.h"
#endif
#ifdef TOCKARO_WAVE_ENGINE
#include "platform/waveengine.h"
#endif

#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMediaPlayer>
#include <QPluginLoader>
#include <QUrl>
#include <QVideoWidget>

#include <type_traits>

namespace {

// Qt Multimedia playing one file: a QMediaPlayer with its sound on a
// QAudioOutput and, for a video, its picture in a QVideoWidget laid over the
// video area. The player and the outputs are children of the video area,
// named, so that whoever holds it can see what Qt was actually given.
class QtMediaEngine final : public MediaEngine {
public:
    explicit QtMediaEngine(QWidget &videoArea);

    void setListener(MediaEngineListener *listener) override { m_report.setListener(listener); }
    void open(const QString &file) override;
    void run() override;
    void pause() override;
    void setVolume(int centibels) override;
    int volume() const override { return m_volume; }
    qint64 duration() const override { return m_player->duration(); }
    qint64 position() const override;
    void seek(qint64 ms) override;
    MediaStatus status() const override { return m_report.status(); }
    QString errorString() const override { return m_report.error(); }

private:
    void mediaStatusChanged(QMediaPlayer::MediaStatus status);

    // Declared before the Qt objects, so that whatever the player still
    // says while it goes finds them in place.
    EngineReport m_report;
    int m_volume = 0;
    bool m_running = false;
    QWidget &m_videoArea;
    // Declared so that the player goes first and leaves its outputs unused;
    // each leaves its parent as it goes. A video widget is made only for a
    // video: shown, it brings in the graphics stack, some 100 MB.
    std::unique_ptr<QVideoWidget> m_video;
    std::unique_ptr<QAudioOutput> m_audio;
    std::unique_ptr<QMediaPlayer> m_player;
};

QtMediaEngine::QtMediaEngine(QWidget &videoArea)
    : m_videoArea(videoArea), m_audio(std::make_unique<QAudioOutput>(&videoArea)),
      m_player(std::make_unique<QMediaPlayer>(&videoArea))
{
    m_audio->setObjectName(QStringLiteral("audioOutput"));
    m_player->setObjectName(QStringLiteral("mediaPlayer"));
    m_player->setAudioOutput(m_audio.get());
    m_audio->setVolume(Volume::linearFromCentibels(m_volume));

    // The player is the context: it goes first, and its signals with it.
    QMediaPlayer *player = m_player.get();
    QObject::connect(player, &QMediaPlayer::durationChanged, player, [this](qint64 ms) {
        if (MediaEngineListener *listener = m_report.listener())
            listener->durationChanged(ms);
    });
    QObject::connect(player, &QMediaPlayer::mediaStatusChanged, player,
                     [this](QMediaPlayer::MediaStatus status) { mediaStatusChanged(status); });
    QObject::connect(player, &QMediaPlayer::errorOccurred, player,
                     [this](QMediaPlayer::Error, const QString &error) { m_report.fail(error); });
}

void QtMediaEngine::open(const QString &file)
{
    // An empty source would make the player do nothing and say nothing, and
    // it would wait for a length that never comes.
    if (const QString refused = refusedMediaFile(file); !refused.isEmpty()) {
        m_report.fail(refused);
        return;
    }
    if (isvideo(file)) {
        m_video = std::make_unique<QVideoWidget>(&m_videoArea);
        m_video->setObjectName(QStringLiteral("graphVideo"));
        m_video->setGeometry(m_videoArea.rect());
        m_video->setCursor(Qt::BlankCursor);
        m_video->show();
        m_player->setVideoOutput(m_video.get());
    }
    m_player->setSource(QUrl::fromLocalFile(file));
}

void QtMediaEngine::run()
{
    m_running = true;
    m_player->play();
}

void QtMediaEngine::pause()
{
    m_running = false;
    m_player->pause();
}

void QtMediaEngine::setVolume(int centibels)
{
    m_volume = centibels;
    m_audio->setVolume(Volume::linearFromCentibels(centibels));
}

qint64 QtMediaEngine::position() const
{
    // At the end some streams report a little less than their length and
    // others (MPEG program streams, whose clock starts late) a little more.
    // Qt's own status counts here: a file that failed on the way still ends.
    if (m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
        return m_player->duration();
    return m_player->position();
}

void QtMediaEngine::seek(qint64 ms)
{
    // Qt stops at the end of a file; a running file that is sought from
    // there must play again, as the repeat at the end check relies on. The
    // file is opened afresh for that: sought back after its end, the same
    // pipeline can stall for good a moment later on a real sound server
    // (seen with PulseAudio), leaving a repeated alarm silent.
    if (m_player->mediaStatus() == QMediaPlayer::EndOfMedia && m_running) {
        const QUrl source = m_player->source();
        m_player->setSource(QUrl());
        m_player->setSource(source);
        if (ms > 0)
            m_player->setPosition(ms);
        m_player->play();
        return;
    }
    m_player->setPosition(ms);
}

void QtMediaEngine::mediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::NoMedia:
        break;
    case QMediaPlayer::LoadingMedia:
        m_report.set(MediaStatus::Loading);
        break;
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        m_report.set(MediaStatus::Ready);
        break;
    case QMediaPlayer::EndOfMedia:
        m_report.set(MediaStatus::Ended);
        break;
    case QMediaPlayer::InvalidMedia:
        m_report.fail(m_player->errorString());
        break;
    }
}

// Why Qt Multimedia would have no backend to play with; empty when it has
// the one it would take. Qt 6.4 stands in for a backend that cannot be loaded
// with one that ends the program at its first player: the one QT_MEDIA_BACKEND
// names, or else the first Qt finds, must be there and load. Looked for as Qt
// looks, in the "multimedia" plugin folders.
QString missingMediaBackend()
{
    const QString named = qEnvironmentVariable("QT_MEDIA_BACKEND");
    QStringList keys;
    QStringList files;
    const QStringList folders = QCoreApplication::libraryPaths();
    for (const QString &folder : folders) {
        const QDir plugins(folder + QStringLiteral("/multimedia"));
        const QStringList names = plugins.entryList(QDir::Files);
        for (const QString &name : names) {
            const QString file = plugins.filePath(name);
            const QJsonArray found = QPluginLoader(file)
                                         .metaData()
                                         .value(QLatin1String("MetaData"))
                                         .toObject()
                                         .value(QLatin1String("Keys"))
                                         .toArray();
            for (const QJsonValue &key : found) {
                keys.append(key.toString());
                files.append(file);
            }
        }
    }
    qsizetype chosen = named.isEmpty() ? 0 : keys.indexOf(named);
    // Qt passes over its other backend when there is one of the platform's.
    if (named.isEmpty() && keys.size() > 1 && keys.first() == QLatin1String("ffmpeg"))
        chosen = 1;
    if (chosen < 0 || chosen >= keys.size()) {
        return named.isEmpty()
                   ? QStringLiteral("Qt Multimedia has no backend here.")
                   : QStringLiteral("Qt Multimedia has no backend named %1 here.").arg(named);
    }
    QPluginLoader backend(files.at(chosen));
    if (!backend.load()) {
        return QStringLiteral("Qt Multimedia's backend %1 cannot be loaded: %2")
            .arg(keys.at(chosen), backend.errorString());
    }
    return {};
}

class QtMediaEngineFactory final : public MediaEngineFactory {
public:
    QtMediaEngineFactory()
    {
#ifdef TOCKARO_GSTREAMER
        keepGStreamerLight();
#endif
        m_missingBackend = missingMediaBackend();
    }

    std::unique_ptr<MediaEngine> create(QWidget &videoArea, const QString &file) override
    {
#ifdef TOCKARO_WAVE_ENGINE
        if (std::unique_ptr<MediaEngine> wave = makeWaveEngine(file))
            return wave;
#else
        Q_UNUSED(file)
#endif
        if (!m_missingBackend.isEmpty())
            return std::make_unique<FailedMediaEngine>(m_missingBackend);
        return std::make_unique<QtMediaEngine>(videoArea);
    }

private:
    QString m_missingBackend;
};

} // namespace

extern "C" Q_DECL_EXPORT MediaEngineFactory *tockaroMediaEngineFactory()
{
    return new QtMediaEngineFactory;
}

// The program finds this function by name and calls it through
// MediaModuleEntry; a different signature would only show when it crashed.
static_assert(std::is_same_v<decltype(&tockaroMediaEngineFactory), MediaModuleEntry>);
