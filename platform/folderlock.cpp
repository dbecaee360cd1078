#include "platform/folderlock.h"

#include "base/logging.h"
#include "platform/showrequests.h"

#include <QDir>
#include <QFile>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <windows.h>

#include <string>
#endif

namespace {

enum class Outcome { Taken, HeldByAnotherCopy, NotTheUsers, Unusable };

struct Attempt {
    Outcome outcome;
    QString reason; // why the file is not the user's, or cannot be used
};

} // namespace

#ifdef Q_OS_UNIX

namespace {

QString userName(uid_t user)
{
    passwd entry;
    passwd *found = nullptr;
    char text[1024];
    if (::getpwuid_r(user, &entry, text, sizeof text, &found) == 0 && found)
        return QStringLiteral("user %1 (user id %2)")
            .arg(QString::fromLocal8Bit(found->pw_name))
            .arg(user);
    return QStringLiteral("user id %1").arg(user);
}

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
    return QStringLiteral("it belongs to %1").arg(userName(found.st_uid));
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

FolderLockGuard::FolderLockGuard(const QString &programFolder, QStringList runtimeFolders)
    : m_programFolder(programFolder), m_runtimeFolders(std::move(runtimeFolders))
{}

FolderLockGuard::~FolderLockGuard() = default;

QString FolderLockGuard::lockPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("tockaro.lock"));
}

bool FolderLockGuard::tryAcquire()
{
    if (!m_locks.empty())
        return true;
    m_warning.clear();
    const QString folderLock = lockPath(m_programFolder);
    QStringList places{folderLock};
    for (const QString &runtime : std::as_const(m_runtimeFolders))
        places.append(
            QDir(runtime).filePath(programFolderKey(m_programFolder) + QStringLiteral(".lock")));

    std::vector<std::unique_ptr<Lock>> held;
    QStringList notTaken; // each lock that could not be taken, and why
    QString planted;      // why the folder's lock file is not the user's
    for (const QString &path : std::as_const(places)) {
        std::unique_ptr<Lock> lock;
        const Attempt attempt = Lock::take(path, lock);
        switch (attempt.outcome) {
        case Outcome::Taken:
            held.push_back(std::move(lock));
            break;
        case Outcome::HeldByAnotherCopy:
            // Lets go of the locks taken so far: the other copy runs.
            held.clear();
            askRunningCopyToShow(m_programFolder);
            return false;
        case Outcome::NotTheUsers:
            if (path == folderLock)
                planted = attempt.reason;
            [[fallthrough]];
        case Outcome::Unusable:
            qCWarning(lcClock).noquote() << "lock file not used:" << path << attempt.reason;
            notTaken.append(
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), attempt.reason));
            break;
        }
    }

    if (held.empty()) {
        // Two clocks on one folder ring every alarm twice, and the save of one
        // undoes the other's changes: without a lock, no clock.
        m_warning = QStringLiteral("Tockaro cannot make sure that it runs only once from %1, so it "
                                   "does not start.\n%2\n")
                        .arg(QDir::toNativeSeparators(m_programFolder), notTaken.join(u'\n'));
        if (m_runtimeFolders.isEmpty())
            m_warning += QStringLiteral("There is no private runtime folder "
                                        "($XDG_RUNTIME_DIR) to keep the lock in instead.\n");
        m_warning += QStringLiteral("Have the lock file removed by its owner, or start Tockaro in "
                                    "a session with a private runtime folder, or keep the "
                                    "program in a folder that only you may write.");
        qCWarning(lcClock).noquote() << "no lock could be taken: this copy does not run";
        return false;
    }
    if (!planted.isEmpty()) {
        m_warning = QStringLiteral("The lock file %1 is not an ordinary file of this user's (%2): "
                                   "someone else may have put it there.\nTockaro left it alone "
                                   "and runs all the same, holding its lock in the runtime "
                                   "folder instead. Remove it, so that Tockaro can again make "
                                   "sure it runs only once from this folder in any session.")
                        .arg(QDir::toNativeSeparators(folderLock), planted);
    }
    m_locks = std::move(held);
    return true;
}
