#pragma once

#include "playback/mediaengine.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

struct BigCFormState;
class QAction;
class QMenu;
class QSlider;
class QToolBar;

// The program's one media player: a video area, Play and Pause buttons and a
// seek bar over an engine made for each file. It repeats, fades in and out,
// and closes at the end of a file; closing tells the clock window the player
// is free. The window object lives for the whole run and keeps its variables
// while closed; "loaded" is the time between the first play and the close.
class frmdshow final : public QWidget, private MediaEngineListener {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmdshow)

public:
    frmdshow(BigCFormState &mainState, MediaEngineFactory &engines, QWidget *parent = nullptr);
    ~frmdshow() override;

    // Starts the end check and the placement unless the player is loaded.
    void load();
    bool isLoaded() const { return m_loaded; }

    // Opens `filename` on a new engine, replacing the old one, and plays it.
    void mnuopen_Click();
    // "Play" runs the file; any other button pauses it.
    void tlbControlBar_ButtonClick(const QAction &button);

    // End check: repeat or close at the end of the file.
    void Timer2_Timer();
    // Position and fade tick.
    void Timer3_Timer();
    // Placement, once after loading.
    void Timer4_Timer();

    int txtlength = 0; // length of the open file in whole seconds
    QString filename;
    int vlme = 0; // hundredths of a decibel
    bool bloop = false;
    int fadein = 0; // 1 while a fade-in is wanted and not finished
    bool fadeout = false;

    // Null while the player is closed.
    MediaEngine *engine() const { return m_engine.get(); }
    QWidget *picVideoWindow() const { return m_picVideoWindow; }
    QToolBar *tlbControlBar() const { return m_tlbControlBar; }
    QSlider *Slider1() const { return m_slider1; }
    QAction *playButton() const { return m_play; }
    QAction *pauseButton() const { return m_pause; }
    QAction *mnuopen() const { return m_mnuopen; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void unload();
    void durationChanged(qint64 ms) override;
    // The end check reads the status on its own ticks.
    void statusChanged(PlayerLogic::MediaStatus) override {}
    void Slider1_Scroll(int action);
    void showPosition();

    BigCFormState &m_mainState;
    MediaEngineFactory &m_engines;
    std::unique_ptr<MediaEngine> m_engine;
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
