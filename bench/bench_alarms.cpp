// Times the alarm file with a full table of 300 alarms: start-up's load and
// list, and the save that Delete and the editor do. Prints the median and the
// fastest of many rounds; asserts nothing.

#include "alarms/alarmtable.h"
#include "alarms/frmalarms.h"
#include "app/clockbas.h"
#include "platform/files.h"
#include "platform/qtdialogs.h"
#include "platform/systemclock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRounds = 200;

AlarmRecord sampleAlarm(int k)
{
    AlarmRecord r;
    r.message = QStringLiteral("Alarm number %1: take the medicine, water the plants").arg(k);
    r.frequency = static_cast<qint16>(k % 6);
    r.timeText =
        QStringLiteral("%1:%2:00").arg(k % 24, 2, 10, QChar(u'0')).arg(k % 60, 2, 10, QChar(u'0'));
    r.alarmDate = QDate(2026, 1, 1).addDays(k);
    r.dayFlags = QStringLiteral("0111110");
    if (k % 2)
        r.playlist = QStringLiteral("/home/user/Music/Morning/track %1.mp3[2*2]"
                                    "/home/user/Music/Morning/second track.wma[2*2]"
                                    "/home/user/Videos/sunrise.avi[2*2]")
                         .arg(k);
    r.fadeIn = 1;
    r.fadeMinutes = 30;
    r.snoozeMinutes = QStringLiteral("15");
    r.playMedia = static_cast<qint16>(k % 2);
    r.soundIndex = static_cast<qint16>(k % 10);
    return r;
}

void report(const char *what, const std::function<void()> &run)
{
    std::vector<double> ms;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %7.3f ms   fastest %7.3f ms   (%d rounds)\n", what, ms[ms.size() / 2],
                ms.front(), kRounds);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    SystemClock clock;
    QtDialogs dialogs;
    ClockBas bas(folder.path(), clock, dialogs);
    AlarmSlots alarms{};
    for (int slot = 1; slot <= kMaxAlarms; ++slot)
        alarms[slot] = sampleAlarm(slot);
    const QLocale locale;
    const QByteArray bytes = alarmFileBytes(alarms, kMaxAlarms, locale);
    if (!saveFileAtomically(bas.files().alarmFilePath, bytes).ok())
        return 1;
    std::printf("als with %d alarms: %lld bytes\n", kMaxAlarms,
                static_cast<long long>(bytes.size()));
    bas.loadalarms();
    frmalarms list(bas, dialogs, clock, bas.dialogSettings());

    report("read 300 lines (no file, no list)", [&] { readAlarmLines(bytes, locale, 2026); });
    report("write 300 lines (no file)",
           [&] { alarmFileBytes(bas.alarms(), bas.alarmCount(), locale); });
    report("loadalarms + listalarms (start-up)", [&] {
        bas.loadalarms();
        list.listalarms();
    });
    report("savealarms (atomic file replace)", [&] { bas.savealarms(); });
    return 0;
}
