#include "app/playersound.h"

#include "playback/frmdshow.h"

PlayerSound::PlayerSound(MediaEngineFactory &engines, PlayerPace pace, QObject *parent)
    : AlarmSound(parent), m_engines(engines), m_pace(pace)
{}

PlayerSound::~PlayerSound() = default;

frmdshow &PlayerSound::loadPlayer()
{
    if (!m_player) {
        m_player = std::make_unique<frmdshow>(m_engines, m_pace);
        connect(m_player.get(), &frmdshow::closed, this, [this] {
            m_preview = false;
            Q_EMIT closed();
        });
        connect(m_player.get(), &frmdshow::failed, this, &AlarmSound::failed);
        connect(m_player.get(), &frmdshow::fadedOut, this, &AlarmSound::fadedOut);
    }
    return *m_player;
}

void PlayerSound::play(const PlayRequest &request)
{
    m_preview = false;
    loadPlayer().play(request);
}

void PlayerSound::ready(const PlayRequest &request)
{
    loadPlayer().ready(request);
}

void PlayerSound::dropReadied()
{
    if (m_player)
        m_player->dropReadied();
}

void PlayerSound::fadeOut()
{
    if (m_player)
        m_player->fadeOut();
}

void PlayerSound::stop()
{
    if (m_player)
        m_player->stop();
}

bool PlayerSound::isPlaying() const
{
    return m_player && m_player->isLoaded();
}

void PlayerSound::playPreview(const QString &file)
{
    play(PlayRequest{.file = file, .repeat = true, .showWindow = true});
    m_preview = true;
}

void PlayerSound::stopPreview()
{
    if (m_preview)
        stop();
}
