// The clock with a built-in sound repeating hidden and no alarm: what the
// sound costs without the alarm around it. Set up as the program sets itself
// up, so that what the alarm bench measures beyond it is the alarm's own share.
//
// usage: soundloop PROGRAM_FOLDER [SOUND]   (SOUND default Sounds/bells.wav)

#include "app/program.h"
#include "base/poweroff.h"
#include "platform/eventloopend.h"
#include "platform/folderlock.h"
#include "platform/mediamodule.h"
#include "platform/qtdialogs.h"
#include "platform/secondticker.h"
#include "platform/systemclock.h"
#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"

#include <QApplication>
#include <QDir>
#include <QSystemTrayIcon>

#include <cstdio>

namespace {

// A benchmark never turns the machine off.
class NoPowerOff final : public PowerOff {
public:
    Result powerOff() override { return Result::failure(QStringLiteral("not in a benchmark")); }
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER [SOUND]\n", argv[0]);
        return 2;
    }
    // The same environment the program gives itself.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tockaro"));
    QApplication::setQuitOnLastWindowClosed(false);

    const QString programFolder = QString::fromLocal8Bit(argv[1]);
    const QString sound = argc > 2
                              ? QString::fromLocal8Bit(argv[2])
                              : QDir(programFolder).filePath(QStringLiteral("Sounds/bells.wav"));
    SystemClock clock;
    SecondTicker ticks;
    QtDialogs dialogs;
    EventLoopEnd programEnd;
    FolderLockGuard instanceGuard(programFolder);
    ModuleMediaEngineFactory mediaEngines(
        ModuleMediaEngineFactory::modulePath(programFolder),
        ModuleMediaEngineFactory::soundProgramPath(programFolder));
    NoPowerOff powerOff;
    SystemWakeTimer wake;
    SystemSleepInhibitor sleepInhibitor;
    Program program({clock, ticks, dialogs, programEnd, instanceGuard, programFolder,
                     QSystemTrayIcon::isSystemTrayAvailable(), mediaEngines, powerOff, wake,
                     sleepInhibitor});
    if (!program.startprogram() || programEnd.ended())
        return 1;
    program.sound().play(PlayRequest{.file = sound, .repeat = true});
    return QApplication::exec();
}
