#include "platform/autostart.h"

#include "platform/files.h"
#include "platform/folderlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString autostartFolder()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // XDG base directories must be absolute; a relative one is ignored.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart");
}

// Exec's quoting: the whole path in double quotes, with the four characters that
// are special inside them escaped by a backslash.
QString quotedExecArgument(const QString &path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

AutostartEntry::AutostartEntry(const QString &programFolder)
    : m_programFolder(QFileInfo(programFolder).absoluteFilePath()),
      m_path(autostartFolder() + QLatin1Char('/') + programFolderKey(programFolder) +
             QStringLiteral(".desktop"))
{}

bool AutostartEntry::exists() const
{
    return QFileInfo::exists(m_path);
}

Result AutostartEntry::set(bool on) const
{
    if (!on) {
        QFile entry(m_path);
        if (entry.exists() && !entry.remove())
            return Result::failure(entry.errorString());
        return Result::success();
    }
    // A line break would end Exec and start a line of the path's own making;
    // no quoting carries a control character through the entry.
    if (std::any_of(m_programFolder.cbegin(), m_programFolder.cend(),
                    [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }))
        return Result::failure(QStringLiteral("the program folder's path holds a control "
                                              "character, such as a line break, which an "
                                              "autostart entry cannot hold"));
    if (!QDir().mkpath(QFileInfo(m_path).path()))
        return Result::failure(QStringLiteral("cannot make the folder %1")
                                   .arg(QDir::toNativeSeparators(QFileInfo(m_path).path())));
    // A string's escapes are undone before Exec is split into arguments, so
    // every backslash of the quoted argument is doubled once more; a percent
    // sign would start a field code.
    const QString exec = quotedExecArgument(m_programFolder + QStringLiteral("/tockaro"))
                             .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                             .replace(QLatin1Char('%'), QStringLiteral("%%"));
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Tockaro\n"
                                         "Comment=Desktop alarm clock\n"
                                         "Exec=%1\n"
                                         "Icon=tockaro\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(exec);
    return saveFileAtomically(m_path, entry.toUtf8());
}
