#include "alarmengine/alarmengine.h"

#include "alarmengine/alarmreport.h"
#include "alarmengine/alarmsound.h"
#include "alarmengine/alarmview.h"
#include "alarmengine/schedule.h"
#include "alarms/alarmstore.h"
#include "base/clock.h"
#include "base/logging.h"
#include "base/poweroff.h"
#include "base/sleepinhibitor.h"
#include "base/waketimer.h"
#include "playback/isvideo.h"
#include "playback/tone.h"
#include "settings/conffile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>

#include <algorithm>

namespace {

int secondOfHour(const QDateTime &time)
{
    return time.time().minute() * 60 + time.time().second();
}

bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace

AlarmEngine::AlarmEngine(const AlarmEnginePorts &ports, QObject *parent)
    : QObject(parent), m_ports(ports), m_queue(QLocale())
{
    // The sound starts as soon as the window is up, not half a second later:
    // nothing needs the wait, and an alarm should sound at its second.
    m_timer3.setSingleShot(true);
    m_timer3.setInterval(0);
    connect(&m_timer3, &QTimer::timeout, this, &AlarmEngine::Timer3_Timer);
}

AlarmEngine::~AlarmEngine() = default;

void AlarmEngine::tick(const QDateTime &now)
{
    const AlarmTable &table = m_ports.table;
    if (m_queue.followSteadyClock(now, m_ports.clock.steadyNow().ms)) {
        armWakeUp();
        Q_EMIT memoryChanged();
    }
    const AlarmQueue::TickOutcome outcome =
        m_queue.tick(now, table.alarms(), table.alarmCount(), alarmRinging() ? m_currentind : 0);
    if (outcome.fellDue || !outcome.missed.isEmpty())
        Q_EMIT memoryChanged();
    if (!alarmRinging()) {
        if (const std::optional<AlarmStart> next = m_queue.takeNext(now))
            startalm(*next);
    }
    if (!outcome.missed.isEmpty()) {
        tellMissed(outcome.missed);
        armWakeUp();
    }
    // After the alarms: a chime would only be cut short by an alarm's sound.
    if (outcome.fullHour)
        hourlyChime();
    checkFadeOut(now);
    readyNextSound(now);
}

// At the alarm's second only its own engine is left to start: the media
// module, the decoders of its file and the sound server's connection are
// readied, silent, some seconds before. While no alarm is near this is one
// comparison a tick.
void AlarmEngine::readyNextSound(const QDateTime &now)
{
    if (!m_nextDue || alarmRinging())
        return;
    const qint64 wait = m_nextDue->at.toSecsSinceEpoch() - now.toSecsSinceEpoch();
    if (wait <= 0 || wait > kReadyLeadSeconds)
        return;
    // The sound its start will ask for; one that fails to open then is
    // passed over as at any other start.
    const AlarmRecord &alarm = m_ports.table.alarms()[m_nextDue->slot];
    QStringList passedOver;
    const std::optional<SoundChain::Step> first =
        SoundChain(alarm, m_ports.builtInSounds).next(isFile, passedOver);
    if (!first || first->kind == SoundChain::Kind::Tone)
        return;
    const bool item = first->kind == SoundChain::Kind::Item;
    m_ports.sound.ready(PlayRequest{.file = first->file,
                                    .volume = alarmVolume(alarm),
                                    .repeat = !item,
                                    .showWindow = isvideo(first->file),
                                    .fadeIn = item && alarm.fadeIn == 1});
}

void AlarmEngine::startalm(const AlarmStart &start)
{
    m_currentind = start.slot;
    const AlarmRecord &alarm = m_ports.table.alarms()[start.slot];
    const bool powerOff = alarm.sleepFlag == 1 && start.mayPowerOff();
    const QString note =
        alarm.sleepFlag == 1 && !powerOff
            ? QStringLiteral("This alarm rang %1 minutes after its time, so the computer was "
                             "not turned off.")
                  .arg(std::max<qint64>(1, start.lateSeconds / 60))
            : QString();
    m_trial.reset();
    showalarmwindow(start, note);
    startRinging(alarm);
    qCInfo(lcAlarms).noquote() << "alarm started:" << alarm.message;
    armWakeUp();
    Q_EMIT memoryChanged();
    if (powerOff) {
        if (const Result off = m_ports.powerOff.powerOff(); !off.ok())
            Q_EMIT problem(
                QStringLiteral("The computer could not be turned off:\n%1").arg(off.error()));
    }
}

void AlarmEngine::showalarmwindow(const AlarmStart &start, const QString &note)
{
    const AlarmRecord &alarm = m_ports.table.alarms()[start.slot];
    // The stored date of the other kinds is only the day the alarm was made.
    const QDate day = alarm.frequency == AlarmFrequency::FixedDate ? alarm.alarmDate : start.date;
    const ShownAlarm shown{alarm.timeText, alarmDateText(day, QLocale()), alarm.message, note};
    m_ports.view.showAlarm(shown);
    Q_EMIT alarmShown(shown);
}

void AlarmEngine::startRinging(const AlarmRecord &alarm)
{
    m_fadestartsec = secondOfHour(m_ports.clock.now());
    if (m_phase == Phase::Idle)
        m_ports.sleepInhibitor.take();
    m_phase = Phase::Ringing;
    m_chain = SoundChain(alarm, m_ports.builtInSounds);
    m_timer3.start();
}

const AlarmRecord &AlarmEngine::currentAlarm() const
{
    return m_trial ? *m_trial : m_ports.table.alarms()[m_currentind];
}

bool AlarmEngine::tryAlarm(const AlarmRecord &alarm)
{
    // Not over an alarm window waiting for its answer either, faded or not.
    if (m_phase != Phase::Idle)
        return false;
    m_trial = alarm;
    m_currentind = 0;
    const QDate today = m_ports.clock.now().date();
    const QDate day = alarm.frequency == AlarmFrequency::FixedDate ? alarm.alarmDate : today;
    const ShownAlarm shown{alarm.timeText, alarmDateText(day, QLocale()), alarm.message,
                           QStringLiteral("This is a try: Snooze and OK only end it. Nothing is "
                                          "saved, and the computer is not turned off.")};
    m_ports.view.showAlarm(shown);
    Q_EMIT alarmShown(shown);
    startRinging(alarm);
    qCInfo(lcAlarms).noquote() << "alarm tried:" << alarm.message;
    return true;
}

void AlarmEngine::Timer3_Timer()
{
    if (!alarmRinging())
        return;
    QStringList passedOver;
    const std::optional<SoundChain::Step> step = m_chain.next(isFile, passedOver);
    tellDamaged(passedOver);
    if (step)
        play(*step);
}

void AlarmEngine::play(const SoundChain::Step &step)
{
    const bool item = step.kind == SoundChain::Kind::Item;
    const QString file = step.kind == SoundChain::Kind::Tone ? toneFile() : step.file;
    if (file.isEmpty()) {
        QStringList none;
        m_chain.failed(none);
        return;
    }
    m_playing = file;
    m_chimePlaying = false; // an alarm's sound takes the player from the chime
    const AlarmRecord &alarm = currentAlarm();
    m_ports.sound.play(PlayRequest{.file = file,
                                   .volume = alarmVolume(alarm),
                                   .repeat = !item,
                                   .showWindow = isvideo(file),
                                   .fadeIn = item && alarm.fadeIn == 1});
}

QString AlarmEngine::toneFile()
{
    if (!m_tone) {
        auto tone = std::make_unique<QTemporaryFile>(
            QDir::temp().filePath(QStringLiteral("tockaro-tone-XXXXXX.wav")));
        if (!tone->open() || tone->write(alarmToneWav()) < 0 || !tone->flush()) {
            qCWarning(lcAlarms).noquote() << "no sound left to ring with:" << tone->errorString();
            return {};
        }
        m_tone = std::move(tone);
    }
    return m_tone->fileName();
}

void AlarmEngine::soundFailed(const QString &file)
{
    if (!alarmRinging() || file != m_playing)
        return;
    QStringList passedOver;
    m_chain.failed(passedOver);
    tellDamaged(passedOver);
    if (m_chain.silent())
        qCWarning(lcAlarms) << "no sound left to ring with: the tone cannot be played either";
}

void AlarmEngine::soundClosed()
{
    m_chimePlaying = false;
    if (!alarmRinging() || m_chain.silent())
        return;
    m_chain.finished();
    // Started from the event loop, not from inside the player's close. A
    // built-in sound that something else took the player from comes back.
    m_timer3.start();
}

void AlarmEngine::tellDamaged(const QStringList &files)
{
    for (const QString &file : files) {
        if (m_toldDamaged.contains(file))
            continue;
        m_toldDamaged.insert(file);
        Q_EMIT notice(QStringLiteral("The built-in sound %1 is missing or cannot be played; the "
                                     "alarm rings with another sound. Installing the program "
                                     "again brings the sound back.")
                          .arg(QDir::toNativeSeparators(file)));
    }
}

void AlarmEngine::tellMissed(const QList<MissedAlarm> &missed)
{
    const QLocale locale;
    QStringList lines;
    for (const MissedAlarm &alarm : missed) {
        const QDate date = dateOfLocalSecond(alarm.localSecond);
        const QTime time = timeOfLocalSecond(alarm.localSecond);
        lines << QStringLiteral("%1 %2  %3")
                     .arg(locale.toString(date, QLocale::ShortFormat), time.toString(u"HH:mm:ss"),
                          m_ports.table.alarms()[alarm.slot].message);
    }
    Q_EMIT notice((missed.size() == 1
                       ? QStringLiteral("This alarm was missed: it fell due while "
                                        "the computer could not ring it.\n")
                       : QStringLiteral("These alarms were missed: they fell due "
                                        "while the computer could not ring them.\n")) +
                  lines.join(u'\n'));
}

void AlarmEngine::hourlyChime()
{
    // The settings follow the options dialog as it changes, so a change there
    // counts at once, OK or not. A chime still playing is not started again,
    // and a ringing alarm keeps the player.
    const Settings &settings = m_ports.settings;
    if (!settings.chimesOn || m_chimePlaying || alarmRinging())
        return;
    m_chimePlaying = true;
    m_ports.sound.play(
        PlayRequest{.file = settings.chimeFile, .showWindow = isvideo(settings.chimeFile)});
}

void AlarmEngine::checkFadeOut(const QDateTime &now)
{
    if (m_phase != Phase::Ringing || m_chain.silent())
        return;
    const AlarmRecord &alarm = currentAlarm();
    // A playlist fades out, also when it fell back to a built-in sound.
    if (alarm.fadeOut != 1 || alarm.playMedia != 1)
        return;
    // Counted on the hour's seconds, so a delay that runs across a full hour
    // counts right; reached, not hit exactly, so a late tick cannot skip it.
    const int elapsed = (secondOfHour(now) - m_fadestartsec + 3600) % 3600;
    if (elapsed < qint64(alarm.fadeMinutes) * 60 || !m_ports.sound.isPlaying())
        return;
    m_phase = Phase::FadingOut;
    m_ports.sound.fadeOut();
}

void AlarmEngine::soundFadedOut()
{
    if (!alarmRinging())
        return;
    // The window stays with its alarm until answered; the next alarm may ring.
    m_phase = Phase::Faded;
    m_chain = SoundChain();
    m_timer3.stop();
    startNextWaiting();
}

void AlarmEngine::alarmDeleted(int slot)
{
    m_queue.deleted(slot);
    if (m_known) {
        std::move(m_known->begin() + slot + 1, m_known->end(), m_known->begin() + slot);
        m_known->back().clear();
    }
    Q_EMIT memoryChanged();
    if (slot == m_currentind) {
        // Its answer would land on whatever alarm moved into the slot.
        m_currentind = 0;
        if (m_phase != Phase::Idle)
            m_ports.view.closeAlarm();
    } else if (slot < m_currentind) {
        --m_currentind;
    }
    armWakeUp();
}

bool AlarmEngine::snooze()
{
    if (m_phase == Phase::Idle)
        return false;
    if (m_currentind != 0) {
        m_queue.snooze(m_currentind, m_ports.table.alarms()[m_currentind], m_ports.clock.now(),
                       m_ports.clock.steadyNow().ms);
        Q_EMIT memoryChanged();
    }
    m_ports.view.closeAlarm();
    return true;
}

bool AlarmEngine::ok()
{
    if (m_phase == Phase::Idle)
        return false;
    if (m_currentind != 0) {
        m_queue.answered(m_currentind);
        Q_EMIT memoryChanged();
    }
    m_ports.view.closeAlarm();
    return true;
}

void AlarmEngine::viewClosed()
{
    if (m_phase == Phase::Idle)
        return;
    m_phase = Phase::Idle;
    m_trial.reset();
    Q_EMIT alarmClosed();
    m_chain = SoundChain();
    m_timer3.stop();
    m_ports.sound.stop();
    m_ports.sleepInhibitor.release();
    startNextWaiting();
}

void AlarmEngine::startNextWaiting()
{
    const std::optional<AlarmStart> next = m_queue.takeNext(m_ports.clock.now());
    // A snooze just set, or one that waited for this alarm, now counts.
    armWakeUp();
    if (next)
        startalm(*next);
}

void AlarmEngine::silence()
{
    m_ports.sound.stop();
}

void AlarmEngine::alarmsChanged()
{
    noteChangedAlarms();
    armWakeUp();
}

void AlarmEngine::noteChangedAlarms()
{
    const AlarmTable &table = m_ports.table;
    AlarmDigests now;
    for (int slot = 1; slot <= table.alarmCount(); ++slot)
        now[slot] = alarmFingerprint(table.alarms()[slot]);
    if (m_known) {
        const qint64 nowUtc = m_ports.clock.now().toSecsSinceEpoch();
        bool changed = false;
        for (int slot = 1; slot <= table.alarmCount(); ++slot) {
            if (now[slot] != (*m_known)[slot]) {
                m_queue.changed(slot, nowUtc);
                changed = true;
            }
        }
        if (changed)
            Q_EMIT memoryChanged();
    }
    m_known = now;
}

QString AlarmEngine::nextReport() const
{
    return nextAlarmReport(m_nextDue, m_ports.table.alarms(), m_ports.clock.now(), QLocale());
}

QStringList AlarmEngine::listReport() const
{
    return alarmListReport(m_ports.table.alarms(), m_ports.table.alarmCount(), m_queue.marks(),
                           m_ports.clock.now(), QLocale());
}

EngineMemory AlarmEngine::memory() const
{
    return {m_queue.lastLook(), m_ports.clock.steadyNow().boot, m_queue.marks(),
            m_known.value_or(AlarmDigests{})};
}

void AlarmEngine::restore(const EngineMemory &memory)
{
    AlarmMarksTable marks = memory.marks;
    // Steady times of another boot say nothing: their snoozes follow the wall clock.
    if (memory.boot != m_ports.clock.steadyNow().boot) {
        for (AlarmMarks &mark : marks)
            mark.snoozeSteadyMs.reset();
    }
    m_queue.restore(marks, memory.looked);
    armWakeUp();
}

void AlarmEngine::wakeTimerFired()
{
    // Whatever falls due within the lead is rung by the awake clock's tick.
    const QDateTime now = m_ports.clock.now();
    armWakeUpAfter(m_wakeDue.isValid() ? std::max(now, m_wakeDue.toLocalTime()) : now);
}

void AlarmEngine::clockSet()
{
    armWakeUp();
}

void AlarmEngine::armWakeUp()
{
    m_nextDue = armWakeUpAfter(m_ports.clock.now());
    Q_EMIT nextDueChanged();
    // A sound readied for an alarm that has since been edited, deleted or
    // moved on is never to be played; the tick readies the right one again.
    if (!alarmRinging())
        m_ports.sound.dropReadied();
}

std::optional<NextDue> AlarmEngine::armWakeUpAfter(const QDateTime &after)
{
    const AlarmTable &table = m_ports.table;
    const std::optional<NextDue> due =
        nextWakeUp(table.alarms(), table.alarmCount(), m_queue.marks(), after, QLocale());
    m_wakeDue = due ? due->at : QDateTime();
    // Never a moment already passed: it would fire at once, and again.
    const QDateTime earliest = m_ports.clock.now().addSecs(1);
    const QDateTime wakeAt =
        due ? std::max(due->at.addSecs(-kWakeLeadSeconds), earliest) : QDateTime();
    // Armed once per change: the alarm, a snooze or an answer that leaves the
    // moment where it was costs the system timer nothing.
    if (m_wakeArmed && *m_wakeArmed == wakeAt)
        return due;
    m_wakeArmed = wakeAt;
    m_ports.wake.arm(wakeAt);
    return due;
}
