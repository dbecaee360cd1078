#pragma once

#include "alarms/alarmstore.h"
#include "alarms/alarmtable.h"
#include "app/programfiles.h"
#include "platform/files.h"
#include "settings/conffile.h"

#include <QObject>
#include <QString>

class Clock;
class Dialogs;

// The program's files in its folder: the settings file conf and the alarm
// file als as the program reads and writes them, with the settings and the
// alarm table they hold, and what the user is told when a file cannot be read
// or written. The alarm windows change the table through it.
class ClockBas final : public QObject, public AlarmStore {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClockBas)

public:
    ClockBas(const QString &programFolder, const Clock &clock, Dialogs &dialogs);
    ~ClockBas() override;

    const ProgramFiles &files() const { return m_files; }

    // Whether the folder holds conf and the ten built-in sounds; without them
    // the program cannot run.
    bool confExists() const;
    bool loadsoundlist() const;

    // Reads conf into the settings in effect. What went wrong is told by
    // tellConfReadError, once the clock runs.
    void loadmainoptions();
    void tellConfReadError();
    // The settings in effect, as loaded or last saved: the clock's time format
    // and size follow them.
    const Settings &settings() const { return m_settings; }
    void setSettings(const Settings &settings) { m_settings = m_dialogSettings = settings; }
    // What the options dialog shows now, saved or not: the hourly chime and the
    // alarm editor's time format follow it at once.
    const Settings &dialogSettings() const { return m_dialogSettings; }
    void setDialogSettings(const Settings &settings) { m_dialogSettings = settings; }
    // Writes the settings to conf; a failure is told, and they apply for this run.
    void saveconf(const Settings &settings);

    // Reads the alarm file into the table and tells what did not load whole.
    void loadalarms();

    const AlarmSlots &alarms() const override { return m_alarms; }
    int alarmCount() const override { return m_alarmCount; }
    void deleteAlarm(int slot) override;
    void storeAlarm(int slot, const AlarmRecord &record) override;
    // Writes the table to the alarm file. A failure is told to the user, the
    // file keeps what it held and the table what it holds: the change waits,
    // marked, for the next save. A file changed by hand since it was read is
    // kept beside it, and the user is told where.
    bool savealarms() override;
    const UnsavedAlarms &unsaved() const override { return m_unsaved; }
    // As the program ends: changes the alarm file lacks are saved, once; when
    // that fails too the user is told which are lost, in a message box when
    // they asked for the end (`tell`), else in the log, since an end the
    // session asks for must not wait for anyone.
    void saveAtEnd(bool tell = true);
    bool isEditorOpen() const override { return m_editorOpen; }
    void setEditorOpen(bool open) override;

Q_SIGNALS:
    // The table was loaded or an alarm stored in it.
    void alarmsChanged();
    // The alarm in `slot` left the table and the alarms after it moved up.
    void alarmDeleted(int slot);
    void editorOpenChanged(bool open);

private:
    // Writes the table to the alarm file and tells of a hand edit kept; the
    // error, naming the file, when nothing was written.
    QString writeAlarms();

    const Clock &m_clock;
    Dialogs &m_dialogs;
    const ProgramFiles m_files;
    KeptFile m_confFile;
    KeptFile m_alarmFile;
    // Why conf could not be read at start-up, told once the clock runs.
    QString m_confReadError;
    Settings m_settings;
    Settings m_dialogSettings;
    AlarmSlots m_alarms{};
    int m_alarmCount = 0;
    // The loaded file held what the table does not, so the first save keeps
    // a copy of it first.
    bool m_keepAlarmBackup = false;
    UnsavedAlarms m_unsaved;
    bool m_savedAtEnd = false;
    bool m_editorOpen = false;
};

// The message of a damaged program folder, as the program has always spelt it.
inline const QString kCorruptedMessage = QStringLiteral("Appliciation is corrupted.");
