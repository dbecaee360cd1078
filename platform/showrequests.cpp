#include "platform/showrequests.h"

#include "base/logging.h"
#include "platform/userfolders.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <QDeadlineTimer>
#include <QDir>
#include <QList>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How long a second start waits for the running copy to take its request.
constexpr int kAskMs = 1000;
// Connections taken at one wake-up: a flood of them must not keep the clock
// from its other events.
constexpr int kAcceptsPerWake = 64;
// Refused requests are told at most this often.
constexpr int kRefusalsQuietMs = 60'000;

// A place for the socket: a folder that only the user may enter, and the
// socket's name in it.
struct Place {
    QString folder;
    QByteArray name;
    bool make; // the folder is made when it is missing
};

// Where the socket is looked for, in this order; the running copy listens at
// the first it can use.
QList<Place> places(const QString &programFolder)
{
    QList<Place> found;
    const QByteArray name = programFolderKey(programFolder).toLatin1() + ".sock";
    for (const QString &runtime : privateRuntimeFolders())
        found.append({runtime, name, false});
    found.append({QDir(programFolder).filePath(QStringLiteral(".tockaro-%1").arg(::geteuid())),
                  "show", true});
    return found;
}

// The address of `name` in the folder open as `folder`. Going through the
// open folder keeps the address short whatever the folder's path, and makes
// the folder that was checked the one used.
socklen_t addressIn(int folder, const QByteArray &name, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    const int length = std::snprintf(address.sun_path, sizeof address.sun_path,
                                     "/proc/self/fd/%d/%s", folder, name.constData());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length + 1);
}

// The user at the other end of a local connection; -1 when it cannot be told.
qint64 peerUser(int socket)
{
    ucred peer = {};
    socklen_t length = sizeof peer;
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
        return -1;
    return peer.uid;
}

// Whether a copy listens on the socket at `address`: a socket file that a
// crash left behind refuses the connection.
bool someoneListens(const sockaddr_un &address, socklen_t length)
{
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0)
        return true;
    const bool refused =
        ::connect(probe, reinterpret_cast<const sockaddr *>(&address), length) != 0 &&
        (errno == ECONNREFUSED || errno == ENOENT);
    ::close(probe);
    return !refused;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

ShowRequests::ShowRequests(const QString &programFolder, QObject *parent) : QObject(parent)
{
    m_refusalsQuiet.setSingleShot(true);
    m_refusalsQuiet.setInterval(kRefusalsQuietMs);
    connect(&m_refusalsQuiet, &QTimer::timeout, this, &ShowRequests::logRefusals);

    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0)
        return;
    for (const Place &place : places(programFolder)) {
        QString why;
        const int folder = openPrivateFolder(place.folder, place.make, why);
        if (folder < 0) {
            qCWarning(lcClock).noquote() << "no socket for second starts in" << place.folder << why;
            continue;
        }
        sockaddr_un address;
        const socklen_t length = addressIn(folder, place.name, address);
        const auto bindHere = [&] {
            return ::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), length) == 0
                       ? 0
                       : errno;
        };
        int error = bindHere();
        struct stat found;
        if (error == EADDRINUSE &&
            ::fstatat(folder, place.name.constData(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISSOCK(found.st_mode) && !someoneListens(address, length)) {
            ::unlinkat(folder, place.name.constData(), 0);
            error = bindHere();
        }
        if (error == 0 && ::listen(m_socket, 16) != 0)
            error = errno;
        if (error == 0 &&
            ::fstatat(folder, place.name.constData(), &found, AT_SYMLINK_NOFOLLOW) == 0) {
            m_folder = folder;
            m_name = place.name;
            m_socketInode = found.st_ino;
            if (place.make)
                m_madeFolder = place.folder;
            break;
        }
        qCWarning(lcClock).noquote()
            << "a second start cannot ask this copy to show its clock: the socket"
            << QDir(place.folder).filePath(QString::fromLatin1(place.name))
            << (error == EADDRINUSE ? QStringLiteral("is another copy's") : systemError(error));
        ::close(folder);
        // Second starts find the socket another copy listens on first; and a
        // socket once bound cannot be bound elsewhere.
        if (error == EADDRINUSE || error == 0)
            break;
    }
    if (m_folder < 0) {
        ::close(m_socket);
        m_socket = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ShowRequests::acceptRequests);
}

