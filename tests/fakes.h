#pragma once

// Stand-ins for the world at the seams: a set clock, hand ticks, recorders of what was asked.

#include "alarms/alarmrecord.h"
#include "base/clock.h"
#include "base/dialogs.h"
#include "base/poweroff.h"
#include "base/programend.h"
#include "base/sleepinhibitor.h"
#include "base/ticksource.h"
#include "base/waketimer.h"

#include <QStringList>

#include <algorithm>
#include <optional>

// Set forward, both clocks move; set back or jump(), the wall clock alone.
struct FakeClock final : Clock {
    QDateTime now() const override { return at; }
    SteadyTime steadyNow() const override { return steady; }
    void set(QTime time, QDate date = QDate(2026, 12, 7)) { setAt(QDateTime(date, time)); }
    void setAt(const QDateTime &moment)
    {
        steady.ms += std::max<qint64>(0, at.msecsTo(moment));
        at = moment;
    }
    void jump(qint64 seconds) { at = at.addSecs(seconds); }

    QDateTime at = QDateTime(QDate(2026, 12, 7), QTime(6, 59, 55));
    SteadyTime steady{"boot", 1'000'000};
};

struct ManualTicks final : TickSource {
    void start() override {}
    void stop() override {}
    void skipUntil(qint64 utcSecond) override { skippingUntil = utcSecond; }
    void resumeEverySecond() override { skippingUntil.reset(); }
    void fire() { Q_EMIT tick(); }

    std::optional<qint64> skippingUntil; // none: a tick every second
};

// Message boxes are answered at once; a file dialog gives the next queued answer.
struct RecordingDialogs final : Dialogs {
    void messg(const QString &text) override { messages.append(text); }
    void notice(const QString &text) override { notices.append(text); }
    QString openFileName(QWidget *, const QString &filter) override
    {
        fileFilters.append(filter);
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
    QStringList messages, notices, fileAnswers, fileFilters;
};

struct RecordingEnd final : ProgramEnd, PowerOff {
    void endProgram() override { ++requests; }
    Result powerOff() override
    {
        ++powerOffs;
        return powerOffError.isEmpty() ? Result::success() : Result::failure(powerOffError);
    }
    int requests = 0, powerOffs = 0;
    QString powerOffError;
};

// Each arming as local "d hh:mm:ss", empty to disarm; its signals are emitted by hand.
struct RecordingWake final : WakeTimer {
    void arm(const QDateTime &at) override { armings << at.toLocalTime().toString(u"d hh:mm:ss"); }
    QStringList armings;
};

struct RecordingInhibitor final : SleepInhibitor {
    void take() override { events << QStringLiteral("take"); }
    void release() override { events << QStringLiteral("release"); }
    QStringList events;
};

// A daily alarm with a built-in sound (Moo) and a 5-minute snooze.
inline AlarmRecord dailyAlarm(const QString &message, const QString &timeText)
{
    AlarmRecord alarm;
    alarm.message = message;
    alarm.frequency = AlarmFrequency::Daily;
    alarm.timeText = timeText;
    alarm.alarmDate = QDate(2026, 11, 30);
    alarm.snoozeMinutes = QStringLiteral("5");
    alarm.soundIndex = 7;
    return alarm;
}
