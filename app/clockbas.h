#pragma once

#include "alarms/alarmstore.h"
#include "alarms/alarmtable.h"
#include "app/nextdue.h"
#include "app/programfiles.h"
#include "platform/files.h"
#include "settings/conffile.h"

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

class BigCForm;
class Clock;
class Dialogs;
class DigitPainter;
class InstanceGuard;
class MediaEngineFactory;
class PowerOff;
class ProgramEnd;
class SleepInhibitor;
class TickSource;
class WakeTimer;
class frmalarms;
class frmdshow;
class frmoptions;

// Everything the program touches in the world, handed in by main() or a test.
struct Seams {
    const Clock &clock;
    TickSource &ticks;
    Dialogs &dialogs;
    ProgramEnd &programEnd;
    InstanceGuard &instanceGuard;
    QString programFolder;
    // Whether the desktop has a notification area for the tray icon.
    bool trayAvailable;
    // Makes the player's engine for each file it opens.
    MediaEngineFactory &mediaEngines;
    // Turns the computer off for an alarm with the sleep option.
    PowerOff &powerOff;
    // Wakes the computer from sleep for the next alarm.
    WakeTimer &wake;
    // Keeps the computer awake while an alarm rings.
    SleepInhibitor &sleepInhibitor;
    // The notification area is a status-notifier host: it shows the menu the
    // icon exports and sends activations rather than mouse messages.
    bool statusNotifierTray = false;
    // Draws the clock's digits each second without the event loop; none where
    // the window system offers no way to (the window paints them on the tick).
    DigitPainter *digitPainter = nullptr;
};

// The program's shared module: start-up, the file paths, the settings, the
// alarm table and the routines every window uses. It owns the windows.
class ClockBas final : private AlarmStore {
public:
    explicit ClockBas(const Seams &seams);
    ~ClockBas();
    ClockBas(const ClockBas &) = delete;
    ClockBas &operator=(const ClockBas &) = delete;

    // Checks the program folder, reads the settings and loads the clock window.
    // False when the program has ended instead (damaged folder, second copy).
    bool startprogram();

    // Checks the ten built-in sounds; ends the program and returns false when
    // one is missing.
    bool loadsoundlist();

    void messg(const QString &text);
    void endProgram();

    // The one way media is played: replaces whatever plays in the player.
    // Volume in hundredths of a decibel; fadeFlag 1 fades in from -40 dB. A
    // video, or repeatShown, shows the player window; repeatHidden repeats
    // without showing it. Does nothing before the clock window exists, since
    // the player reports to it.
    void playfile(const QString &file, int volume, bool repeatShown, int fadeFlag,
                  bool repeatHidden);
    // Readies the way for a playfile with the same arguments, silent: the
    // media module loaded, the file opened, the sound server connected.
    void readyfile(const QString &file, int volume, bool repeatShown, int fadeFlag,
                   bool repeatHidden);

    // Reads the alarm file into the table and says what did not load whole.
    AlarmFileReport loadalarms();

    // Writes the table to the alarm file. A failure is told to the user, and
    // the file keeps what it held; the result says whether the file was written.
    // A file changed by hand since it was read is kept beside it, and the user
    // is told where.
    bool savealarms() override;

    // Writes the settings to conf, as savealarms writes the alarms.
    void saveconf(const Settings &settings);

    const AlarmSlots &alarms() const override { return m_alarms; }
    // The table as the clock and the alarm in progress change it: snooze marks
    // and what has rung.
    AlarmSlots &alarmSlots() { return m_alarms; }
    int alarmCount() const override { return m_alarmCount; }

    // The settings in effect: what the options dialog shows.
    const Settings &settings() const { return m_settings; }
    const ProgramFiles &files() const { return m_files; }

    // The alarm list window, created hidden on first use.
    frmalarms &alarmList();
    // The options dialog, created hidden on first use; startprogram first.
    frmoptions &options();
    BigCForm *form() const { return m_form.get(); }
    // Null until the first playfile.
    frmdshow *player() const { return m_dshow.get(); }

    const Clock &clock() const { return m_seams.clock; }
    TickSource &ticks() { return m_seams.ticks; }
    DigitPainter *digitPainter() { return m_seams.digitPainter; }
    InstanceGuard &instanceGuard() { return m_seams.instanceGuard; }
    PowerOff &powerOff() { return m_seams.powerOff; }
    SleepInhibitor &sleepInhibitor() { return m_seams.sleepInhibitor; }

    // Arms the wake timer for the alarm that now comes due first and drops a
    // sound readied for it while none rings. Called whenever the table, a
    // snooze or the alarm in progress changes.
    void armWakeUp();
    // The alarm that comes due first, as armWakeUp last found it.
    const std::optional<NextDue> &nextDue() const { return m_nextDue; }
    bool trayAvailable() const { return m_seams.trayAvailable; }
    bool statusNotifierTray() const { return m_seams.statusNotifierTray; }

    bool editorOpen = false;

private:
    // Reads conf into the settings and the clock's state.
    void loadmainoptions();
    void deleteAlarm(int slot) override;
    void storeAlarm(int slot, const AlarmRecord &record) override;
    // Arms the wake timer for the first alarm due after `after`, which it returns.
    std::optional<NextDue> armWakeUpAfter(const QDateTime &after);
    bool isEditorOpen() const override { return editorOpen; }
    void setEditorOpen(bool open) override;
    // Plays a sound or a playlist item for the alarm editor, shown and repeated.
    void playEditorPreview(const QString &file);
    // Writes or removes the autostart entry when the options dialog's box
    // differs from it; a failure is told to the user.
    void applyAutostart(bool on);
    frmdshow &loadPlayer();

    Seams m_seams;
    const ProgramFiles m_files;
    KeptFile m_confFile;
    KeptFile m_alarmFile;
    // Why conf could not be read at start-up, told once the clock runs.
    QString m_confReadError;
    Settings m_settings;
    AlarmSlots m_alarms{};
    int m_alarmCount = 0;
    // The loaded file held what the table does not, so the first save keeps
    // a copy of it first.
    bool m_keepAlarmBackup = false;
    QDateTime m_wakeDue; // the alarm moment the wake timer is armed for
    // The next alarm as of the last change; the wake timer firing for it
    // moves on only m_wakeDue, so the tick still readies its sound.
    std::optional<NextDue> m_nextDue;
    std::optional<QDateTime> m_wakeArmed; // what the wake timer was last given
    bool m_editorPreview = false;         // the player plays what the editor asked for
    // Windows that refer to the clock window are declared after it, so they go first.
    std::unique_ptr<BigCForm> m_form;
    std::unique_ptr<frmoptions> m_options;
    std::unique_ptr<frmdshow> m_dshow;
    std::unique_ptr<frmalarms> m_alarmList;
};

// The message of a damaged program folder, as the program has always spelt it.
inline const QString kCorruptedMessage = QStringLiteral("Appliciation is corrupted.");