ShowRequests::~ShowRequests()
{
    delete m_notifier;
    if (m_socket >= 0)
        ::close(m_socket);
    if (m_folder < 0)
        return;
    // Only the socket this copy made: a copy that started after it may listen
    // on one of its own by now.
    struct stat found;
    if (::fstatat(m_folder, m_name.constData(), &found, AT_SYMLINK_NOFOLLOW) == 0 &&
        found.st_ino == m_socketInode)
        ::unlinkat(m_folder, m_name.constData(), 0);
    ::close(m_folder);
    // Gone when empty, so the program folder is left as it was found.
    if (!m_madeFolder.isEmpty())
        QDir().rmdir(m_madeFolder);
}

// The connection itself is the request: nothing is read from it.
void ShowRequests::acceptRequests()
{
    bool fromTheUser = false;
    for (int taken = 0; taken < kAcceptsPerWake; ++taken) {
        const int peer = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0)
            break;
        const qint64 user = peerUser(peer);
        ::close(peer);
        if (user == ::geteuid())
            fromTheUser = true;
        else
            refused(user);
    }
    if (fromTheUser)
        Q_EMIT showRequested();
}

void ShowRequests::refused(qint64 user)
{
    ++m_refused;
    m_lastRefusedUser = user;
    if (!m_refusalsQuiet.isActive())
        logRefusals();
}

void ShowRequests::logRefusals()
{
    if (m_refused == 0)
        return;
    qCWarning(lcClock).noquote()
        << QStringLiteral("ignored %1 request(s) to show the clock from other users, the last "
                          "from user id %2 (told at most once a minute)")
               .arg(m_refused)
               .arg(m_lastRefusedUser);
    m_refused = 0;
    m_refusalsQuiet.start();
}

void askRunningCopyToShow(const QString &programFolder)
{
    const QDeadlineTimer deadline(kAskMs);
    for (const Place &place : places(programFolder)) {
        QString why;
        const int folder = openPrivateFolder(place.folder, false, why);
        if (folder < 0)
            continue;
        sockaddr_un address;
        const socklen_t length = addressIn(folder, place.name, address);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0) {
            ::close(folder);
            return;
        }
        int error = 0;
        for (;;) {
            // Waits while the running copy's queue of connections is full
            // (it is stopped, or too busy to take them), up to the deadline.
            const qint64 left = qMax<qint64>(1, deadline.remainingTime());
            const timeval wait{static_cast<time_t>(left / 1000),
                               static_cast<suseconds_t>(left % 1000 * 1000)};
            ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
            if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), length) == 0)
                break;
            error = errno;
            if (error != EINTR || deadline.hasExpired())
                break;
        }
        const qint64 listener = error == 0 ? peerUser(socket) : -1;
        ::close(socket);
        ::close(folder);
        if (error == 0) {
            if (listener != ::geteuid())
                qCWarning(lcClock) << "the request to show the clock went to user id" << listener;
            return;
        }
        if (error == EAGAIN || error == EINTR) {
            qCWarning(lcClock) << "the running copy did not take the request to show its clock "
                                  "within a second: it is stopped or busy";
            return;
        }
    }
}

#else

ShowRequests::ShowRequests(const QString &, QObject *parent) : QObject(parent) {}
ShowRequests::~ShowRequests() = default;
void ShowRequests::acceptRequests() {}
void ShowRequests::refused(qint64) {}
void ShowRequests::logRefusals() {}
void askRunningCopyToShow(const QString &) {}

#endif
