#include "app/program.h"

#include "alarms/alarmfile.h"
#include "alarms/frmalarms.h"
#include "app/bigcform.h"
#include "app/digitpainterdriver.h"
#include "app/runstate.h"
#include "app/traymenu.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "base/instanceguard.h"
#include "base/logging.h"
#include "base/programend.h"
#include "base/ticksource.h"
#include "base/waketimer.h"
#include "platform/autostart.h"
#include "platform/desktopnotifications.h"
#include "platform/files.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "settings/frmoptions.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The user guide's file in the program folder, which the install lays out.
const QString kUserGuide = QStringLiteral("user-guide.md");

} // namespace

Program::Program(const Seams &seams)
    : m_seams(seams), m_bas(seams.programFolder, seams.clock, seams.dialogs),
      m_sound(seams.mediaEngines, seams.playerPace),
      m_engine({m_bas, seams.clock, m_sound, *this, seams.powerOff, seams.sleepInhibitor,
                seams.wake, m_bas.dialogSettings(), m_bas.files().soundfiles})
{
    AlarmEngine *engine = &m_engine;
    QObject::connect(&m_seams.wake, &WakeTimer::fired, engine, &AlarmEngine::wakeTimerFired);
    QObject::connect(&m_seams.wake, &WakeTimer::clockSet, engine, &AlarmEngine::clockSet);
    // The tick may have been told to sleep until the alarm due before; the
    // next one reckons again.
    QObject::connect(engine, &AlarmEngine::nextDueChanged, &m_seams.ticks,
                     &TickSource::resumeEverySecond);
    // From the event loop: a message box must not open inside the tick.
    QObject::connect(
        engine, &AlarmEngine::problem, engine,
        [this](const QString &text) { m_seams.dialogs.messg(text); }, Qt::QueuedConnection);

    QObject::connect(&m_sound, &AlarmSound::closed, engine, &AlarmEngine::soundClosed);
    QObject::connect(&m_sound, &AlarmSound::failed, engine, &AlarmEngine::soundFailed);
    QObject::connect(&m_sound, &AlarmSound::fadedOut, engine, &AlarmEngine::soundFadedOut);

    QObject::connect(&m_bas, &ClockBas::alarmsChanged, engine, &AlarmEngine::alarmsChanged);
    QObject::connect(&m_bas, &ClockBas::alarmDeleted, engine, &AlarmEngine::alarmDeleted);
    m_stateSave.setSingleShot(true);
    m_stateSave.setInterval(0);
    QObject::connect(&m_stateSave, &QTimer::timeout, engine, [this] { saveRunState(); });
    // Many changes of one moment are written once.
    QObject::connect(engine, &AlarmEngine::memoryChanged, &m_stateSave,
                     qOverload<>(&QTimer::start));
    if (DesktopNotifications *notifications = m_seams.notifications) {
        QObject::connect(engine, &AlarmEngine::alarmShown, notifications,
                         &DesktopNotifications::show);
        QObject::connect(engine, &AlarmEngine::alarmClosed, notifications,
                         &DesktopNotifications::close);
        QObject::connect(notifications, &DesktopNotifications::snoozeRequested, engine,
                         &AlarmEngine::snooze);
        QObject::connect(notifications, &DesktopNotifications::okRequested, engine,
                         &AlarmEngine::ok);
    }
    // The editor's preview belongs to the editor and ends with it.
    QObject::connect(&m_bas, &ClockBas::editorOpenChanged, &m_sound, [this](bool open) {
        if (!open)
            m_sound.stopPreview();
    });
}

Program::~Program() = default;

