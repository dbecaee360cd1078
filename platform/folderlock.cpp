#include "platform/folderlock.h"

#include "base/logging.h"
#include "platform/showrequests.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <windows.h>

#include <string>
#endif

QString programFolderKey(const QString &programFolder)
{
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? programFolder : canonical).toUtf8();
    const QByteArray hash =
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("tockaro-") + QString::fromLatin1(hash);
}

namespace {

enum class Outcome { Taken, HeldByAnotherCopy, NotTheUsers, Unusable };

struct Attempt {
    Outcome outcome;
    QString reason; // why the file is not the user's, or cannot be used
};

// The user's runtime folder, where the lock goes when the program folder
// cannot hold it; empty when the session has none.
QString runtimeLockPath(const QString &programFolder)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || QDir::isRelativePath(runtime))
        return {};
    return QDir(runtime).filePath(programFolderKey(programFolder) + QStringLiteral(".lock"));
}

} // namespace

#ifdef Q_OS_UNIX

namespace {

QString notTheUsers(const struct stat &found)
{
    if (S_ISLNK(found.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (S_ISDIR(found.st_mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(found.st_mode))
        return QStringLiteral("it is a named pipe");
    if (!S_ISREG(found.st_mode))
        return QStringLiteral("it is a device or a socket");
    return QStringLiteral("it belongs to another user, user id %1").arg(found.st_uid);
}

bool isTheUsers(const struct stat &found)
{
    return S_ISREG(found.st_mode) && found.st_uid == ::geteuid();
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

// A lock held with flock() on an open file; closing the file lets go of it.
struct FolderLockGuard::Lock {
    QByteArray path;
    int fd;

    ~Lock()
    {
        // Removed while still held: a copy that opened the file meanwhile
        // finds, once it holds it, that the name no longer leads to it.
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            ::unlink(path.constData());
        ::close(fd);
    }

    static Attempt take(const QString &at, std::unique_ptr<Lock> &lock)
    {
        const QByteArray path = QFile::encodeName(at);
        // A copy that is ending removes the file while holding it, so the file
        // this one locked may no longer be the one the name leads to; the next
        // round opens the new one.
        for (int round = 0; round < 3; ++round) {
            const int fd =
                ::open(path.constData(),
                       O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
            if (fd < 0) {
                const int error = errno;
                struct stat found;
                if (::lstat(path.constData(), &found) == 0 && !isTheUsers(found))
                    return {Outcome::NotTheUsers, notTheUsers(found)};
                return {Outcome::Unusable, systemError(error)};
            }
            struct stat opened;
            if (::fstat(fd, &opened) != 0) {
                const int error = errno;
                ::close(fd);
                return {Outcome::Unusable, systemError(error)};
            }
            if (!isTheUsers(opened)) {
                ::close(fd);
                return {Outcome::NotTheUsers, notTheUsers(opened)};
            }
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                const int error = errno;
                ::close(fd);
                if (error == EWOULDBLOCK)
                    return {Outcome::HeldByAnotherCopy, {}};
                return {Outcome::Unusable, systemError(error)};
            }
            struct stat named;
            if (::lstat(path.constData(), &named) == 0 && named.st_dev == opened.st_dev &&
                named.st_ino == opened.st_ino) {
                lock.reset(new Lock{path, fd});
                return {Outcome::Taken, {}};
            }
            ::close(fd);
        }
        return {Outcome::Unusable, QStringLiteral("it keeps being replaced")};
    }
};

#else

// On Windows the lock is the file held open with no sharing at all: while a
// copy holds it no other process can open it, and the system closes the
// handle however the process ends, a crash included, and with it deletes the
// file. Nothing stale is left to be judged by a process id or an age, which
// a reused process id or a clock can get wrong (as QLockFile's rule does).
struct FolderLockGuard::Lock {
    HANDLE handle;

    ~Lock() { ::CloseHandle(handle); }

    static Attempt take(const QString &at, std::unique_ptr<Lock> &lock)
    {
        const std::wstring path = QDir::toNativeSeparators(at).toStdWString();
        const HANDLE handle =
            ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            lock.reset(new Lock{handle});
            return {Outcome::Taken, {}};
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return {Outcome::HeldByAnotherCopy, {}};
        return {Outcome::Unusable, QStringLiteral("system error %1").arg(error)};
    }
};

#endif

FolderLockGuard::FolderLockGuard(const QString &programFolder) : m_programFolder(programFolder) {}

FolderLockGuard::~FolderLockGuard() = default;

QString FolderLockGuard::lockPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("tockaro.lock"));
}

bool FolderLockGuard::tryAcquire()
{
    if (m_lock)
        return true;
    for (const QString &path : {lockPath(m_programFolder), runtimeLockPath(m_programFolder)}) {
        if (path.isEmpty())
            continue;
        const Attempt attempt = Lock::take(path, m_lock);
        switch (attempt.outcome) {
        case Outcome::Taken:
            return true;
        case Outcome::HeldByAnotherCopy:
            askRunningCopyToShow(m_programFolder);
            return false;
        case Outcome::NotTheUsers:
            if (m_warning.isEmpty()) {
                m_warning = QStringLiteral("The lock file %1 is not an ordinary file of this "
                                           "user's (%2): someone else may have put it there.\n"
                                           "Tockaro left it alone and runs all the same. Remove "
                                           "it, so that Tockaro can again make sure it runs only "
                                           "once from this folder.")
                                .arg(QDir::toNativeSeparators(path), attempt.reason);
            }
            qCWarning(lcClock).noquote() << "lock file not used:" << path << attempt.reason;
            break;
        case Outcome::Unusable:
            qCWarning(lcClock).noquote() << "lock file not used:" << path << attempt.reason;
            break;
        }
    }
    // A clock that runs twice beats one that does not ring.
    qCWarning(lcClock) << "no lock could be taken: this copy runs without one";
    return true;
}
