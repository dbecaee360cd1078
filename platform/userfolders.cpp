#include "platform/userfolders.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#endif

QString programFolderKey(const QString &programFolder)
{
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? programFolder : canonical).toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("tockaro-") + QString::fromLatin1(hash);
}

#ifdef Q_OS_UNIX

int openPrivateFolder(const QString &path, bool create, QString &why)
{
    const QByteArray name = QFile::encodeName(path);
    if (create && ::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        why = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    const int folder = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) {
        why = errno == ELOOP || errno == ENOTDIR ? QStringLiteral("it is not a folder")
                                                 : QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    // Checked on the folder opened, so that what is used is what was checked.
    struct stat found;
    if (::fstat(folder, &found) != 0 || found.st_uid != ::geteuid() ||
        (found.st_mode & 0777) != 0700) {
        why = QStringLiteral("it is not a folder that only its user, user id %1, may enter")
                  .arg(::geteuid());
        ::close(folder);
        return -1;
    }
    return folder;
}

QStringList privateRuntimeFolders()
{
    QStringList candidates;
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        !runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        candidates.append(runtime);
    candidates.append(QStringLiteral("/run/user/%1").arg(::geteuid()));

    QStringList folders;
    QList<std::pair<dev_t, ino_t>> seen;
    for (const QString &candidate : std::as_const(candidates)) {
        QString why;
        const int folder = openPrivateFolder(candidate, false, why);
        if (folder < 0)
            continue;
        struct stat found;
        // The same folder twice would have this copy wait for its own lock.
        if (::fstat(folder, &found) == 0 && !seen.contains({found.st_dev, found.st_ino})) {
            seen.append({found.st_dev, found.st_ino});
            folders.append(candidate);
        }
        ::close(folder);
    }
    return folders;
}

#else

QStringList privateRuntimeFolders()
{
    return {};
}

#endif
