#include "app/clockbas.h"

#include "alarms/alarmfile.h"
#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "app/nextdue.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "base/programend.h"
#include "base/ticksource.h"
#include "base/waketimer.h"
#include "platform/alarmfilestore.h"
#include "platform/autostart.h"
#include "playback/frmdshow.h"
#include "playback/playrequest.h"
#include "settings/frmoptions.h"

#include <QCoreApplication>
#include <QDir>
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

// A link to nothing is there, though nothing can be read through it.
bool exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

ClockBas::ClockBas(const Seams &seams)
    : m_seams(seams), m_files(programFiles(seams.programFolder)),
      m_confFile(m_files.confFilePath, kMaxConfBytes),
      m_alarmFile(m_files.alarmFilePath, kMaxAlarmFileBytes)
{}

ClockBas::~ClockBas() = default;

bool ClockBas::startprogram()
{
    if (!exists(m_files.confFilePath)) {
        messg(kCorruptedMessage);
        endProgram();
        return false;
    }
    if (!loadsoundlist())
        return false;

    m_form = std::make_unique<BigCForm>(*this);
    QObject::connect(&m_seams.wake, &WakeTimer::fired, m_form.get(), [this] {
        // Whatever falls due within the lead is rung by the awake clock's tick.
        const QDateTime now = m_seams.clock.now();
        armWakeUpAfter(m_wakeDue.isValid() ? std::max(now, m_wakeDue.toLocalTime()) : now);
    });
    QObject::connect(&m_seams.wake, &WakeTimer::clockSet, m_form.get(), [this] { armWakeUp(); });
    loadmainoptions();
    if (!m_form->load())
        return false;
    if (!m_confReadError.isEmpty())
        messg(confLoadMessage(m_confReadError));
    QCoreApplication::processEvents();
    return true;
}

bool ClockBas::loadsoundlist()
{
    for (const QString &sound : m_files.soundfiles) {
        if (!isFile(sound)) {
            messg(kCorruptedMessage);
            endProgram();
            return false;
        }
    }
    return true;
}

void ClockBas::loadmainoptions()
{
    const FileContents conf = m_confFile.read();
    m_confReadError = conf.error;
    m_settings = readConf(conf.bytes, m_files.defaultChime, isFile);
    BigCFormState &state = m_form->state;
    state.isshowing = m_settings.showAtStart;
    state.ampm = m_settings.twentyFourHour ? 1 : 0;
    state.adjustsize = sizePercent(m_settings.sizeIndex);
}

frmoptions &ClockBas::options()
{
    // Made when first opened: an idle clock need not carry a dialog. The
    // settings in effect live here meanwhile, and the dialog keeps what it
    // shows from then on, Cancel or not.
    if (!m_options) {
        m_options = std::make_unique<frmoptions>(m_seams.dialogs);
        QObject::connect(m_options.get(), &frmoptions::edited, m_form.get(),
                         [this](const Settings &settings) { m_settings = settings; });
        QObject::connect(m_options.get(), &frmoptions::accepted, m_form.get(),
                         [this](const Settings &settings) {
                             m_settings = settings;
                             m_form->savemainoptions(settings);
                             applyAutostart(m_options->autostartChecked());
                         });
        QObject::connect(
            m_options.get(), &frmoptions::playRequested, m_form.get(),
            [this](const QString &chimeFile) { playfile(chimeFile, 0, true, 0, false); });
        m_options->load(m_settings);
        m_options->loadAutostart(AutostartEntry(m_seams.programFolder).exists());
    }
    return *m_options;
}

void ClockBas::applyAutostart(bool on)
{
    const AutostartEntry entry(m_seams.programFolder);
    if (entry.exists() == on)
        return;
    if (const Result done = entry.set(on); !done.ok()) {
        messg(QStringLiteral("The start with the desktop session could not be %1 at %2:\n%3")
                  .arg(on ? QStringLiteral("set") : QStringLiteral("removed"),
                       QDir::toNativeSeparators(entry.path()), done.error()));
    }
}

void ClockBas::messg(const QString &text)
{
    m_seams.dialogs.messg(text);
}

void ClockBas::endProgram()
{
    m_seams.programEnd.endProgram();
}

void ClockBas::playfile(const QString &file, int volume, bool repeatShown, int fadeFlag,
                        bool repeatHidden)
{
    if (!m_form)
        return;
    m_editorPreview = false;
    loadPlayer().play(playfileRequest(file, volume, repeatShown, fadeFlag, repeatHidden));
}

void ClockBas::readyfile(const QString &file, int volume, bool repeatShown, int fadeFlag,
                         bool repeatHidden)
{
    if (m_form)
        loadPlayer().ready(playfileRequest(file, volume, repeatShown, fadeFlag, repeatHidden));
}

frmdshow &ClockBas::loadPlayer()
{
    if (!m_dshow) {
        m_dshow = std::make_unique<frmdshow>(m_seams.mediaEngines);
        AlarmInProgress &alarms = m_form->alarms();
        QObject::connect(m_dshow.get(), &frmdshow::closed, &alarms, [this, &alarms] {
            m_editorPreview = false;
            alarms.playerClosed();
        });
        QObject::connect(m_dshow.get(), &frmdshow::failed, &alarms, &AlarmInProgress::playFailed);
        QObject::connect(m_dshow.get(), &frmdshow::fadedOut, &alarms, &AlarmInProgress::fadedOut);
    }
    return *m_dshow;
}

