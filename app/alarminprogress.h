#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

class ClockBas;
class QDateTime;
class alarmwind;
struct BigCFormState;

// The alarm that rings: its window, its sound and the user's answer. The
// sound is a built-in sound repeated until the window closes, or the alarm's
// playlist item by item, each item started when the one before has ended.
// Nothing here waits: the player's end and the clock's tick move it on.
class AlarmInProgress final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlarmInProgress)

public:
    AlarmInProgress(ClockBas &bas, BigCFormState &state, QObject *parent = nullptr);
    ~AlarmInProgress() override;

    // Starts the alarm in `slot`: marks it in progress, shows its window, starts
    // its sound and, with the sleep option, turns the computer off.
    void startalm(int slot);

    // On every clock tick: starts the fade-out of a playlist once its time has come.
    void checkFadeOut(const QDateTime &now);

    // The player has closed: the next playlist item, if the alarm goes on.
    void playerClosed();

    // The alarm in `slot` has left the table and the alarms after it moved up.
    void alarmDeleted(int slot);

    // Null until the first alarm.
    alarmwind *window() const { return m_window.get(); }

private:
    void showalarmwindow(int slot);
    // The stepper: plays the built-in sound, or the next item of the playlist.
    void Timer3_Timer();
    void snooze();
    void answerOk();
    void windowClosed();

    ClockBas &m_bas;
    BigCFormState &m_state;
    std::unique_ptr<alarmwind> m_window;
    QTimer m_timer3;
    QStringList m_items; // the playlist items not played yet
    bool m_playingList = false;
    int m_fadestartsec = 0; // second of the hour at which the alarm started
    bool m_fadeRequested = false;
};
