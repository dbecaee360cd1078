#pragma once

#include "playback/mediaengine.h"
#include "playback/playrequest.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class QAction;
class QMenu;
class QSlider;
class QToolBar;

// How often the player looks at its file: the end check (repeat or close), and
// the tick that moves the seek bar and steps the fades.
struct PlayerPace {
    int endCheckMs = 2200;
    int tickMs = 1000;
};

// The program's one media player: a video area, Play and Pause buttons and a
// seek bar over an engine made for each file. It repeats, fades in and out,
// and closes at the end of a file; closing says the player is free. The window
// object lives for the whole run; "loaded" is the time between a play and the
// close.
//
// Beside the engine that plays it may hold one more, readied for a play to
// come: the media module loaded, the file opened and the sound server
// connected, all silent, so that the play's own engine starts on a warm
// path. It is never started itself: on PulseAudio a paused engine's stream
// counts the time it waits and, started, begins its file that much late.
class frmdshow final : public QWidget, private MediaEngineListener {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmdshow)

public:
    explicit frmdshow(MediaEngineFactory &engines, PlayerPace pace = {}, QWidget *parent = nullptr);
    ~frmdshow() override;

    // Plays the request on a new engine, replacing whatever plays and
    // whatever was readied.
    void play(const PlayRequest &request);
    // Readies the way for a later play of the request, in place of any
    // readied before, while nothing plays. Nothing of it is ever heard.
    void ready(const PlayRequest &request);
    void dropReadied();
    // Lowers the volume of what plays step by step and stops the player once
    // it is silent.
    void fadeOut();
    // Stops what plays and hides the window: the program's own close. A window
    // the user has closed once is no longer there to receive a close, so the
    // program never relies on one to end the sound.
    void stop();
    bool isLoaded() const { return m_loaded; }

    // Null while the player is closed.
    MediaEngine *engine() const { return m_engine.get(); }

Q_SIGNALS:
    // Whatever the player played has ended: at its end, by the user or by the program.
    void closed();
    // A fade-out has reached silence; closed() came just before.
    void fadedOut();
    // The file cannot be played; closed() follows at once.
    void failed(const QString &file);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Starts the end check and the placement unless the player is loaded.
    void load();
    void unload();
    // Opens the requested file on a new engine, replacing the old one, and plays it.
    void mnuopen_Click();
    std::unique_ptr<MediaEngine> openEngine(const PlayRequest &request);
    // Plays the file again from its start.
    void restart(quint64 play);
    // "Play" runs the file; any other button pauses it.
    void tlbControlBar_ButtonClick(const QAction &button);
    // End check: repeat or close at the end of the file.
    void Timer2_Timer();
    // Position and fade tick.
    void Timer3_Timer();
    // Placement, once after loading.
    void Timer4_Timer();
    // Centred on the screen, or where it covers least of the program's other
    // windows and nothing of what they keep in sight, where the screen allows.
    void placeClear();
    // Lays the window out for the room its screen leaves it.
    void fitTo(const QSize &room);
    void durationChanged(qint64 ms) override;
    // A file that cannot be played is given up at once, and a repeated one
    // that has ended starts again at once; the end check reads every other
    // status on its own ticks, and repeats for an engine that never says it ended.
    void statusChanged(PlayerLogic::MediaStatus status) override;
    void giveUp(quint64 play);
    void Slider1_Scroll(int action);
    void showPosition();

    MediaEngineFactory &m_engines;
    PlayRequest m_request;
    int m_txtlength = 0; // length of the open file in whole seconds
    int m_fadein = 0;    // 1 while a fade-in is wanted and not finished
    bool m_fadeout = false;
    std::unique_ptr<MediaEngine> m_engine;
    std::unique_ptr<MediaEngine> m_readied;
    PlayRequest m_readiedRequest;
    quint64 m_plays = 0;     // counts the files opened, so a late report finds its own
    int m_checksLoading = 0; // end checks in a row that found the file still loading
    bool m_loaded = false;
    bool m_centreWhenShown = false;

    QWidget *m_picVideoWindow = nullptr;
    QToolBar *m_tlbControlBar = nullptr;
    QSlider *m_slider1 = nullptr;
    QAction *m_play = nullptr;
    QAction *m_pause = nullptr;
    QMenu *m_mnufile = nullptr;
    QAction *m_mnuopen = nullptr;
    QTimer m_timer2;
    QTimer m_timer3;
    QTimer m_timer4;
};
