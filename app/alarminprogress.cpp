#include "app/alarminprogress.h"

#include "alarms/alarmrecord.h"
#include "app/clockbas.h"
#include "app/nextdue.h"
#include "app/schedule.h"
#include "base/clock.h"
#include "base/logging.h"
#include "base/poweroff.h"
#include "base/sleepinhibitor.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "playback/playlisttext.h"
#include "playback/soundtable.h"
#include "playback/tone.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryFile>

namespace {

int secondOfHour(const QDateTime &time)
{
    return time.time().minute() * 60 + time.time().second();
}

} // namespace

AlarmInProgress::AlarmInProgress(ClockBas &bas, QObject *parent)
    : QObject(parent), m_bas(bas), m_queue(QLocale())
{
    // The sound starts as soon as the window is up, not half a second later:
    // nothing needs the wait, and an alarm should sound at its second.
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setSingleShot(true);
    m_timer3.setInterval(0);
    connect(&m_timer3, &QTimer::timeout, this, &AlarmInProgress::Timer3_Timer);
}

AlarmInProgress::~AlarmInProgress() = default;

void AlarmInProgress::tick(const QDateTime &now)
{
    const AlarmQueue::TickOutcome outcome =
        m_queue.tick(now, m_bas.alarmSlots(), m_bas.alarmCount());
    if (outcome.start)
        startalm(*outcome.start);
    if (!outcome.missed.isEmpty()) {
        tellMissed(outcome.missed);
        m_bas.armWakeUp();
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
void AlarmInProgress::readyNextSound(const QDateTime &now)
{
    const std::optional<NextDue> &next = m_bas.nextDue();
    if (!next || m_queue.inProgress())
        return;
    const qint64 wait = next->at.toSecsSinceEpoch() - now.toSecsSinceEpoch();
    if (wait <= 0 || wait > kReadyLeadSeconds)
        return;
    // The sound its start will ask for; one that fails to open then is
    // passed over as at any other start.
    const AlarmRecord &alarm = m_bas.alarmSlots()[next->slot];
    if (const QStringList items = splitPlaylist(alarm.playlist);
        alarm.playMedia == 1 && !items.isEmpty()) {
        m_bas.readyfile(items.first(), 0, false, alarm.fadeIn == 1 ? 1 : 0, false);
        return;
    }
    if (const QString sound = builtInSound(alarm, 0); QFileInfo(sound).isFile())
        m_bas.readyfile(sound, 0, false, 0, true);
}

void AlarmInProgress::startalm(const AlarmStart &start)
{
    m_currentind = start.slot;
    const AlarmRecord &alarm = m_bas.alarmSlots()[start.slot];
    showalarmwindow(start);
    m_fadestartsec = secondOfHour(m_bas.clock().now());
    m_fadeRequested = false;
    m_sound = alarm.playMedia == 1 ? Sound::Playlist : Sound::BuiltIn;
    m_items = splitPlaylist(alarm.playlist);
    m_itemPlayed = false;
    m_soundsGivenUp = 0;
    m_timer3.start();
    qCInfo(lcAlarms).noquote() << "alarm started:" << alarm.message;
    if (!m_holdingAwake) {
        m_holdingAwake = true;
        m_bas.sleepInhibitor().take();
    }
    m_bas.armWakeUp();
    if (alarm.sleepFlag != 1)
        return;
    if (!start.mayPowerOff()) {
        m_window->setNote(QStringLiteral("This alarm rang %1 minutes after its time, so the "
                                         "computer was not turned off.")
                              .arg(std::max<qint64>(1, start.lateSeconds / 60)));
    } else if (const Result off = m_bas.powerOff().powerOff(); !off.ok()) {
        m_bas.messg(QStringLiteral("The computer could not be turned off:\n%1").arg(off.error()));
    }
}

void AlarmInProgress::showalarmwindow(const AlarmStart &start)
{
    if (!m_window) {
        m_window = std::make_unique<alarmwind>();
        connect(m_window.get(), &alarmwind::snoozeClicked, this, &AlarmInProgress::snooze);
        connect(m_window.get(), &alarmwind::okClicked, this, &AlarmInProgress::answerOk);
        // After the close is over, so that the next alarm can show the window again.
        connect(m_window.get(), &alarmwind::closed, this, &AlarmInProgress::windowClosed,
                Qt::QueuedConnection);
    }
    const AlarmRecord &alarm = m_bas.alarmSlots()[start.slot];
    // The stored date of the other kinds is only the day the alarm was made.
    const QDate day = alarm.frequency == AlarmFrequency::FixedDate ? alarm.alarmDate : start.date;
    m_window->setNote(QString());
    m_window->showAlarm(alarm.timeText, alarmDateText(day, QLocale()), alarm.message);
}

void AlarmInProgress::Timer3_Timer()
{
    if (!m_queue.inProgress())
        return;
    switch (m_sound) {
    case Sound::None:
        return;
    case Sound::Playlist:
        if (!m_items.isEmpty()) {
            play(m_items.takeFirst(), m_bas.alarmSlots()[m_currentind].fadeIn == 1);
            return;
        }
        // A list that has played falls silent; one that could play nothing
        // rings the alarm's built-in sound instead.
        if (m_itemPlayed) {
            m_sound = Sound::None;
            return;
        }
        m_sound = Sound::BuiltIn;
        playBuiltIn();
        return;
    case Sound::BuiltIn:
        playBuiltIn();
        return;
    case Sound::Tone:
        playTone();
        return;
    }
}

QString AlarmInProgress::builtInSound(const AlarmRecord &alarm, int givenUp) const
{
    const QStringList &sounds = m_bas.files().soundfiles;
    const int chosen = alarm.soundIndex;
    const int first = chosen >= 0 && chosen < sounds.size() ? chosen : 0;
    return sounds[(first + givenUp) % sounds.size()];
}

void AlarmInProgress::playBuiltIn()
{
    const AlarmRecord &alarm = m_bas.alarmSlots()[m_currentind];
    for (; m_soundsGivenUp < m_bas.files().soundfiles.size(); ++m_soundsGivenUp) {
        const QString file = builtInSound(alarm, m_soundsGivenUp);
        if (QFileInfo(file).isFile()) {
            play(file, false);
            return;
        }
        tellDamaged(file);
    }
    m_sound = Sound::Tone;
    playTone();
}

void AlarmInProgress::playTone()
{
    if (!m_tone) {
        auto tone = std::make_unique<QTemporaryFile>(
            QDir::temp().filePath(QStringLiteral("tockaro-tone-XXXXXX.wav")));
        if (!tone->open() || tone->write(alarmToneWav()) < 0 || !tone->flush()) {
            qCWarning(lcAlarms).noquote() << "no sound left to ring with:" << tone->errorString();
            m_sound = Sound::None;
            return;
        }
        m_tone = std::move(tone);
    }
    play(m_tone->fileName(), false);
}

void AlarmInProgress::play(const QString &file, bool fadeIn)
{
    m_playing = file;
    m_playingFailed = false;
    m_chimePlaying = false; // an alarm's sound takes the player from the chime
    const bool repeat = m_sound != Sound::Playlist;
    m_bas.playfile(file, 0, false, fadeIn ? 1 : 0, repeat);
}

void AlarmInProgress::playFailed(const QString &file)
{
    if (!m_queue.inProgress() || file != m_playing)
        return;
    m_playingFailed = true;
    if (m_sound == Sound::BuiltIn) {
        tellDamaged(file);
        ++m_soundsGivenUp;
    } else if (m_sound == Sound::Tone) {
        qCWarning(lcAlarms) << "no sound left to ring with: the tone cannot be played either";
        m_sound = Sound::None;
    }
}

void AlarmInProgress::playerClosed()
{
    m_chimePlaying = false;
    if (!m_queue.inProgress() || m_sound == Sound::None)
        return;
    if (m_sound == Sound::Playlist && !m_playingFailed)
        m_itemPlayed = true;
    m_playingFailed = false;
    // Started from the event loop, not from inside the player's close. A
    // built-in sound that something else took the player from comes back.
    m_timer3.start();
}

void AlarmInProgress::tellDamaged(const QString &file)
{
    if (m_toldDamaged.contains(file))
        return;
    m_toldDamaged.insert(file);
    Q_EMIT notice(QStringLiteral("The built-in sound %1 is missing or cannot be played; the alarm "
                                 "rings with another sound. Installing the program again brings "
                                 "the sound back.")
                      .arg(QDir::toNativeSeparators(file)));
}

void AlarmInProgress::tellMissed(const QList<MissedAlarm> &missed)
{
    const QLocale locale;
    QStringList lines;
    for (const MissedAlarm &alarm : missed) {
        const QDate date = dateOfLocalSecond(alarm.localSecond);
        const QTime time = timeOfLocalSecond(alarm.localSecond);
        lines << QStringLiteral("%1 %2  %3")
                     .arg(locale.toString(date, QLocale::ShortFormat), time.toString(u"HH:mm:ss"),
                          m_bas.alarmSlots()[alarm.slot].message);
    }
    Q_EMIT notice((missed.size() == 1
                       ? QStringLiteral("This alarm was missed: it fell due while "
                                        "the computer could not ring it.\n")
                       : QStringLiteral("These alarms were missed: they fell due "
                                        "while the computer could not ring them.\n")) +
                  lines.join(u'\n'));
}

void AlarmInProgress::hourlyChime()
{
    // The settings follow the options dialog as it changes, so a change there
    // counts at once, OK or not. A chime still playing is not started again,
    // and a ringing alarm keeps the player.
    const Settings &settings = m_bas.settings();
    if (!settings.chimesOn || m_chimePlaying || m_queue.inProgress())
        return;
    m_chimePlaying = true;
    m_bas.playfile(settings.chimeFile, 0, false, 0, false);
}

void AlarmInProgress::checkFadeOut(const QDateTime &now)
{
    if (!m_queue.inProgress() || m_fadeRequested || m_sound == Sound::None)
        return;
    const AlarmRecord &alarm = m_bas.alarmSlots()[m_currentind];
    // A playlist fades out, also when it fell back to a built-in sound.
    if (alarm.fadeOut != 1 || alarm.playMedia != 1)
        return;
    // Counted on the hour's seconds, so a delay that runs across a full hour
    // counts right; reached, not hit exactly, so a late tick cannot skip it.
    const int elapsed = (secondOfHour(now) - m_fadestartsec + 3600) % 3600;
    if (elapsed < qint64(alarm.fadeMinutes) * 60)
        return;
    if (frmdshow *player = m_bas.player(); player && player->isLoaded()) {
        m_fadeRequested = true;
        player->fadeOut();
    }
}

void AlarmInProgress::fadedOut()
{
    if (!m_queue.inProgress())
        return;
    // The window stays with its alarm until answered; the next alarm may ring.
    m_sound = Sound::None;
    m_timer3.stop();
    finishAlarm();
}

void AlarmInProgress::alarmDeleted(int slot)
{
    m_queue.deleted(slot);
    if (slot == m_currentind) {
        // Its answer would land on whatever alarm moved into the slot.
        m_currentind = 0;
        if (m_window && m_window->isVisible())
            m_window->close();
    } else if (slot < m_currentind) {
        --m_currentind;
    }
}

void AlarmInProgress::snooze()
{
    if (m_currentind != 0)
        m_queue.snooze(m_currentind, m_bas.clock().now(), m_bas.alarmSlots());
    m_window->close();
}

void AlarmInProgress::answerOk()
{
    if (m_currentind != 0)
        m_bas.alarmSlots()[m_currentind].snoozed = false;
    m_window->close();
}

void AlarmInProgress::windowClosed()
{
    m_sound = Sound::None;
    m_items.clear();
    m_timer3.stop();
    if (frmdshow *player = m_bas.player())
        player->stop();
    if (m_holdingAwake) {
        m_holdingAwake = false;
        m_bas.sleepInhibitor().release();
    }
    finishAlarm();
}

void AlarmInProgress::finishAlarm()
{
    const std::optional<AlarmStart> next = m_queue.finish(m_bas.clock().now(), m_bas.alarmSlots());
    // A snooze just set, or one that waited for this alarm, now counts.
    m_bas.armWakeUp();
    if (next)
        startalm(*next);
}
