#include "platform/folderlock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace {

QString lockPathFor(const QString &programFolder)
{
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? programFolder : canonical).toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QDir::temp().filePath(QStringLiteral("tockaro-") + QString::fromLatin1(hash) +
                                 QStringLiteral(".lock"));
}

} // namespace

FolderLockGuard::FolderLockGuard(const QString &programFolder) : m_lock(lockPathFor(programFolder))
{}

bool FolderLockGuard::tryAcquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}