bool Program::startprogram()
{
    if (!m_bas.confExists() || !m_bas.loadsoundlist()) {
        m_seams.dialogs.messg(kCorruptedMessage);
        m_seams.programEnd.endProgram();
        return false;
    }
    m_bas.loadmainoptions();
    loadClockWindow();
    if (!m_seams.instanceGuard.tryAcquire()) {
        // Refused without a word of why: another copy runs.
        const QString why = m_seams.instanceGuard.warning();
        m_seams.dialogs.messg(
            why.isEmpty() ? QStringLiteral("Another copy of Tockaro Program is running") : why);
        m_seams.programEnd.endProgram();
        return false;
    }
    m_form->load();
    readRunState();
    // Where the user last left the clock, if a screen still holds it there.
    if (m_clockPlace)
        m_form->placeAt(*m_clockPlace);
    m_seams.ticks.start();
    m_tray->load(m_seams.trayAvailable, m_bas.settings().showAtStart);
    // The alarm list window is made, with its columns and rows, when it is
    // first opened: an idle clock need not carry it.
    m_bas.loadalarms();
    restoreEngineMemory();
    // Told once the alarms ring: a lock that is not the user's stops nothing.
    if (const QString warning = m_seams.instanceGuard.warning(); !warning.isEmpty())
        m_seams.dialogs.messg(warning);
    m_bas.tellConfReadError();
    return true;
}

void Program::loadClockWindow()
{
    m_form = std::make_unique<BigCForm>(m_seams.clock, m_bas.settings());
    BigCForm *form = m_form.get();
    m_tray = std::make_unique<TrayMenu>(*form, m_seams.dialogs, m_seams.statusNotifierTray);
    m_painterDriver = std::make_unique<DigitPainterDriver>(m_seams.digitPainter, *form,
                                                           m_seams.clock, m_bas.settings());
    DigitPainterDriver *painter = m_painterDriver.get();
    TrayMenu *tray = m_tray.get();

    QObject::connect(&m_seams.ticks, &TickSource::tick, form, [this] { Timer1_Timer(); });
    QObject::connect(form, &BigCForm::menuRequested, tray, &TrayMenu::popup);
    QObject::connect(form, &BigCForm::dragged, form, [this](const QPoint &topLeft) {
        m_clockPlace = topLeft;
        m_stateSave.start();
    });
    QObject::connect(form, &BigCForm::shown, form, [this, painter] {
        // Anew at each show, as a window shown again may be a new native
        // window; from the event loop, so the window maps before its pictures
        // are made.
        QMetaObject::invokeMethod(painter, &DigitPainterDriver::restart, Qt::QueuedConnection);
        // Shown digits the painter does not draw need their tick each second.
        m_seams.ticks.resumeEverySecond();
    });
    QObject::connect(form, &BigCForm::hidden, painter, &DigitPainterDriver::stopDrawing);
    QObject::connect(form, &BigCForm::digitsMoved, painter, [painter] {
        if (painter->painting())
            painter->restart();
    });
    QObject::connect(form, &BigCForm::closed, form, [this] {
        m_seams.ticks.stop();
        exitClick();
    });
    // From the event loop: a message box must not open inside the tick.
    QObject::connect(&m_engine, &AlarmEngine::notice, tray, &TrayMenu::showNotice,
                     Qt::QueuedConnection);

#ifdef Q_OS_WIN
    // No notification service on a bus here: the tray's balloon tells of the
    // ringing alarm, and a click on it brings the alarm window forward.
    QObject::connect(&m_engine, &AlarmEngine::alarmShown, tray, [tray](const ShownAlarm &alarm) {
        tray->showAlarmMessage(QStringLiteral("Alarm %1\n%2").arg(alarm.timeText, alarm.message));
    });
    QObject::connect(&m_engine, &AlarmEngine::alarmClosed, tray, &TrayMenu::withdrawAlarmMessage);
    QObject::connect(tray, &TrayMenu::alarmMessageClicked, form, [this] {
        if (m_alarmWindow && m_alarmWindow->isVisible()) {
            m_alarmWindow->raise();
            m_alarmWindow->activateWindow();
        }
    });
#endif
    QObject::connect(tray, &TrayMenu::alarmsRequested, form, [this] { alarmsformClick(); });
    QObject::connect(tray, &TrayMenu::optionsRequested, form, [this] { options().showOptions(); });
    QObject::connect(tray, &TrayMenu::aboutRequested, form, [this] { aboutClick(); });
    QObject::connect(tray, &TrayMenu::exitRequested, form, [this] { exitClick(); });
}

