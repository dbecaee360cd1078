#pragma once

#include "app/alarmqueue.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>

class ClockBas;
class QDateTime;
struct AlarmRecord;
class QTemporaryFile;
class alarmwind;

// The object that rings alarms: the alarm in progress with its window, its
// sound and the user's answer, the alarms waiting their turn, the snooze
// deadlines and the hourly chime. The sound is a built-in sound repeated until
// the window closes, or the alarm's playlist item by item, each started when
// the one before has ended; an alarm that cannot play what it was given plays
// a built-in sound, another one, or a tone of the program's own, and is never
// silent. Nothing here waits: the player's end and the clock's tick move it on.
class AlarmInProgress final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlarmInProgress)

public:
    explicit AlarmInProgress(ClockBas &bas, QObject *parent = nullptr);
    ~AlarmInProgress() override;

    // The clock's tick: starts what fell due, tells what was missed, fades a
    // playlist out when its time has come, chimes at the full hour and,
    // with nothing ringing, readies the next alarm's sound shortly before it.
    void tick(const QDateTime &now);

    // What the player tells: whatever played has stopped; a file could not be
    // played; a fade-out has reached silence.
    void playerClosed();
    void playFailed(const QString &file);
    void fadedOut();

    // The alarm in `slot` has left the table and the alarms after it moved up.
    void alarmDeleted(int slot);

    bool alarmRinging() const { return m_queue.inProgress(); }
    const SnoozeDeadlines &snoozeDeadlines() const { return m_queue.snoozeDeadlines(); }
    // Null until the first alarm.
    alarmwind *window() const { return m_window.get(); }

Q_SIGNALS:
    // Something the user should learn of without being stopped: alarms that
    // were missed, a built-in sound that is damaged.
    void notice(const QString &text);

private:
    enum class Sound { None, Playlist, BuiltIn, Tone };

    void startalm(const AlarmStart &start);
    void showalarmwindow(const AlarmStart &start);
    // The stepper: the next playlist item, or the alarm's sound (again).
    void Timer3_Timer();
    void readyNextSound(const QDateTime &now);
    // The built-in sound of the alarm, `givenUp` sounds on from its own.
    QString builtInSound(const AlarmRecord &alarm, int givenUp) const;
    void playBuiltIn();
    void playTone();
    void play(const QString &file, bool fadeIn);
    void tellDamaged(const QString &file);
    void tellMissed(const QList<MissedAlarm> &missed);
    void hourlyChime();
    void checkFadeOut(const QDateTime &now);
    void snooze();
    void answerOk();
    void windowClosed();
    // The alarm in progress is over; the next waiting one starts.
    void finishAlarm();

    ClockBas &m_bas;
    AlarmQueue m_queue;
    std::unique_ptr<alarmwind> m_window;
    QTimer m_timer3;
    int m_currentind = 0; // the alarm the window shows; 0 once it left the table
    Sound m_sound = Sound::None;
    QStringList m_items;       // the playlist items not played yet
    bool m_itemPlayed = false; // an item of the playlist could be played
    int m_soundsGivenUp = 0;   // built-in sounds passed over, counted from the chosen one
    QString m_playing;         // the file this alarm last gave the player
    bool m_playingFailed = false;
    int m_fadestartsec = 0; // second of the hour at which the alarm started
    bool m_fadeRequested = false;
    bool m_chimePlaying = false;
    bool m_holdingAwake = false;
    QSet<QString> m_toldDamaged;
    std::unique_ptr<QTemporaryFile> m_tone;
};
