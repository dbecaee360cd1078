#pragma once

#include "alarms/alarmtable.h"

#include <QString>
#include <QStringList>

#include <memory>

class BigCForm;
class Clock;
class Dialogs;
class InstanceGuard;
class MediaEngineFactory;
class frmalarms;
class ProgramEnd;
class frmoptions;
class frmdshow;

// Everything the program touches in the world, handed in by main() or a test.
struct Seams {
    const Clock &clock;
    Dialogs &dialogs;
    ProgramEnd &programEnd;
    InstanceGuard &instanceGuard;
    QString programFolder;
    // Whether the desktop has a notification area for the tray icon.
    bool trayAvailable;
    // Makes the player's engine for each file it opens.
    MediaEngineFactory &mediaEngines;
};

// The program's shared module: start-up, the file paths, the built-in sound
// table and the routines every window uses. It owns the windows.
class ClockBas final {
    Q_DISABLE_COPY_MOVE(ClockBas)

public:
    explicit ClockBas(const Seams &seams);
    ~ClockBas();

    // Checks the program folder, reads the settings and loads the clock window.
    // False when the program has ended instead (damaged folder, second copy).
    bool startprogram();

    // Fills soundfiles and checks the ten files; ends the program and returns
    // false when one is missing.
    bool loadsoundlist();

    // Reads conf into the options dialog's controls and the clock's state.
    void loadmainoptions();

    void messg(const QString &text);
    void endProgram();

    Dialogs &dialogs() { return m_seams.dialogs; }
    // The one way media is played: replaces whatever plays in the player.
    // Volume in hundredths of a decibel; fadeFlag 1 fades in from -40 dB. A
    // video, or repeatShown, shows the player window; repeatHidden repeats
    // without showing it. Does nothing before the clock window exists, since
    // the player reports to it.
    void playfile(const QString &file, int volume, bool repeatShown, int fadeFlag,
                  bool repeatHidden);

    // Reads the alarm file into the table and says what did not load whole.
    AlarmFileReport loadalarms();

    // Writes the table to the alarm file. A failure is told to the user, and
    // the file keeps what it held; the result says whether the file was written.
    bool savealarms();

    // The alarm list window, created hidden on first use.
    frmalarms &alarmList();

    const Clock &clock() const { return m_seams.clock; }
    InstanceGuard &instanceGuard() { return m_seams.instanceGuard; }
    const QString &programFolder() const { return m_seams.programFolder; }
    bool trayAvailable() const { return m_seams.trayAvailable; }

    // Null until startprogram has created it.
    BigCForm *form() const { return m_form.get(); }
    frmoptions *options() const { return m_options.get(); }
    // Null until the first playfile.
    frmdshow *player() const { return m_dshow.get(); }

    QString confFilePath;
    QString alarmFilePath;
    QStringList soundfiles;
    bool editorOpen = false;
    AlarmSlots alarms{};
    int alarmCount = 0;

private:
    Seams m_seams;
    // Windows that refer to the clock window are declared after it, so they go first.
    std::unique_ptr<BigCForm> m_form;
    std::unique_ptr<frmoptions> m_options;
    std::unique_ptr<frmdshow> m_dshow;
    std::unique_ptr<frmalarms> m_alarmList;
    // The loaded file held lines that a save would not write back, so the
    // first save keeps it as als.bak.
    bool m_keepAlarmBackup = false;
};

// The message of a damaged program folder, as the program has always spelt it.
inline const QString kCorruptedMessage = QStringLiteral("Appliciation is corrupted.");