// The tick runs once a second, just after the whole second: the digits change
// right after the real second does, and an idle clock wakes the machine once a
// second rather than twice.
void Program::Timer1_Timer()
{
    const QDateTime now = m_seams.clock.now();
    m_form->showTime(now);
    m_engine.tick(now);
    m_painterDriver->followTimeRule(now);
    planTicks(now);
}

// An idle clock whose digits are drawn by the painter, or hidden, wakes its
// event loop once a minute or for the next alarm rather than every second:
// most of what an idle clock costs is the event loop's waking.
void Program::planTicks(const QDateTime &now)
{
    if ((m_form->isVisible() && !m_painterDriver->painting()) || m_engine.alarmRinging())
        return;
    const std::optional<NextDue> &due = m_engine.nextDue();
    const qint64 next =
        nextNeededTick(now, due ? std::optional(due->at.toSecsSinceEpoch()) : std::nullopt);
    if (next > now.toSecsSinceEpoch() + 1)
        m_seams.ticks.skipUntil(next);
}

void Program::setTrayAvailable(bool available)
{
    if (m_tray)
        m_tray->setTrayAvailable(available);
}

void Program::showOnRequest()
{
    if (m_tray)
        m_tray->showOnRequest();
}

RemoteReply Program::answerRequest(RemoteAction action)
{
    switch (action) {
    case RemoteAction::Show:
        showOnRequest();
        return {true, {}};
    case RemoteAction::Snooze:
        return {m_engine.snooze(), {}};
    case RemoteAction::Stop:
        return {m_engine.ok(), {}};
    case RemoteAction::Next:
        return {true, m_engine.nextReport()};
    case RemoteAction::List:
        return {true, m_engine.listReport().join(u'\n')};
    }
    return {};
}

void Program::endOnRequest()
{
    m_engine.silence();
    m_bas.saveAtEnd(false);
    exitClick();
}

void Program::exitClick()
{
    m_bas.saveAtEnd();
    if (m_tray)
        m_tray->removeTrayIcon();
    endProgram();
}

void Program::endProgram()
{
    saveRunState();
    m_seams.programEnd.endProgram();
}

void Program::readRunState()
{
    m_stateLoaded = true;
    const FileContents read = readRegularFile(m_bas.files().stateFilePath, kMaxAlarmFileBytes);
    if (!read.exists)
        return;
    // The place needs no alarms; the marks are read once the alarms are.
    const std::optional<RunState> state =
        read.error.isEmpty() ? parseRunState(read.bytes, {}, 0) : std::nullopt;
    if (!state) {
        qCWarning(lcAlarms).noquote()
            << "the state file" << QDir::toNativeSeparators(m_bas.files().stateFilePath)
            << "cannot be read" << (read.error.isEmpty() ? QString() : u'(' + read.error + u')')
            << "- no snooze or missed alarm is pending from before";
        return;
    }
    m_stateRead = read.bytes;
    m_clockPlace = state->clockPlace;
}

void Program::restoreEngineMemory()
{
    if (const std::optional<RunState> state =
            parseRunState(m_stateRead, m_bas.alarms(), m_bas.alarmCount()))
        m_engine.restore(state->engine);
    m_stateRead.clear();
}

void Program::saveRunState()
{
    m_stateSave.stop();
    if (!m_stateLoaded)
        return;
    const RunState state{m_engine.memory(), m_clockPlace};
    const Result saved = saveFileAtomically(
        m_bas.files().stateFilePath, formatRunState(state, m_bas.alarms(), m_bas.alarmCount()));
    if (!saved.ok() && !std::exchange(m_stateSaveFailed, true)) {
        qCWarning(lcAlarms).noquote() << "the state file cannot be written, so a restart would "
                                         "lose the snoozes:"
                                      << saved.error();
    }
}

void Program::aboutClick()
{
    const QString guide = QFileInfo(m_bas.files().confFilePath).dir().filePath(kUserGuide);
    m_seams.dialogs.messg(
        QStringLiteral("Tockaro Program %1, the desktop alarm clock\n"
                       "User guide: %2\n")
            .arg(QStringLiteral(TOCKARO_VERSION), QDir::toNativeSeparators(guide)));
}

void Program::savemainoptions(const Settings &settings)
{
    m_bas.setSettings(settings);
    m_bas.saveconf(settings);
    m_form->applySettings();
    m_painterDriver->followTimeRule(m_seams.clock.now());
}

