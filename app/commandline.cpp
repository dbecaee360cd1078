#include "app/commandline.h"

#include <algorithm>
#include <array>
#include <utility>

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

// Each action's option, and what a message says it would have done.
struct ActionWords {
    RemoteAction action;
    QLatin1String option;
    QLatin1String doing;
};
const std::array<ActionWords, 5> kActions{{
    {RemoteAction::Show, QLatin1String("--show"), QLatin1String("show its clock")},
    {RemoteAction::Snooze, QLatin1String("--snooze"), QLatin1String("snooze an alarm")},
    {RemoteAction::Stop, QLatin1String("--stop"), QLatin1String("stop an alarm")},
    {RemoteAction::Next, QLatin1String("--next"), QLatin1String("tell the next alarm")},
    {RemoteAction::List, QLatin1String("--list"), QLatin1String("list the alarms")},
}};

const ActionWords &wordsOf(RemoteAction action)
{
    for (const ActionWords &words : kActions) {
        if (words.action == action)
            return words;
    }
    return kActions.front();
}

} // namespace

CommandLine readCommandLine(const QStringList &arguments)
{
    CommandLine read;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--version"))
            return {CommandLineAction::PrintVersion};
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return {CommandLineAction::PrintHelp};
        if (!argument.startsWith(QLatin1Char('-')))
            return {CommandLineAction::UsageError};
        const auto action =
            std::find_if(kActions.begin(), kActions.end(),
                         [&](const ActionWords &w) { return w.option == argument; });
        if (action != kActions.end()) {
            // One action a start: two would be answered in an order nobody chose.
            if (read.action == CommandLineAction::Ask && read.request != action->action)
                return {CommandLineAction::UsageError};
            read = {CommandLineAction::Ask, action->action};
            continue;
        }
        // Qt takes its options with one dash or two.
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        if (kQtOptionsWithValue.contains(name) && i + 1 < arguments.size())
            ++i;
        else if (!kQtFlags.contains(name))
            return {CommandLineAction::UsageError};
    }
    return read;
}

QString commandLineUsage()
{
    return QStringLiteral(
        "Usage: tockaro [--version | --help | --show | --snooze | --stop | --next | --list]\n"
        "The desktop alarm clock. It keeps its settings (conf), its alarms (als) and\n"
        "its sounds (Sounds/) in the folder it is installed in.\n"
        "\n"
        "  --version   print the version and exit\n"
        "  --help, -h  print this help and exit\n"
        "\n"
        "These ask the copy that runs from the same folder, for the same user:\n"
        "  --show      show its clock\n"
        "  --snooze    snooze the ringing alarm, as its Snooze button\n"
        "  --stop      stop the ringing alarm, as its OK button\n"
        "  --next      print the next alarm: its date, time and message\n"
        "  --list      print the alarms, one a line: slot, frequency, time, next due\n"
        "              moment and message, tab apart\n"
        "They exit with 0 when done, 1 when no copy runs or nothing rings, and\n"
        "2 for a wrong argument.\n"
        "\n"
        "Qt's own options (-platform NAME, -display NAME, ...) are passed on to Qt.\n");
}

AskReport askReport(RemoteAction action, const AskResult &result)
{
    const QString doing = wordsOf(action).doing;
    switch (result.outcome) {
    case AskOutcome::Answered:
        if (result.reply.done) {
            QString out = result.reply.text;
            if (!out.isEmpty() && !out.endsWith(u'\n'))
                out += u'\n';
            return {0, out, {}};
        }
        return {1,
                {},
                QStringLiteral("Tockaro: nothing rings, so there is no alarm to %1.\n")
                    .arg(action == RemoteAction::Snooze ? QStringLiteral("snooze")
                                                        : QStringLiteral("stop"))};
    case AskOutcome::NotRunning:
        return {1,
                {},
                QStringLiteral("Tockaro is not running from this folder, so it cannot %1.\n")
                    .arg(doing)};
    case AskOutcome::OtherUser:
        return {1,
                {},
                QStringLiteral("Tockaro: %1 is another user's: it was not asked to %2.\n")
                    .arg(result.detail, doing)};
    case AskOutcome::NoAnswer:
        break;
    }
    return {1,
            {},
            QStringLiteral("Tockaro runs, but did not answer within a second, so it may not %1: it "
                           "is busy with another request, or stopped. Try again.\n")
                .arg(doing)};
}
