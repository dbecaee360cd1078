#include "platform/systempoweroff.h"

#include <QProcess>
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
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached())
        return Result::failure(
            QStringLiteral("%1 could not be started: %2").arg(program, process.errorString()));
    return Result::success();
}
