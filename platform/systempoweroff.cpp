#include "platform/systempoweroff.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

Result SystemPowerOff::powerOff()
{
#ifdef Q_OS_WIN
    const QString program = QStringLiteral("shutdown");
    const QStringList arguments = {QStringLiteral("/s"), QStringLiteral("/t"), QStringLiteral("0")};
#else
    const QString program = QStringLiteral("systemctl");
    const QStringList arguments = {QStringLiteral("poweroff")};
#endif
    // Looked up on PATH here, on every platform: Windows would otherwise look in
    // the program's folder and the current folder first, where anybody could
    // have put a program of that name.
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return Result::failure(
            QStringLiteral("%1 could not be started: it is not on PATH").arg(program));
    QProcess process;
    process.setProgram(found);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached())
        return Result::failure(
            QStringLiteral("%1 could not be started: %2").arg(program, process.errorString()));
    return Result::success();
}
