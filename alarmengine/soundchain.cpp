#include "alarmengine/soundchain.h"

#include "playback/playlisttext.h"
#include "playback/volume.h"

int alarmVolume(const AlarmRecord &alarm)
{
    return alarm.spare >= Volume::Silent && alarm.spare <= Volume::Full ? int(alarm.spare)
                                                                        : Volume::Full;
}

SoundChain::SoundChain(const AlarmRecord &alarm, const QStringList &builtInSounds)
    : m_stage(alarm.playMedia == 1 ? Stage::Playlist : Stage::BuiltIn),
      m_playlist(splitPlaylist(alarm.playlist)), m_items(m_playlist),
      m_builtInSounds(builtInSounds),
      m_chosenSound(
          alarm.soundIndex >= 0 && alarm.soundIndex < builtInSounds.size() ? alarm.soundIndex : 0)
{}

QString SoundChain::builtInSound(int passed) const
{
    return m_builtInSounds[(m_chosenSound + passed) % m_builtInSounds.size()];
}

std::optional<SoundChain::Step> SoundChain::next(const std::function<bool(const QString &)> &isFile,
                                                 QStringList &passedOver)
{
    if (m_stage == Stage::Playlist) {
        if (m_items.isEmpty() && m_itemPlayed) {
            m_items = m_playlist;
            m_itemPlayed = false;
        }
        if (!m_items.isEmpty()) {
            m_last = m_items.takeFirst();
            return Step{Kind::Item, m_last};
        }
        m_stage = Stage::BuiltIn;
    }
    if (m_stage == Stage::BuiltIn) {
        for (; m_soundsPassed < m_builtInSounds.size(); ++m_soundsPassed) {
            const QString file = builtInSound(m_soundsPassed);
            if (isFile(file)) {
                m_last = file;
                return Step{Kind::BuiltIn, file};
            }
            passedOver.append(file);
        }
        m_stage = Stage::Tone;
    }
    if (m_stage == Stage::Tone) {
        m_last.clear();
        return Step{Kind::Tone, {}};
    }
    return std::nullopt;
}

void SoundChain::failed(QStringList &passedOver)
{
    m_lastFailed = true;
    if (m_stage == Stage::BuiltIn) {
        passedOver.append(m_last);
        ++m_soundsPassed;
    } else if (m_stage == Stage::Tone) {
        m_stage = Stage::Silent;
    }
}

void SoundChain::finished()
{
    if (m_stage == Stage::Playlist && !m_lastFailed)
        m_itemPlayed = true;
    m_lastFailed = false;
}
