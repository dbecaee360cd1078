#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What a start of the program asks of the copy that runs from its folder.
enum class RemoteAction { Show, Snooze, Stop, Next, List };

// The running copy's answer: done, with the text to print; or idle, when
// there was no alarm to snooze or stop.
struct RemoteReply {
    bool done = false;
    QString text;

    friend bool operator==(const RemoteReply &, const RemoteReply &) = default;
};

// The request is one line, the action's word ("snooze\n"); a start that
// sends nothing and closes asks to show the clock, as every second start did
// before there were actions. Longer requests are not read.
constexpr qsizetype kMaxRequestBytes = 16;
QByteArray requestLine(RemoteAction action);
// What the running copy reads from what a start sent up to the end of its
// first line, or up to its close: nullopt for anything but a request.
std::optional<RemoteAction> readRequest(QByteArrayView request);

// The reply is a status line, "done" or "idle", and the text; it ends where
// the running copy closes the connection (or, on Windows, with its message).
QByteArray replyBytes(const RemoteReply &reply);
std::optional<RemoteReply> readReply(QByteArrayView reply);

// How asking the running copy went, as the start that asked sees it.
enum class AskOutcome {
    Answered,
    NotRunning, // no copy listens from this folder
    OtherUser,  // the socket's listener is another user: not asked
    NoAnswer,   // it did not answer within a second (busy or stopped), or not readably
};
struct AskResult {
    AskOutcome outcome = AskOutcome::NotRunning;
    RemoteReply reply = {};
    // For OtherUser: the socket and its listener's user.
    QString detail = {};
};
