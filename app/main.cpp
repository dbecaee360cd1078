#include "app/commandline.h"
#include "app/program.h"
#include "base/logging.h"
#include "platform/desktopnotifications.h"
#include "platform/endsignals.h"
#include "platform/eventloopend.h"
#include "platform/folderlock.h"
#include "platform/mediamodule.h"
#include "platform/privilegedstart.h"
#include "platform/qtdialogs.h"
#include "platform/secondticker.h"
#include "platform/showrequests.h"
#include "platform/systemclock.h"
#include "platform/systempoweroff.h"
#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"
#include "platform/traywatch.h"
#include "platform/xcbdigitpainter.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// A Windows program with windows has no console of its own: what it answers
// goes to the console it was started from, unless it is redirected.
void answerToStartersConsole()
{
#ifdef Q_OS_WIN
    const auto given = [](DWORD which) {
        const HANDLE handle = ::GetStdHandle(which);
        return handle && handle != INVALID_HANDLE_VALUE;
    };
    const bool out = given(STD_OUTPUT_HANDLE);
    const bool err = given(STD_ERROR_HANDLE);
    if ((out && err) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        std::freopen("CONOUT$", "w", stdout);
    if (!err)
        std::freopen("CONOUT$", "w", stderr);
#endif
}

// Answers --version, --help, the actions for the running copy and wrong
// arguments before Qt looks for a display, so they work where there is none
// (a keyboard shortcut of the desktop, a terminal, a script). -1 when the
// program should run.
int answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = readCommandLine(arguments);
    if (commandLine.action == CommandLineAction::Run)
        return -1;
    answerToStartersConsole();
    switch (commandLine.action) {
    case CommandLineAction::Run:
        return -1;
    case CommandLineAction::PrintVersion:
        std::fputs("Tockaro " TOCKARO_VERSION "\n", stdout);
        return 0;
    case CommandLineAction::PrintHelp:
        std::fputs(qPrintable(commandLineUsage()), stdout);
        return 0;
    case CommandLineAction::UsageError:
        std::fputs(qPrintable(commandLineUsage()), stderr);
        return 2;
    case CommandLineAction::Ask: {
        // A core application, for the program's folder: no window system is reached.
        const QCoreApplication core(argc, argv);
        const AskReport report =
            askReport(commandLine.request,
                      askRunningCopy(QCoreApplication::applicationDirPath(), commandLine.request));
        std::fputs(report.out.toLocal8Bit().constData(), stdout);
        std::fputs(report.err.toLocal8Bit().constData(), stderr);
        return report.status;
    }
    }
    return 2;
}

// Whether the user named a platform for Qt: in the environment or with Qt's
// own option, which it takes with one dash or two.
bool platformChosen(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

// A Wayland compositor lets no window keep itself above the others or choose
// its place, and Qt takes native Wayland wherever its plugin is installed.
// Through Xwayland the clock stays on top and stands where it is put; native
// Wayland remains for a session without Xwayland, where the compositor moves
// the dragged clock.
void preferXwayland(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY") && !platformChosen(argc, argv))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace

int main(int argc, char *argv[])
{
    // Before Qt or anything else reads them.
    argc = dropPluginLoadingWhenPrivileged(argc, argv);
    if (const int answered = answerCommandLine(argc, argv); answered >= 0)
        return answered;

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Qt Multimedia's other backend crashes where there is no audio device.
    // Only here: elsewhere Qt's one backend is the platform's own, and naming
    // one that is not there would end the program at its first sound.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
#endif

    // The clock repaints one small digit a second. Through shared memory each
    // repaint would wait for the X server, waking the program twice more.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");

    preferXwayland(argc, argv);
    QApplication app(argc, argv);
    qCInfo(lcClock).noquote() << "platform:" << QGuiApplication::platformName();
    QApplication::setApplicationName(QStringLiteral("Tockaro"));
    // The program lives in the tray; hiding the clock must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString programFolder = QCoreApplication::applicationDirPath();
    SystemClock clock;
    SecondTicker ticks;
    QtDialogs dialogs;
    EventLoopEnd programEnd;
    FolderLockGuard instanceGuard(programFolder);
    ModuleMediaEngineFactory mediaEngines(
        ModuleMediaEngineFactory::modulePath(programFolder),
        ModuleMediaEngineFactory::soundProgramPath(programFolder));
    SystemPowerOff powerOff;
    SystemWakeTimer wake;
    SystemSleepInhibitor sleepInhibitor;
    TrayWatch trayWatch;
    const std::unique_ptr<DigitPainter> digitPainter = makeXcbDigitPainter();
    DesktopNotifications notifications;
    Program program({clock,
                     ticks,
                     dialogs,
                     programEnd,
                     instanceGuard,
                     programFolder,
                     trayWatch.available(),
                     mediaEngines,
                     powerOff,
                     wake,
                     sleepInhibitor,
                     trayWatch.statusNotifierHost(),
                     digitPainter.get(),
                     {},
                     &notifications});

    // Wired before start-up, whose message boxes may be open when they come.
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::endRequested, &app,
                     [&program] { program.endOnRequest(); });
    QObject::connect(&trayWatch, &TrayWatch::availabilityChanged, &app,
                     [&program](bool available) { program.setTrayAvailable(available); });
#ifndef QT_NO_SESSIONMANAGER
    // The autostart entry starts the program with the session; a session that
    // restored it as well would start a second copy.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager &session) {
        session.setRestartHint(QSessionManager::RestartNever);
    });
#endif

    if (!program.startprogram() || programEnd.ended())
        return 0;
    const ShowRequests requests(
        programFolder, [&program](RemoteAction action) { return program.answerRequest(action); });
    return QApplication::exec();
}
