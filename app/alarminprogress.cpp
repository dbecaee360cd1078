#include "app/alarminprogress.h"

#include "alarms/alarmrecord.h"
#include "app/bigcformstate.h"
#include "app/clockbas.h"
#include "base/clock.h"
#include "base/logging.h"
#include "base/poweroff.h"
#include "base/sleepinhibitor.h"
#include "playback/alarmwind.h"
#include "playback/frmdshow.h"
#include "playback/playlisttext.h"

#include <QDateTime>
#include <QLocale>

namespace {

int secondOfHour(const QDateTime &time)
{
    return time.time().minute() * 60 + time.time().second();
}

} // namespace

AlarmInProgress::AlarmInProgress(ClockBas &bas, BigCFormState &state, QObject *parent)
    : QObject(parent), m_bas(bas), m_state(state)
{
    // The sound starts as soon as the window is up, not half a second later:
    // nothing needs the wait, and an alarm should sound at its second.
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setSingleShot(true);
    m_timer3.setInterval(0);
    connect(&m_timer3, &QTimer::timeout, this, &AlarmInProgress::Timer3_Timer);
}

AlarmInProgress::~AlarmInProgress() = default;

void AlarmInProgress::startalm(int slot)
{
    m_state.alarmwin = true;
    m_state.currentind = slot;
    AlarmRecord &alarm = m_bas.alarmSlots()[slot];
    alarm.snoozed = false;
    showalarmwindow(slot);
    m_state.fadeoutabled = alarm.fadeOut == 1;
    if (m_state.fadeoutabled)
        m_fadestartsec = secondOfHour(m_bas.clock().now());
    m_fadeRequested = false;
    m_items.clear();
    m_playingList = false;
    m_timer3.start();
    qCInfo(lcAlarms).noquote() << "alarm started:" << alarm.message;
    m_bas.sleepInhibitor().take();
    m_bas.armWakeUp();
    if (alarm.sleepFlag == 1) {
        if (const Result off = m_bas.powerOff().powerOff(); !off.ok())
            m_bas.messg(
                QStringLiteral("The computer could not be turned off:\n%1").arg(off.error()));
    }
}

void AlarmInProgress::showalarmwindow(int slot)
{
    if (!m_window) {
        m_window = std::make_unique<alarmwind>();
        connect(m_window.get(), &alarmwind::snoozeClicked, this, &AlarmInProgress::snooze);
        connect(m_window.get(), &alarmwind::okClicked, this, &AlarmInProgress::answerOk);
        connect(m_window.get(), &alarmwind::closed, this, &AlarmInProgress::windowClosed);
    }
    const AlarmRecord &alarm = m_bas.alarmSlots()[slot];
    m_window->showAlarm(alarm.timeText, alarmDateText(alarm.alarmDate, QLocale()), alarm.message);
}

void AlarmInProgress::Timer3_Timer()
{
    if (!m_state.alarmwin)
        return;
    const AlarmRecord &alarm = m_bas.alarmSlots()[m_state.currentind];
    if (alarm.playMedia != 1) {
        // A damaged installation ends the program here, as at start-up.
        if (!m_bas.loadsoundlist())
            return;
        const QString sound = m_bas.files().soundfiles.value(alarm.soundIndex);
        m_bas.playfile(sound, 0, false, 0, true);
        return;
    }
    if (!m_playingList) {
        m_playingList = true;
        m_items = splitPlaylist(alarm.playlist);
    }
    if (m_items.isEmpty()) {
        m_playingList = false;
        return;
    }
    m_state.alaringnow = true;
    m_bas.playfile(m_items.takeFirst(), 0, false, alarm.fadeIn, false);
}

void AlarmInProgress::playerClosed()
{
    // Started from the event loop, not from inside the player's close.
    if (m_playingList)
        m_timer3.start();
}

void AlarmInProgress::checkFadeOut(const QDateTime &now)
{
    if (!m_state.alarmwin || !m_state.fadeoutabled || !m_playingList || m_fadeRequested)
        return;
    const AlarmRecord &alarm = m_bas.alarmSlots()[m_state.currentind];
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

void AlarmInProgress::alarmDeleted(int slot)
{
    if (slot == m_state.currentind) {
        // Its answer would land on whatever alarm moved into the slot.
        m_state.currentind = 0;
        if (m_window && m_window->isVisible())
            m_window->close();
    } else if (slot < m_state.currentind) {
        --m_state.currentind;
    }
}

void AlarmInProgress::snooze()
{
    m_bas.alarmSlots()[m_state.currentind].snoozed = true;
    m_state.snnhin = m_bas.clock().now().time().minute();
    m_window->close();
}

void AlarmInProgress::answerOk()
{
    m_bas.alarmSlots()[m_state.currentind].snoozed = false;
    m_window->close();
}

void AlarmInProgress::windowClosed()
{
    m_state.alarmwin = false;
    m_playingList = false;
    m_items.clear();
    if (frmdshow *player = m_bas.player(); player && player->isLoaded())
        player->close();
    m_bas.sleepInhibitor().release();
    // A snooze just set, or one that waited for this alarm, now counts.
    m_bas.armWakeUp();
}
