// A second start on Windows sets an event named after the program folder in
// the session's own namespace ("Local\"), which the running copy waits on.
// Only processes of the logon session see the name, and the event is made
// with the user's default security, which lets no other user set it; a name
// that another user took first cannot be opened and is logged. A crash leaves
// nothing behind: the system removes the event with its last handle.
//
// Actions, which want a reply, go through a named pipe of one instance, named
// after the program folder and the user, that only the user may open and no
// other computer may reach; the asking start talks only to a pipe whose server
// runs as the same user. Messages, not bytes: the reply ends with its message,
// and the running copy lets go of the start only once it has read it.

#include "platform/showrequests.h"

#include "base/logging.h"
#include "platform/folderlock.h"

#include <QDeadlineTimer>
#include <QWinEventNotifier>

#include <windows.h>

#include <sddl.h>

#include <string>

namespace {

// How long a start waits for the running copy's reply, and how long the
// running copy waits for a start to send its request and read the reply.
constexpr int kAskMs = 1000;
constexpr int kClientMs = 500;
constexpr DWORD kMaxReplyBytes = 1 << 20;

std::wstring eventName(const QString &programFolder)
{
    const QString name = QStringLiteral("Local\\") + programFolderKey(programFolder);
    return name.toStdWString();
}

QString systemError(DWORD error)
{
    return QStringLiteral("system error %1").arg(error);
}

// The user a process runs as, as a SID string; empty when it cannot be told.
QString processUser(HANDLE process)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    QString sid;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string buffer(size, '\0');
    LPWSTR text = nullptr;
    if (size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
        ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid, &text)) {
        sid = QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return sid;
}

QString currentUser()
{
    return processUser(::GetCurrentProcess());
}

std::wstring pipeName(const QString &programFolder)
{
    const QString name =
        QStringLiteral("\\\\.\\pipe\\") + programFolderKey(programFolder) + u'-' + currentUser();
    return name.toStdWString();
}

// Waits for an overlapped operation on `handle` until the deadline; cancels
// it when the deadline passes. The bytes moved; -1 when it failed.
qint64 finish(HANDLE handle, OVERLAPPED &overlapped, BOOL started, const QDeadlineTimer &deadline,
              bool &more)
{
    more = false;
    if (!started && ::GetLastError() != ERROR_IO_PENDING && ::GetLastError() != ERROR_MORE_DATA)
        return -1;
    if (::WaitForSingleObject(overlapped.hEvent,
                              DWORD(qMax<qint64>(0, deadline.remainingTime()))) != WAIT_OBJECT_0)
        ::CancelIoEx(handle, &overlapped);
    DWORD moved = 0;
    if (::GetOverlappedResult(handle, &overlapped, &moved, TRUE))
        return moved;
    more = ::GetLastError() == ERROR_MORE_DATA;
    return more ? qint64(moved) : -1;
}

} // namespace

struct ShowRequests::Pipe {
    enum class Stage { Connecting, Reading, Replying, Closing };

    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped = {};
    QWinEventNotifier *notifier = nullptr;
    Stage stage = Stage::Connecting;
    char buffer[kMaxRequestBytes + 1] = {};
    QByteArray reply;

    // Ends the operation in progress, if one is.
    void cancel()
    {
        DWORD moved = 0;
        if (::CancelIoEx(handle, &overlapped))
            ::GetOverlappedResult(handle, &overlapped, &moved, TRUE);
    }

    ~Pipe()
    {
        if (handle != INVALID_HANDLE_VALUE) {
            cancel();
            ::CloseHandle(handle);
        }
        if (overlapped.hEvent)
            ::CloseHandle(overlapped.hEvent);
    }
};

ShowRequests::ShowRequests(const QString &programFolder, Answerer answer, QObject *parent)
    : QObject(parent), m_answer(std::move(answer))
{
    // Reset as it is taken, so each request shows the clock once.
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, eventName(programFolder).c_str());
    if (!event) {
        const DWORD error = ::GetLastError();
        qCWarning(lcClock).noquote()
            << "a second start cannot ask this copy to show its clock: the event"
            << programFolderKey(programFolder)
            << (error == ERROR_ACCESS_DENIED ? QStringLiteral("is taken, perhaps by another user")
                                             : systemError(error));
        return;
    }
    m_event = event;
    m_notifier = new QWinEventNotifier(event, this);
    connect(m_notifier, &QWinEventNotifier::activated, this, [this] {
        if (m_answer)
            m_answer(RemoteAction::Show);
    });

    // Only the user may open the pipe, and no other copy may serve it too.
    const std::wstring descriptor = L"D:P(A;;GA;;;" + currentUser().toStdWString() + L")";
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            descriptor.c_str(), SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr))
        return;
    auto pipe = std::make_unique<Pipe>();
    pipe->handle = ::CreateNamedPipeW(
        pipeName(programFolder).c_str(),
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kMaxReplyBytes, kMaxRequestBytes, 0, &security);
    const DWORD error = ::GetLastError();
    ::LocalFree(security.lpSecurityDescriptor);
    pipe->overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (pipe->handle == INVALID_HANDLE_VALUE || !pipe->overlapped.hEvent) {
        qCWarning(lcClock).noquote()
            << "the command line cannot reach this copy: the pipe"
            << QString::fromStdWString(pipeName(programFolder))
            << (error == ERROR_ACCESS_DENIED ? QStringLiteral("is taken") : systemError(error));
        return;
    }
    m_pipe = std::move(pipe);
    m_pipe->notifier = new QWinEventNotifier(m_pipe->overlapped.hEvent, this);
    connect(m_pipe->notifier, &QWinEventNotifier::activated, this, &ShowRequests::pipeDone);
    m_clientDeadline.setSingleShot(true);
    m_clientDeadline.setInterval(kClientMs);
    connect(&m_clientDeadline, &QTimer::timeout, this, &ShowRequests::pipeTimedOut);
    listenOnPipe();
}

