#include "platform/showrequests.h"

#include "base/logging.h"
#include "platform/folderlock.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The folder's name in the abstract namespace: a leading NUL, then the name.
socklen_t abstractAddress(const QString &programFolder, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    const QByteArray name = programFolderKey(programFolder).toUtf8();
    std::memcpy(address.sun_path + 1, name.constData(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
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

} // namespace

ShowRequests::ShowRequests(const QString &programFolder, QObject *parent) : QObject(parent)
{
    sockaddr_un address;
    const socklen_t length = abstractAddress(programFolder, address);
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0)
        return;
    if (::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), length) != 0 ||
        ::listen(m_socket, 4) != 0) {
        const int error = errno;
        qCWarning(lcClock).noquote()
            << "a second start cannot ask this copy to show its clock: the socket name"
            << programFolderKey(programFolder)
            << (error == EADDRINUSE ? QStringLiteral("is taken, perhaps by another user")
                                    : QString::fromLocal8Bit(std::strerror(error)));
        ::close(m_socket);
        m_socket = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    // The connection itself is the request: nothing is read from it.
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        bool fromTheUser = false;
        for (int peer; (peer = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            const qint64 user = peerUser(peer);
            if (user == ::geteuid())
                fromTheUser = true;
            else
                qCWarning(lcClock) << "ignored a request to show the clock from user id" << user;
            ::close(peer);
        }
        if (fromTheUser)
            Q_EMIT showRequested();
    });
}

ShowRequests::~ShowRequests()
{
    delete m_notifier;
    if (m_socket >= 0)
        ::close(m_socket);
}

void askRunningCopyToShow(const QString &programFolder)
{
    sockaddr_un address;
    const socklen_t length = abstractAddress(programFolder, address);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return;
    // A local connection is made or refused at once; the running copy accepts
    // it from its event loop, so there is nothing to wait for.
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), length) == 0) {
        if (const qint64 listener = peerUser(socket); listener != ::geteuid())
            qCWarning(lcClock) << "the request to show the clock went to user id" << listener;
    }
    ::close(socket);
}

#else

ShowRequests::ShowRequests(const QString &, QObject *parent) : QObject(parent) {}
ShowRequests::~ShowRequests() = default;
void askRunningCopyToShow(const QString &) {}

#endif
