#include "app/commandline.h"

namespace {

// Qt's own options, which QApplication takes from the same arguments.
const QStringList kQtOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("display"),         QStringLiteral("session"),
    QStringLiteral("style"),           QStringLiteral("stylesheet"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowtitle"),
    QStringLiteral("qwindowicon"),     QStringLiteral("geometry"),
    QStringLiteral("title"),           QStringLiteral("name")};
const QStringList kQtFlags = {QStringLiteral("reverse"), QStringLiteral("nograb"),
                              QStringLiteral("dograb"), QStringLiteral("sync"),
                              QStringLiteral("widgetcount")};

} // namespace

CommandLineAction commandLineAction(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--version"))
            return CommandLineAction::PrintVersion;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return CommandLineAction::PrintHelp;
        if (!argument.startsWith(QLatin1Char('-')))
            return CommandLineAction::UsageError;
        // Qt takes its options with one dash or two.
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        if (kQtOptionsWithValue.contains(name) && i + 1 < arguments.size())
            ++i;
        else if (!kQtFlags.contains(name))
            return CommandLineAction::UsageError;
    }
    return CommandLineAction::Run;
}

QString commandLineUsage()
{
    return QStringLiteral(
        "Usage: tockaro [--version | --help]\n"
        "The desktop alarm clock. It keeps its settings (conf), its alarms (als) and\n"
        "its sounds (Sounds/) in the folder it is installed in.\n"
        "\n"
        "  --version   print the version and exit\n"
        "  --help, -h  print this help and exit\n"
        "\n"
        "Qt's own options (-platform NAME, -display NAME, ...) are passed on to Qt.\n");
}
