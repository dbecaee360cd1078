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
#include <poll.h>
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
// How long a start may take to send its request once it is connected: it
// sends at once, and the next start waits meanwhile.
constexpr int kClientMs = 250;
// A reply longer than this is no reply (a list of every alarm is far shorter).
constexpr qsizetype kMaxReplyBytes = 1 << 20;

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

ShowRequests::ShowRequests(const QString &programFolder, Answerer answer, QObject *parent)
    : QObject(parent), m_answer(std::move(answer))
{
    m_clientDeadline.setSingleShot(true);
    m_clientDeadline.setInterval(kClientMs);
    connect(&m_clientDeadline, &QTimer::timeout, this, &ShowRequests::endClient);
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
    endClient();
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

// Connections of other users are closed unread. The user's are heard one at
// a time: while one is, the others wait in the socket's queue.
void ShowRequests::acceptRequests()
{
    for (int taken = 0; taken < kAcceptsPerWake && m_client < 0; ++taken) {
        const int peer = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer < 0)
            break;
        const qint64 user = peerUser(peer);
        if (user != ::geteuid()) {
            ::close(peer);
            refused(user);
            continue;
        }
        m_client = peer;
        m_request.clear();
        readClient();
    }
}

void ShowRequests::readClient()
{
    char buffer[kMaxRequestBytes + 1];
    for (;;) {
        const ssize_t read = ::recv(m_client, buffer, sizeof buffer, 0);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0 && errno == EAGAIN) {
            // Not sent yet: heard again when it is, or dropped at the deadline.
            if (!m_clientNotifier) {
                m_notifier->setEnabled(false);
                m_clientNotifier = new QSocketNotifier(m_client, QSocketNotifier::Read, this);
                connect(m_clientNotifier, &QSocketNotifier::activated, this,
                        &ShowRequests::readClient);
                m_clientDeadline.start();
            }
            return;
        }
        if (read < 0)
            break;
        m_request.append(buffer, read);
        const qsizetype end = m_request.indexOf('\n');
        if (end >= 0)
            m_request.truncate(end + 1);
        if (read == 0 || end >= 0) {
            // A start that sent nothing waits for no reply.
            if (const std::optional<RemoteAction> action = readRequest(m_request)) {
                const QByteArray reply = replyBytes(m_answer ? m_answer(*action) : RemoteReply{});
                if (!m_request.isEmpty())
                    ::send(m_client, reply.constData(), size_t(reply.size()),
                           MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            break;
        }
        if (m_request.size() > kMaxRequestBytes)
            break;
    }
    endClient();
}

void ShowRequests::endClient()
{
    m_clientDeadline.stop();
    delete std::exchange(m_clientNotifier, nullptr);
    if (m_client >= 0)
        ::close(std::exchange(m_client, -1));
    if (m_notifier)
        m_notifier->setEnabled(true);
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

namespace {

// A connection to the copy that runs from a program folder; no socket when
// none listens, or when it did not take the connection by the deadline.
struct Connection {
    int socket = -1;
    bool timedOut = false;
    QString path; // the socket's
};

Connection connectToRunningCopy(const QString &programFolder, const QDeadlineTimer &deadline)
{
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
            return {};
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
        ::close(folder);
        const QString path = QDir(place.folder).filePath(QString::fromLatin1(place.name));
        if (error == 0)
            return {socket, false, path};
        ::close(socket);
        if (error == EAGAIN || error == EINTR)
            return {-1, true, path};
    }
    return {};
}

} // namespace

void askRunningCopyToShow(const QString &programFolder)
{
    const Connection connection = connectToRunningCopy(programFolder, QDeadlineTimer(kAskMs));
    if (connection.timedOut) {
        qCWarning(lcClock) << "the running copy did not take the request to show its clock "
                              "within a second: it is stopped or busy";
    }
    if (connection.socket < 0)
        return;
    const qint64 listener = peerUser(connection.socket);
    ::close(connection.socket);
    if (listener != ::geteuid())
        qCWarning(lcClock) << "the request to show the clock went to user id" << listener;
}

AskResult askRunningCopy(const QString &programFolder, RemoteAction action)
{
    const QDeadlineTimer deadline(kAskMs);
    const Connection connection = connectToRunningCopy(programFolder, deadline);
    if (connection.socket < 0)
        return {connection.timedOut ? AskOutcome::NoAnswer : AskOutcome::NotRunning};
    const int socket = connection.socket;
    // Nothing goes to a listener that is not the user: it could be anyone's.
    if (const qint64 listener = peerUser(socket); listener != ::geteuid()) {
        ::close(socket);
        return {AskOutcome::OtherUser,
                {},
                QStringLiteral("the socket %1, which user id %2 listens on")
                    .arg(QDir::toNativeSeparators(connection.path))
                    .arg(listener)};
    }
    const QByteArray line = requestLine(action);
    QByteArray reply;
    bool whole =
        ::send(socket, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == ssize_t(line.size());
    while (whole) {
        pollfd wait{socket, POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        char buffer[4096];
        const ssize_t read = ready > 0 ? ::read(socket, buffer, sizeof buffer) : -1;
        if (read == 0)
            break;
        whole = read > 0 && reply.size() + read <= kMaxReplyBytes;
        if (whole)
            reply.append(buffer, read);
    }
    ::close(socket);
    const std::optional<RemoteReply> answer = whole ? readReply(reply) : std::nullopt;
    if (!answer)
        return {AskOutcome::NoAnswer};
    return {AskOutcome::Answered, *answer};
}

#else

ShowRequests::ShowRequests(const QString &, Answerer answer, QObject *parent)
    : QObject(parent), m_answer(std::move(answer))
{}
ShowRequests::~ShowRequests() = default;
void ShowRequests::acceptRequests() {}
void ShowRequests::readClient() {}
void ShowRequests::endClient() {}
void ShowRequests::refused(qint64) {}
void ShowRequests::logRefusals() {}
void askRunningCopyToShow(const QString &) {}
AskResult askRunningCopy(const QString &, RemoteAction)
{
    return {};
}

#endif
