#pragma once

#include <QString>
#include <QStringList>

// What the program was asked to do by its arguments.
enum class CommandLineAction { Run, PrintVersion, PrintHelp, UsageError };

// Reads the program's arguments (without the program name). Qt's own options,
// such as -platform NAME or -display NAME, are left for Qt; everything else
// that is not --version or --help is an error.
CommandLineAction commandLineAction(const QStringList &arguments);

// The help text, for standard output after --help and standard error after a
// usage error.
QString commandLineUsage();
