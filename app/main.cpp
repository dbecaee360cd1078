#include "app/bigcform.h"
#include "app/clockbas.h"
#include "app/commandline.h"
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

namespace {

// Answers --version, --help and wrong arguments before Qt looks for a display,
// so they work where there is none. -1 when the program should run.
int answerCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    switch (commandLineAction(arguments)) {
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
    }
    return 2;
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

    QApplication app(argc, argv);
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
    ClockBas bas({clock, ticks, dialogs, programEnd, instanceGuard, programFolder,
                  trayWatch.available(), mediaEngines, powerOff, wake, sleepInhibitor,
                  trayWatch.statusNotifierHost(), digitPainter.get()});

    // Wired before start-up, whose message boxes may be open when they come.
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::endRequested, &app, [&bas, &programEnd] {
        if (BigCForm *form = bas.form())
            form->endOnRequest();
        else
            programEnd.endProgram();
    });
    QObject::connect(&trayWatch, &TrayWatch::availabilityChanged, &app, [&bas](bool available) {
        if (BigCForm *form = bas.form())
            form->setTrayAvailable(available);
    });
#ifndef QT_NO_SESSIONMANAGER
    // The autostart entry starts the program with the session; a session that
    // restored it as well would start a second copy.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager &session) {
        session.setRestartHint(QSessionManager::RestartNever);
    });
#endif

    if (!bas.startprogram() || programEnd.ended())
        return 0;
    ShowRequests showRequests(programFolder);
    QObject::connect(&showRequests, &ShowRequests::showRequested, bas.form(),
                     &BigCForm::showOnRequest);
    return QApplication::exec();
}