ShowRequests::~ShowRequests()
{
    delete m_notifier;
    if (m_event)
        ::CloseHandle(m_event);
    if (m_pipe)
        delete m_pipe->notifier;
}

void ShowRequests::listenOnPipe()
{
    m_clientDeadline.stop();
    ::DisconnectNamedPipe(m_pipe->handle);
    m_pipe->stage = Pipe::Stage::Connecting;
    ::ConnectNamedPipe(m_pipe->handle, &m_pipe->overlapped);
    const DWORD error = ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED)
        ::SetEvent(m_pipe->overlapped.hEvent);
    else if (error != ERROR_IO_PENDING)
        qCWarning(lcClock).noquote()
            << "the command line can no longer reach this copy:" << systemError(error);
}

// An operation on the pipe that failed at once has nothing to wait for: the
// start goes.
void ShowRequests::pipeStarted(bool started)
{
    if (!started && ::GetLastError() != ERROR_IO_PENDING)
        listenOnPipe();
}

void ShowRequests::pipeDone()
{
    Pipe &pipe = *m_pipe;
    DWORD moved = 0;
    if (!::GetOverlappedResult(pipe.handle, &pipe.overlapped, &moved, FALSE)) {
        // A stale wake-up: the operation goes on.
        if (::GetLastError() == ERROR_IO_INCOMPLETE)
            return;
        // The start went, or sent more than a request (the rest of its
        // message), or its reply could not be given.
        listenOnPipe();
        return;
    }
    switch (pipe.stage) {
    case Pipe::Stage::Connecting:
        pipe.stage = Pipe::Stage::Reading;
        m_clientDeadline.start();
        pipeStarted(
            ::ReadFile(pipe.handle, pipe.buffer, sizeof pipe.buffer, nullptr, &pipe.overlapped));
        return;
    case Pipe::Stage::Reading: {
        const std::optional<RemoteAction> action =
            readRequest(QByteArrayView(pipe.buffer, qsizetype(moved)));
        if (!action) {
            listenOnPipe();
            return;
        }
        pipe.reply = replyBytes(m_answer ? m_answer(*action) : RemoteReply{});
        pipe.stage = Pipe::Stage::Replying;
        pipeStarted(::WriteFile(pipe.handle, pipe.reply.constData(), DWORD(pipe.reply.size()),
                                nullptr, &pipe.overlapped));
        return;
    }
    case Pipe::Stage::Replying:
        // Until the start has read the reply and closed its end: letting go
        // earlier would throw the reply away.
        pipe.stage = Pipe::Stage::Closing;
        pipeStarted(
            ::ReadFile(pipe.handle, pipe.buffer, sizeof pipe.buffer, nullptr, &pipe.overlapped));
        return;
    case Pipe::Stage::Closing:
        listenOnPipe();
        return;
    }
}

void ShowRequests::pipeTimedOut()
{
    m_pipe->cancel();
    listenOnPipe();
}

void askRunningCopyToShow(const QString &programFolder)
{
    HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName(programFolder).c_str());
    if (!event)
        return;
    ::SetEvent(event);
    ::CloseHandle(event);
}

AskResult askRunningCopy(const QString &programFolder, RemoteAction action)
{
    const QDeadlineTimer deadline(kAskMs);
    const std::wstring name = pipeName(programFolder);
    HANDLE pipe = INVALID_HANDLE_VALUE;
    for (;;) {
        // Identification only: the running copy cannot act as this start.
        pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                             nullptr);
        if (pipe != INVALID_HANDLE_VALUE)
            break;
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return {AskOutcome::NotRunning};
        // Another start is being heard.
        if (error != ERROR_PIPE_BUSY || deadline.hasExpired())
            return {AskOutcome::NoAnswer};
        ::WaitNamedPipeW(name.c_str(), DWORD(qMax<qint64>(1, deadline.remainingTime())));
    }
    // Nothing goes to a server that is not the user: it could be anyone's.
    ULONG server = 0;
    HANDLE process = ::GetNamedPipeServerProcessId(pipe, &server)
                         ? ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, server)
                         : nullptr;
    const QString serverUser = process ? processUser(process) : QString();
    if (process)
        ::CloseHandle(process);
    if (serverUser.isEmpty() || serverUser != currentUser()) {
        ::CloseHandle(pipe);
        return {AskOutcome::OtherUser,
                {},
                QStringLiteral("the pipe %1, which process %2 of %3 serves")
                    .arg(QString::fromStdWString(name))
                    .arg(server)
                    .arg(serverUser.isEmpty() ? QStringLiteral("an unknown user") : serverUser)};
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    ::SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const QByteArray line = requestLine(action);
    bool more = false;
    bool whole = overlapped.hEvent && finish(pipe, overlapped,
                                             ::WriteFile(pipe, line.constData(), DWORD(line.size()),
                                                         nullptr, &overlapped),
                                             deadline, more) == line.size();
    QByteArray reply;
    for (more = whole; more && reply.size() < kMaxReplyBytes;) {
        char buffer[4096];
        const qint64 read =
            finish(pipe, overlapped, ::ReadFile(pipe, buffer, sizeof buffer, nullptr, &overlapped),
                   deadline, more);
        whole = read >= 0;
        if (whole)
            reply.append(buffer, read);
    }
    if (overlapped.hEvent)
        ::CloseHandle(overlapped.hEvent);
    ::CloseHandle(pipe);
    const std::optional<RemoteReply> answer = whole ? readReply(reply) : std::nullopt;
    if (!answer)
        return {AskOutcome::NoAnswer};
    return {AskOutcome::Answered, *answer};
}
