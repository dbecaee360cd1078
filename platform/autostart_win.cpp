#include "platform/autostart.h"

#include "platform/folderlock.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// The programs Windows starts when the user logs on, for this user only.
const QString kRunKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

QString valueName(const QString &programFolder)
{
    return QStringLiteral("Tockaro-") + programFolderKey(programFolder);
}

} // namespace

AutostartEntry::AutostartEntry(const QString &programFolder)
    : m_programFolder(QFileInfo(programFolder).absoluteFilePath()),
      m_path(kRunKey + QLatin1Char('\\') + valueName(programFolder))
{}

bool AutostartEntry::exists() const
{
    return QSettings(kRunKey, QSettings::NativeFormat).contains(valueName(m_programFolder));
}

Result AutostartEntry::set(bool on) const
{
    QSettings run(kRunKey, QSettings::NativeFormat);
    if (on) {
        // Quoted, so that a folder with a space in its name is one program.
        const QString program =
            QDir::toNativeSeparators(m_programFolder + QStringLiteral("/tockaro.exe"));
        run.setValue(valueName(m_programFolder), QString(u'"' + program + u'"'));
    } else {
        run.remove(valueName(m_programFolder));
    }
    run.sync();
    if (run.status() != QSettings::NoError)
        return Result::failure(QStringLiteral("the registry could not be written"));
    return Result::success();
}
