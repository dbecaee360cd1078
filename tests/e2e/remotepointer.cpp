// Moves and presses the pointer of a GNOME session through mutter's remote
// desktop service, as a mouse would, for windows that no X tool reaches: the
// native Wayland ones. The service ends its session with the program that made
// it, so one run does every step.
//
// usage: remotepointer STEP...
//   to X Y     the pointer to X, Y of the screen
//   by DX DY   the pointer by DX, DY
//   press      the left button down
//   release    the left button up
//   wait MS    a pause, for the compositor to follow

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QThread>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
constexpr int kLeftButton = 0x110; // BTN_LEFT of the kernel's input codes

bool succeeded(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "remotepointer: %s\n", qPrintable(reply.errorMessage()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QDBusInterface desktop(kService, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                           QStringLiteral("org.gnome.Mutter.RemoteDesktop"));
    const QDBusReply<QDBusObjectPath> made = desktop.call(QStringLiteral("CreateSession"));
    if (!made.isValid()) {
        std::fprintf(stderr, "remotepointer: %s\n", qPrintable(made.error().message()));
        return 1;
    }
    QDBusInterface session(kService, made.value().path(),
                           QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"));
    if (!succeeded(session.call(QStringLiteral("Start"))))
        return 1;
    const auto move = [&session](double dx, double dy) {
        return succeeded(session.call(QStringLiteral("NotifyPointerMotionRelative"), dx, dy));
    };
    const QStringList steps = app.arguments().mid(1);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString &step = steps.at(i);
        bool ok = true;
        if (step == QLatin1String("to") && i + 2 < steps.size()) {
            // Moves are relative only (absolute ones need a screen cast): the
            // pointer goes to the top left corner, where the screen stops it, first.
            ok = move(-100000, -100000) &&
                 move(steps.at(i + 1).toDouble(), steps.at(i + 2).toDouble());
            i += 2;
        } else if (step == QLatin1String("by") && i + 2 < steps.size()) {
            ok = move(steps.at(i + 1).toDouble(), steps.at(i + 2).toDouble());
            i += 2;
        } else if (step == QLatin1String("press") || step == QLatin1String("release")) {
            ok = succeeded(session.call(QStringLiteral("NotifyPointerButton"), kLeftButton,
                                        step == QLatin1String("press")));
        } else if (step == QLatin1String("wait") && i + 1 < steps.size()) {
            QThread::msleep(steps.at(++i).toULong());
        } else {
            std::fprintf(stderr, "remotepointer: cannot do \"%s\"\n", qPrintable(step));
            return 2;
        }
        if (!ok)
            return 1;
    }
    return succeeded(session.call(QStringLiteral("Stop"))) ? 0 : 1;
}
