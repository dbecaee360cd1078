#pragma once

#include "alarmengine/alarmqueue.h"
#include "alarmengine/alarmview.h"
#include "alarmengine/enginememory.h"
#include "alarmengine/nextdue.h"
#include "alarmengine/soundchain.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

class AlarmSound;
class AlarmTable;
class Clock;
class PowerOff;
class QTemporaryFile;
class SleepInhibitor;
class WakeTimer;
struct Settings;

// What the alarm engine works with, handed in by the program or a test.
struct AlarmEnginePorts {
    const AlarmTable &table;
    const Clock &clock;
    AlarmSound &sound;
    AlarmView &view;
    PowerOff &powerOff;
    // Keeps the computer awake while an alarm is up.
    SleepInhibitor &sleepInhibitor;
    // Wakes the computer from sleep for the next alarm.
    WakeTimer &wake;
    // The settings in effect, for the hourly chime.
    const Settings &settings;
    // The ten built-in sounds, in the order of the sound list.
    QStringList builtInSounds;
};

// What rings alarms: the scan of the table at each tick, the alarms waiting
// their turn, the snoozes, the next wake-up, the hourly chime and the alarm in
// progress with its window, its sound and the user's answer. Nothing here
// waits: the tick, the sound's reports and the user's answers move it on.
class AlarmEngine final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AlarmEngine)

public:
    enum class Phase {
        Idle,      // no alarm window
        Ringing,   // an alarm is up and sounds (or has played its list through)
        FadingOut, // its fade-out has begun
        Faded,     // its fade-out has ended; its window waits for an answer
    };

    explicit AlarmEngine(const AlarmEnginePorts &ports, QObject *parent = nullptr);
    ~AlarmEngine() override;

    // The clock's tick: starts what fell due, tells what was missed, fades a
    // playlist out when its time has come, chimes at the full hour and, with
    // nothing ringing, readies the next alarm's sound shortly before it.
    void tick(const QDateTime &now);

    // The table changed (loaded, an alarm stored): an alarm made or changed
    // rings from its next due moment on, never for a moment before, and the
    // next wake-up is found again. What the table holds the first time is what
    // was there before.
    void alarmsChanged();
    // The alarm in `slot` has left the table and the alarms after it moved up.
    void alarmDeleted(int slot);

    // Rings `alarm` as it is set in the editor now, outside the table: its
    // window, saying it is a try, and its sound with its fades and volume.
    // Snooze and OK only end the try: nothing is snoozed or kept, and the
    // computer is never turned off. False while an alarm window is up.
    bool tryAlarm(const AlarmRecord &alarm);

    // The user's answers to the alarm window, from its buttons or from
    // anywhere else (the command line, a notification). False when no alarm
    // window was up to answer.
    bool snooze();
    bool ok();
    void viewClosed();

    // What the sound reports.
    void soundClosed();
    void soundFailed(const QString &file);
    void soundFadedOut();

    // What the wake timer reports: its moment has come, or the wall clock was set.
    void wakeTimerFired();
    void clockSet();

    // Silences whatever plays, for the program's end.
    void silence();

    // What a restart must not lose, and what an earlier run left: given at
    // start-up, after the table was loaded.
    EngineMemory memory() const;
    void restore(const EngineMemory &memory);

    // An alarm rings and holds the sound: the next alarm waits for it.
    bool alarmRinging() const { return m_phase == Phase::Ringing || m_phase == Phase::FadingOut; }
    // The alarm that comes due first, as of the last change.
    const std::optional<NextDue> &nextDue() const { return m_nextDue; }
    const AlarmMarksTable &marks() const { return m_queue.marks(); }

    // What a command line is told: the alarm due next, and every alarm.
    QString nextReport() const;
    QStringList listReport() const;

Q_SIGNALS:
    // Something the user should learn of without being stopped: alarms that
    // were missed, a built-in sound that is damaged.
    void notice(const QString &text);
    // Something the user must read now: the computer could not be turned off.
    void problem(const QString &text);
    // The next alarm changed: a tick that was told to sleep must reckon again.
    void nextDueChanged();
    // What memory() gives has changed, beyond the moment the tick looked.
    void memoryChanged();
    // An alarm window shows an alarm, and has closed: for whatever mirrors it.
    void alarmShown(const ShownAlarm &alarm);
    void alarmClosed();

private:
    void startalm(const AlarmStart &start);
    void showalarmwindow(const AlarmStart &start, const QString &note);
    // Starts the sound and the lock against sleep for the alarm now shown.
    void startRinging(const AlarmRecord &alarm);
    // The alarm rung: one of the table, or the one tried.
    const AlarmRecord &currentAlarm() const;
    // The stepper: plays what the alarm's sound chain gives next.
    void Timer3_Timer();
    void play(const SoundChain::Step &step);
    // The program's own tone as a file; empty when it cannot be written.
    QString toneFile();
    void readyNextSound(const QDateTime &now);
    void tellDamaged(const QStringList &files);
    void tellMissed(const QList<MissedAlarm> &missed);
    void hourlyChime();
    void checkFadeOut(const QDateTime &now);
    // The alarm in progress no longer holds the sound: the next waiting one starts.
    void startNextWaiting();
    void armWakeUp();
    std::optional<NextDue> armWakeUpAfter(const QDateTime &after);
    // Notes the alarms that differ from what the table held before.
    void noteChangedAlarms();

    AlarmEnginePorts m_ports;
    AlarmQueue m_queue;
    Phase m_phase = Phase::Idle;
    int m_currentind = 0;               // the alarm the window shows; 0 once it left the table
    std::optional<AlarmRecord> m_trial; // the alarm tried, while it is
    SoundChain m_chain;
    QTimer m_timer3;
    QString m_playing;      // the file the alarm last gave the sound
    int m_fadestartsec = 0; // second of the hour at which the alarm started
    bool m_chimePlaying = false;
    QSet<QString> m_toldDamaged;
    std::unique_ptr<QTemporaryFile> m_tone;

    // The fingerprint of each slot's alarm as the table last held it; none
    // before the table was first seen.
    std::optional<AlarmDigests> m_known;

    std::optional<NextDue> m_nextDue;
    QDateTime m_wakeDue;                  // the alarm moment the wake timer is armed for
    std::optional<QDateTime> m_wakeArmed; // what the wake timer was last given
};
