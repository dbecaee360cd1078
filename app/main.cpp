#include "app/clockbas.h"
#include "platform/eventloopend.h"
#include "platform/folderlock.h"
#include "platform/mediamodule.h"
#include "platform/qtdialogs.h"
#include "platform/secondticker.h"
#include "platform/systemclock.h"
#include "platform/systempoweroff.h"
#include "platform/systemsleepinhibitor.h"
#include "platform/systemwaketimer.h"

#include <QApplication>
#include <QSystemTrayIcon>

int main(int argc, char *argv[])
{
    // Qt Multimedia's other backend crashes where there is no audio device.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");

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
    ModuleMediaEngineFactory mediaEngines(ModuleMediaEngineFactory::modulePath(programFolder));
    SystemPowerOff powerOff;
    SystemWakeTimer wake;
    SystemSleepInhibitor sleepInhibitor;
    ClockBas bas({clock, ticks, dialogs, programEnd, instanceGuard, programFolder,
                  QSystemTrayIcon::isSystemTrayAvailable(), mediaEngines, powerOff, wake,
                  sleepInhibitor});

    if (!bas.startprogram() || programEnd.ended())
        return 0;
    return QApplication::exec();
}
