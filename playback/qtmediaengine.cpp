#include "playback/qtmediaengine.h"

#include "playback/volume.h"

#include <QAudioOutput>
#include <QUrl>
#include <QVideoWidget>

QtMediaEngine::QtMediaEngine(QWidget &videoArea)
    : m_video(std::make_unique<QVideoWidget>(&videoArea)),
      m_audio(std::make_unique<QAudioOutput>()), m_player(std::make_unique<QMediaPlayer>())
{
    m_video->setObjectName(QStringLiteral("graphVideo"));
    m_video->setGeometry(videoArea.rect());
    m_video->setCursor(Qt::BlankCursor);
    m_video->show();
    m_player->setAudioOutput(m_audio.get());
    m_player->setVideoOutput(m_video.get());
    m_audio->setVolume(Volume::linearFromCentibels(m_volume));

    connect(m_player.get(), &QMediaPlayer::durationChanged, this, &MediaEngine::durationChanged);
    connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, this,
            &QtMediaEngine::mediaStatusChanged);
    connect(m_player.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString &error) { fail(error); });
}

QtMediaEngine::~QtMediaEngine() = default;

void QtMediaEngine::open(const QString &file)
{
    // An empty source makes the player do nothing and say nothing; without
    // this the player would wait for a length that never comes.
    if (file.isEmpty()) {
        fail(QStringLiteral("No file to play."));
        return;
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

qint64 QtMediaEngine::duration() const
{
    return m_player->duration();
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
    // there must play again, as the repeat at the end check relies on.
    const bool restart = m_player->mediaStatus() == QMediaPlayer::EndOfMedia && m_running;
    m_player->setPosition(ms);
    if (restart)
        m_player->play();
}

void QtMediaEngine::mediaStatusChanged(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::NoMedia:
        break;
    case QMediaPlayer::LoadingMedia:
        setStatus(MediaStatus::Loading);
        break;
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        setStatus(MediaStatus::Ready);
        break;
    case QMediaPlayer::EndOfMedia:
        setStatus(MediaStatus::Ended);
        break;
    case QMediaPlayer::InvalidMedia:
        fail(m_player->errorString());
        break;
    }
}

void QtMediaEngine::setStatus(MediaStatus status)
{
    if (m_status == status || m_status == MediaStatus::Failed)
        return;
    m_status = status;
    Q_EMIT statusChanged(status);
}

void QtMediaEngine::fail(const QString &error)
{
    if (m_status == MediaStatus::Failed)
        return;
    m_error = error.isEmpty() ? QStringLiteral("The file cannot be played.") : error;
    setStatus(MediaStatus::Failed);
}

std::unique_ptr<MediaEngine> QtMediaEngineFactory::create(QWidget &videoArea)
{
    return std::make_unique<QtMediaEngine>(videoArea);
}
