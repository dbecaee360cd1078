#pragma once

#include "alarmengine/alarmsound.h"
#include "playback/frmdshow.h"

#include <memory>

class MediaEngineFactory;

// The alarms' sound on the program's media player window, which is made on
// the first play: an idle clock carries no player. The editor's previews play
// on it too, and end with the editor; any other play takes it from them.
class PlayerSound final : public AlarmSound {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerSound)

public:
    PlayerSound(MediaEngineFactory &engines, PlayerPace pace, QObject *parent = nullptr);
    ~PlayerSound() override;

    void play(const PlayRequest &request) override;
    void ready(const PlayRequest &request) override;
    void dropReadied() override;
    void fadeOut() override;
    void stop() override;
    bool isPlaying() const override;

    // Plays a sound or a playlist item for the alarm editor, shown and repeated.
    void playPreview(const QString &file);
    // Stops the editor's preview, if it still plays.
    void stopPreview();

    // Null until the first play.
    frmdshow *player() const { return m_player.get(); }

private:
    frmdshow &loadPlayer();

    MediaEngineFactory &m_engines;
    PlayerPace m_pace;
    std::unique_ptr<frmdshow> m_player;
    bool m_preview = false; // the player plays what the editor asked for
};