frmoptions &Program::options()
{
    // Made when first opened: an idle clock need not carry a dialog. The
    // dialog keeps what it shows from then on, Cancel or not.
    if (!m_options) {
        m_options = std::make_unique<frmoptions>(m_seams.dialogs);
        frmoptions *options = m_options.get();
        QObject::connect(options, &frmoptions::edited, options,
                         [this](const Settings &settings) { m_bas.setDialogSettings(settings); });
        QObject::connect(options, &frmoptions::accepted, options, [this](const Settings &settings) {
            savemainoptions(settings);
            applyAutostart(m_options->autostartChecked());
        });
        QObject::connect(options, &frmoptions::playRequested, options, [this](const QString &file) {
            m_sound.play(PlayRequest{.file = file, .repeat = true, .showWindow = true});
        });
        m_options->load(m_bas.dialogSettings());
        m_options->loadAutostart(AutostartEntry(m_seams.programFolder).exists());
    }
    return *m_options;
}

void Program::applyAutostart(bool on)
{
    const AutostartEntry entry(m_seams.programFolder);
    if (entry.exists() == on)
        return;
    if (const Result done = entry.set(on); !done.ok()) {
        m_seams.dialogs.messg(
            QStringLiteral("The start with the desktop session could not be %1 at %2:\n%3")
                .arg(on ? QStringLiteral("set") : QStringLiteral("removed"),
                     QDir::toNativeSeparators(entry.path()), done.error()));
    }
}

frmalarms &Program::alarmList()
{
    if (!m_alarmList) {
        m_alarmList = std::make_unique<frmalarms>(m_bas, m_seams.dialogs, m_seams.clock,
                                                  m_bas.dialogSettings());
        frmalarms *list = m_alarmList.get();
        QObject::connect(list, &frmalarms::soundPlayRequested, list,
                         [this](int sound) { playBuiltInPreview(sound); });
        QObject::connect(list, &frmalarms::filePlayRequested, list,
                         [this](const QString &file) { m_sound.playPreview(file); });
        // A box that leaves the ringing alarm's window its answer.
        QObject::connect(list, &frmalarms::alarmTryRequested, list,
                         [this](const AlarmRecord &alarm) {
                             if (!m_engine.tryAlarm(alarm))
                                 m_seams.dialogs.notice(QStringLiteral(
                                     "An alarm is ringing: a try waits until it is answered. "
                                     "Answer it with Snooze or OK, then press Try again."));
                         });
    }
    return *m_alarmList;
}

void Program::alarmsformClick()
{
    frmalarms &window = alarmList();
    window.show();
    window.raise();
    window.activateWindow();
}

void Program::playBuiltInPreview(int sound)
{
    // A sound gone since start-up is told of; ending the program here would
    // lose every alarm still to come.
    const QString file = m_bas.files().soundfiles.value(sound);
    if (!QFileInfo(file).isFile()) {
        m_seams.dialogs.messg(QStringLiteral("The built-in sound %1 is missing. Installing the "
                                             "program again brings it back.")
                                  .arg(QDir::toNativeSeparators(file)));
        return;
    }
    m_sound.playPreview(file);
}

void Program::showAlarm(const ShownAlarm &alarm)
{
    if (!m_alarmWindow) {
        m_alarmWindow = std::make_unique<alarmwind>();
        alarmwind *window = m_alarmWindow.get();
        AlarmEngine *engine = &m_engine;
        QObject::connect(window, &alarmwind::snoozeClicked, engine, &AlarmEngine::snooze);
        QObject::connect(window, &alarmwind::okClicked, engine, &AlarmEngine::ok);
        // After the close is over, so that the next alarm can show the window again.
        QObject::connect(window, &alarmwind::closed, engine, &AlarmEngine::viewClosed,
                         Qt::QueuedConnection);
    }
    m_alarmWindow->setNote(alarm.note);
    m_alarmWindow->showAlarm(alarm.timeText, alarm.dateText, alarm.message);
}

void Program::closeAlarm()
{
    if (m_alarmWindow)
        m_alarmWindow->close();
}
