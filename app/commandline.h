#pragma once

#include "base/remoterequest.h"

#include <QString>
#include <QStringList>

// What the program was asked to do by its arguments.
enum class CommandLineAction {
    Run,
    PrintVersion,
    PrintHelp,
    UsageError,
    Ask, // ask the running copy, and end
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::Run;
    // What to ask the running copy, for Ask.
    RemoteAction request = RemoteAction::Show;

    friend bool operator==(const CommandLine &, const CommandLine &) = default;
};

// Reads the program's arguments (without the program name). Qt's own options,
// such as -platform NAME or -display NAME, are left for Qt; everything else
// that is not --version, --help or one action is an error.
CommandLine readCommandLine(const QStringList &arguments);

// The help text, for standard output after --help and standard error after a
// usage error.
QString commandLineUsage();

// What an action prints, on standard output and standard error, and the exit
// status, from how asking the running copy went.
struct AskReport {
    int status = 1;
    QString out = {};
    QString err = {};

    friend bool operator==(const AskReport &, const AskReport &) = default;
};
AskReport askReport(RemoteAction action, const AskResult &result);
