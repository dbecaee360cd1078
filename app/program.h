#pragma once

#include "alarmengine/alarmengine.h"
#include "alarmengine/alarmview.h"
#include "app/clockbas.h"
#include "app/playersound.h"
#include "base/remoterequest.h"

#include <QPoint>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class BigCForm;
class Clock;
class DigitPainter;
class DesktopNotifications;
class DigitPainterDriver;
class Dialogs;
class InstanceGuard;
class MediaEngineFactory;
class PowerOff;
class ProgramEnd;
class SleepInhibitor;
class TickSource;
class TrayMenu;
class WakeTimer;
class alarmwind;
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
    // How often the player looks at what it plays.
    PlayerPace playerPace = {};
    // Mirrors a ringing alarm in the desktop's notifications.
    DesktopNotifications *notifications = nullptr;
};

// The program's root: its files, the alarm engine beside the clock window,
// the windows, made on first use, and every connection between them, made
// here and nowhere else. The start-up routine and the clock's tick run here.
class Program final : private AlarmView {
public:
    explicit Program(const Seams &seams);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Checks the program folder, reads the settings, shows the clock and loads
    // the alarms. False when the program has ended instead (a damaged folder,
    // a second copy).
    bool startprogram();

    // A notification area appeared or went away.
    void setTrayAvailable(bool available);
    // Another start of the program: the user is looking for the clock.
    void showOnRequest();
    // Another start with an action (--snooze, --next, ...), or without one.
    RemoteReply answerRequest(RemoteAction action);
    // Ends the program as Exit does, for a request from outside (a signal, the
    // session's end); a ringing alarm falls silent first.
    void endOnRequest();

    // Writes the settings to conf and applies the time format and the display size.
    void savemainoptions(const Settings &settings);

    ClockBas &bas() { return m_bas; }
    AlarmEngine &engine() { return m_engine; }
    PlayerSound &sound() { return m_sound; }
    // Null before startprogram.
    BigCForm *form() const { return m_form.get(); }
    TrayMenu *tray() const { return m_tray.get(); }
    // The alarm list window and the options dialog, made hidden on first use.
    frmalarms &alarmList();
    frmoptions &options();
    // Null until the first play.
    frmdshow *player() const { return m_sound.player(); }
    // Null until the first alarm.
    alarmwind *alarmWindow() const { return m_alarmWindow.get(); }

private:
    void showAlarm(const ShownAlarm &alarm) override;
    void closeAlarm() override;

    void loadClockWindow();
    // The clock tick.
    void Timer1_Timer();
    // Tells the tick source which seconds the clock can do without.
    void planTicks(const QDateTime &now);
    void alarmsformClick();
    void aboutClick();
    void exitClick();
    // Writes or removes the autostart entry when the options dialog's box
    // differs from it; a failure is told to the user.
    void applyAutostart(bool on);
    void playBuiltInPreview(int sound);
    // The state file: read at start-up (the clock's place at once, the
    // engine's memory once the alarms are loaded); written when the engine's
    // memory or the clock's place changes, from the event loop, and at the end.
    void readRunState();
    void restoreEngineMemory();
    void saveRunState();
    void endProgram();

    Seams m_seams;
    ClockBas m_bas;
    QTimer m_stateSave;
    // The state file is written only over what was read, never by a start
    // that ends before it got that far.
    bool m_stateLoaded = false;
    bool m_stateSaveFailed = false; // said once in the log
    QByteArray m_stateRead;         // until the engine has its memory back
    std::optional<QPoint> m_clockPlace;
    PlayerSound m_sound;
    AlarmEngine m_engine;
    // Windows that refer to the clock window are declared after it, so they go first.
    std::unique_ptr<BigCForm> m_form;
    std::unique_ptr<TrayMenu> m_tray;
    std::unique_ptr<DigitPainterDriver> m_painterDriver;
    std::unique_ptr<alarmwind> m_alarmWindow;
    std::unique_ptr<frmoptions> m_options;
    std::unique_ptr<frmalarms> m_alarmList;
};
