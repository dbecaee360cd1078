#pragma once

#include "alarms/alarmtable.h"

#include <QString>
#include <QStringList>

#include <memory>

class BigCForm;
class Clock;
class Dialogs;
class InstanceGuard;
class frmalarms;
class ProgramEnd;

// Everything the program touches in the world, handed in by main() or a test.
struct Seams {
    const Clock &clock;
    Dialogs &dialogs;
    ProgramEnd &programEnd;
    InstanceGuard &instanceGuard;
    QString programFolder;
    // Whether the desktop has a notification area for the tray icon.
    bool trayAvailable;
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

    void messg(const QString &text);
    void endProgram();

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

    QString confFilePath;
    QString alarmFilePath;
    QStringList soundfiles;
    bool editorOpen = false;
    AlarmSlots alarms{};
    int alarmCount = 0;

private:
    Seams m_seams;
    std::unique_ptr<BigCForm> m_form;
    std::unique_ptr<frmalarms> m_alarmList;
    // The loaded file held lines that a save would not write back, so the
    // first save keeps it as als.bak.
    bool m_keepAlarmBackup = false;
};

// The message of a damaged program folder, as the program has always spelt it.
inline const QString kCorruptedMessage = QStringLiteral("Appliciation is corrupted.");
