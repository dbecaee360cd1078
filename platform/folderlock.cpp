#include "platform/folderlock.h"

#include "platform/showrequests.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

QString programFolderKey(const QString &programFolder)
{
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? programFolder : canonical).toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("tockaro-") + QString::fromLatin1(hash);
}

namespace {

QString lockPathFor(const QString &programFolder)
{
    return QDir::temp().filePath(programFolderKey(programFolder) + QStringLiteral(".lock"));
}

} // namespace

FolderLockGuard::FolderLockGuard(const QString &programFolder)
    : m_programFolder(programFolder), m_lock(lockPathFor(programFolder))
{}

bool FolderLockGuard::tryAcquire()
{
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return true;
    askRunningCopyToShow(m_programFolder);
    return false;
}