AlarmFileReport ClockBas::loadalarms()
{
    const AlarmFileContents contents =
        loadAlarmFile(m_alarmFile, QLocale(), m_seams.clock.now().date().year());
    fillAlarmTable(m_alarms, m_alarmCount, contents.records);
    m_keepAlarmBackup = !contents.report.isClean();
    armWakeUp();
    return contents.report;
}

bool ClockBas::savealarms()
{
    const SaveReport saved = m_alarmFile.save(alarmFileBytes(m_alarms, QLocale()),
                                              m_seams.clock.now(), m_keepAlarmBackup);
    if (!saved.ok()) {
        messg(alarmSaveMessage(saved.error));
        return false;
    }
    m_keepAlarmBackup = false;
    if (saved.changedByHand) {
        messg(handEditMessage(m_alarmFile.path(), saved,
                              QStringLiteral("the alarms of the alarm list")));
    }
    return true;
}

void ClockBas::saveconf(const Settings &settings)
{
    // A settings file that cannot be written is left whole; the new settings
    // still apply for this run.
    const SaveReport saved = m_confFile.save(formatConf(settings), m_seams.clock.now());
    if (!saved.ok()) {
        messg(QStringLiteral("The settings could not be saved.\n%1\n\n"
                             "They apply until the program ends.")
                  .arg(saved.error));
    } else if (saved.changedByHand) {
        messg(handEditMessage(m_confFile.path(), saved,
                              QStringLiteral("the settings of the options dialog")));
    }
}

void ClockBas::deleteAlarm(int slot)
{
    // The alarms after it move up in memory rather than being read back from
    // the file, so they keep their snooze marks and what they have rung; a
    // save that fails puts the alarm back, as the file still holds it.
    const AlarmSlots before = m_alarms;
    std::move(m_alarms.begin() + slot + 1, m_alarms.begin() + m_alarmCount + 1,
              m_alarms.begin() + slot);
    m_alarms[m_alarmCount] = AlarmRecord();
    --m_alarmCount;
    if (!savealarms()) {
        m_alarms = before;
        ++m_alarmCount;
        return;
    }
    if (m_form)
        m_form->alarms().alarmDeleted(slot);
    armWakeUp();
}

void ClockBas::storeAlarm(int slot, const AlarmRecord &record)
{
    storeAlarmRecord(m_alarms, m_alarmCount, slot, record);
    armWakeUp();
}

void ClockBas::armWakeUp()
{
    m_nextDue = armWakeUpAfter(m_seams.clock.now());
    // The tick may have been told to sleep until the alarm due before; the
    // next one reckons again.
    m_seams.ticks.resumeEverySecond();
    // A sound readied for an alarm that has since been edited, deleted or
    // moved on is never to be played; the tick readies the right one again.
    if (m_dshow && !m_form->alarms().alarmRinging())
        m_dshow->dropReadied();
}

std::optional<NextDue> ClockBas::armWakeUpAfter(const QDateTime &after)
{
    static const SnoozeDeadlines noSnoozes{};
    const SnoozeDeadlines &snoozes = m_form ? m_form->alarms().snoozeDeadlines() : noSnoozes;
    const std::optional<NextDue> due = nextWakeUp(m_alarms, snoozes, after, QLocale());
    m_wakeDue = due ? due->at : QDateTime();
    // Never a moment already passed: it would fire at once, and again.
    const QDateTime earliest = m_seams.clock.now().addSecs(1);
    const QDateTime wakeAt =
        due ? std::max(due->at.addSecs(-kWakeLeadSeconds), earliest) : QDateTime();
    // Armed once per change: the alarm, a snooze or an answer that leaves the
    // moment where it was costs the system timer nothing.
    if (m_wakeArmed && *m_wakeArmed == wakeAt)
        return due;
    m_wakeArmed = wakeAt;
    m_seams.wake.arm(wakeAt);
    return due;
}

void ClockBas::playEditorPreview(const QString &file)
{
    playfile(file, 0, true, 0, false);
    m_editorPreview = true;
}

void ClockBas::setEditorOpen(bool open)
{
    editorOpen = open;
    // The editor's preview belongs to the editor and ends with it.
    if (!open && m_editorPreview && m_dshow)
        m_dshow->stop();
}

frmalarms &ClockBas::alarmList()
{
    if (!m_alarmList) {
        AlarmStore &store = *this;
        m_alarmList =
            std::make_unique<frmalarms>(store, m_seams.dialogs, m_seams.clock, m_settings);
        QObject::connect(m_alarmList.get(), &frmalarms::soundPlayRequested, m_alarmList.get(),
                         [this](int sound) {
                             // A sound gone since start-up is told of; ending the
                             // program here would lose every alarm still to come.
                             const QString file = m_files.soundfiles.value(sound);
                             if (!isFile(file)) {
                                 messg(QStringLiteral("The built-in sound %1 is missing. "
                                                      "Installing the program again brings it "
                                                      "back.")
                                           .arg(QDir::toNativeSeparators(file)));
                                 return;
                             }
                             playEditorPreview(file);
                         });
        QObject::connect(m_alarmList.get(), &frmalarms::filePlayRequested, m_alarmList.get(),
                         [this](const QString &file) { playEditorPreview(file); });
    }
    return *m_alarmList;
}
