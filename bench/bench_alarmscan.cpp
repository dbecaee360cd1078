// Times the alarm scan with all 300 slots in use: the tick of every second
// (also with ten alarms waiting their turn behind a ringing one), a tick ten
// minutes late, and the tick that crosses the hour skipped when daylight saving
// starts. Nothing falls due, so every slot is fully compared. Then the next
// wake-up worked out over the same table.
// Prints the median and the fastest of many rounds; asserts nothing.

#include "alarmengine/alarmqueue.h"
#include "alarmengine/nextdue.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

AlarmRecord sampleAlarm(int k)
{
    AlarmRecord r;
    r.frequency = static_cast<qint16>(k % 6);
    // Seconds 1 to 59: the ticks below all fall on second 0.
    r.timeText = k % 2 ? QStringLiteral("%1:%2:%3 PM").arg(k % 12 + 1, 2, 10, QChar(u'0'))
                       : QStringLiteral("%1:%2:%3").arg(k % 24, 2, 10, QChar(u'0'));
    r.timeText = r.timeText.arg(k % 60, 2, 10, QChar(u'0')).arg(k % 59 + 1, 2, 10, QChar(u'0'));
    r.alarmDate = QDate(2026, 1, 1).addDays(k);
    r.dayFlags = QStringLiteral("0111110");
    r.snoozeMinutes = QStringLiteral("15");
    return r;
}

void report(const char *what, int rounds, const std::function<void()> &run)
{
    std::vector<double> us;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        run();
        us.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e3);
    }
    std::sort(us.begin(), us.end());
    std::printf("%-44s median %9.1f us   fastest %9.1f us   (%d rounds)\n", what, us[us.size() / 2],
                us.front(), rounds);
}

} // namespace

int main()
{
    const QTimeZone berlin("Europe/Berlin");
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    AlarmSlots alarms;
    for (int slot = 1; slot <= kMaxAlarms; ++slot)
        alarms[slot] = sampleAlarm(slot);
    const auto at = [&berlin](const char *text) {
        return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toTimeZone(berlin);
    };

    const QDateTime day = at("2026-12-07T07:30:00+01:00");
    report("tick each second, 300 alarms", 2000, [&] {
        AlarmQueue queue(locale);
        queue.tick(day, alarms, kMaxAlarms, 0);
    });
    // Ten alarms due at 07:29:50 wait behind the first: the tick after still
    // scans every slot and passes the queue.
    AlarmSlots waiting = alarms;
    for (int slot = 1; slot <= 11; ++slot)
        waiting[slot].timeText = QStringLiteral("07:29:50"), waiting[slot].frequency = 2;
    AlarmQueue busy(locale);
    busy.tick(day.addSecs(-11), waiting, kMaxAlarms, 0);
    busy.tick(day.addSecs(-10), waiting, kMaxAlarms, 0);
    const int ringing = busy.takeNext(day.addSecs(-10))->slot;
    qint64 second = 0;
    report("tick each second, 300 alarms, 10 waiting", 2000,
           [&] { busy.tick(day.addSecs(++second), waiting, kMaxAlarms, ringing); });
    report("tick 10 minutes late, 300 alarms", 50, [&] {
        AlarmQueue queue(locale);
        queue.tick(day.addSecs(-kCatchUpSeconds), alarms, kMaxAlarms, 0);
        queue.tick(day, alarms, kMaxAlarms, 0);
    });
    const QDateTime before = at("2026-03-29T01:59:59+01:00");
    const QDateTime after = at("2026-03-29T03:00:00+02:00");
    report("tick across the skipped hour, 300 alarms", 20, [&] {
        AlarmQueue queue(locale);
        queue.tick(before, alarms, kMaxAlarms, 0);
        queue.tick(after, alarms, kMaxAlarms, 0);
    });
    // Every alarm snoozed too, and the earliest in the skipped hour: each
    // slot is worked out both ways, and the one instant found across the jump.
    AlarmMarksTable snoozed{};
    for (int slot = 1; slot <= kMaxAlarms; ++slot)
        snoozed[slot].snoozeUntil = day.toSecsSinceEpoch() + 60 * slot;
    const AlarmMarksTable none{};
    std::optional<NextDue> due;
    report("next wake-up, 300 alarms", 2000,
           [&] { due = nextWakeUp(alarms, kMaxAlarms, none, day, locale); });
    report("next wake-up, 300 alarms, all snoozed", 2000,
           [&] { due = nextWakeUp(alarms, kMaxAlarms, snoozed, day, locale); });
    report("next wake-up across the skipped hour", 2000,
           [&] { due = nextWakeUp(alarms, kMaxAlarms, none, before, locale); });
    return due ? 0 : 1;
}
