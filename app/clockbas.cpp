#include "app/clockbas.h"

#include "alarms/alarmfile.h"
#include "alarms/alarmlistrows.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "base/logging.h"
#include "platform/alarmfilestore.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

// A settings file is five short lines; anything beyond this is not one.
constexpr qint64 kMaxConfBytes = 1 << 20;

bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

ClockBas::ClockBas(const QString &programFolder, const Clock &clock, Dialogs &dialogs)
    : m_clock(clock), m_dialogs(dialogs), m_files(programFiles(programFolder)),
      m_confFile(m_files.confFilePath, kMaxConfBytes),
      m_alarmFile(m_files.alarmFilePath, kMaxAlarmFileBytes)
{}

ClockBas::~ClockBas() = default;

bool ClockBas::confExists() const
{
    // A link to nothing is there, though nothing can be read through it.
    const QFileInfo info(m_files.confFilePath);
    return info.exists() || info.isSymLink();
}

bool ClockBas::loadsoundlist() const
{
    return std::all_of(m_files.soundfiles.begin(), m_files.soundfiles.end(), isFile);
}

void ClockBas::loadmainoptions()
{
    const FileContents conf = m_confFile.read();
    m_confReadError = conf.error;
    setSettings(readConf(conf.bytes, m_files.defaultChime, isFile));
}

void ClockBas::tellConfReadError()
{
    if (!m_confReadError.isEmpty())
        m_dialogs.messg(confLoadMessage(m_confFile.path(), m_confReadError));
}

void ClockBas::saveconf(const Settings &settings)
{
    // A settings file that cannot be written is left whole; the new settings
    // still apply for this run.
    const SaveReport saved = m_confFile.save(formatConf(settings), m_clock.now());
    if (!saved.ok()) {
        m_dialogs.messg(QStringLiteral("The settings could not be saved.\n%1\n\n"
                                       "They apply until the program ends.")
                            .arg(saved.error));
    } else if (saved.changedByHand) {
        m_dialogs.messg(handEditMessage(m_confFile.path(), saved,
                                        QStringLiteral("the settings of the options dialog")));
    }
}

void ClockBas::loadalarms()
{
    const AlarmFileContents contents =
        loadAlarmFile(m_alarmFile, QLocale(), m_clock.now().date().year());
    fillAlarmTable(m_alarms, m_alarmCount, contents.records);
    m_unsaved = {};
    m_keepAlarmBackup = !contents.report.isClean();
    Q_EMIT alarmsChanged();
    if (const QString text = alarmLoadMessage(m_alarmFile.path(), contents.report); !text.isEmpty())
        m_dialogs.messg(text);
}

QString ClockBas::writeAlarms()
{
    const SaveReport saved = m_alarmFile.save(alarmFileBytes(m_alarms, m_alarmCount, QLocale()),
                                              m_clock.now(), m_keepAlarmBackup);
    if (!saved.ok()) {
        m_unsaved.error = saved.error;
        return saved.error;
    }
    m_unsaved = {};
    m_keepAlarmBackup = false;
    if (saved.changedByHand) {
        m_dialogs.messg(handEditMessage(m_alarmFile.path(), saved,
                                        QStringLiteral("the alarms of the alarm list")));
    }
    return {};
}

bool ClockBas::savealarms()
{
    const QString error = writeAlarms();
    if (!error.isEmpty())
        m_dialogs.messg(alarmChangeNotSavedMessage(error));
    return error.isEmpty();
}

void ClockBas::saveAtEnd(bool tell)
{
    // A second request to end, while the message below is open, ends at once.
    if (m_savedAtEnd || !m_unsaved.any())
        return;
    m_savedAtEnd = true;
    const QStringList changes = unsavedChangeNames(m_alarms, m_alarmCount, m_unsaved);
    const QString error = writeAlarms();
    if (error.isEmpty())
        return;
    if (tell)
        m_dialogs.messg(alarmChangesLostMessage(error, changes));
    else
        qCWarning(lcAlarms).noquote() << alarmChangesLostMessage(error, changes);
}

// One rule for every change that a save could not write, a deletion as much as
// an added or edited alarm: the table keeps it, so what rings is what the list
// shows; the list marks it; every later save writes it, the last as the program
// ends. Reading the file back instead would bring back an alarm the user saw
// deleted, and the same for an added alarm would throw away what was typed.
void ClockBas::deleteAlarm(int slot)
{
    if (slot < 1 || slot > m_alarmCount)
        return;
    const AlarmRecord deleted = m_alarms[slot];
    const int before = m_alarmCount;
    removeAlarmRecord(m_alarms, m_alarmCount, slot);
    markRemoved(m_unsaved, slot, before, deleted);
    // Before the save, whose message lets the clock tick on the table as it is now.
    Q_EMIT alarmDeleted(slot);
    savealarms();
}

void ClockBas::storeAlarm(int slot, const AlarmRecord &record)
{
    const int before = m_alarmCount;
    if (storeAlarmRecord(m_alarms, m_alarmCount, slot, record)) {
        markStored(m_unsaved, slot, before);
        Q_EMIT alarmsChanged();
    }
}

void ClockBas::setEditorOpen(bool open)
{
    m_editorOpen = open;
    Q_EMIT editorOpenChanged(open);
}
