#pragma once

#include "base/remoterequest.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QSocketNotifier;
class QWinEventNotifier;

// A second start of the program in the same folder asks the running copy to
// show its clock (users start a program again to find it). The request is a
// connection to a local socket kept where only the user may go: in the user's
// private runtime folder, else in a private folder beside the folder's lock
// (".tockaro-<user id>" in the program folder). Nobody else can take its name
// first, fill its queue or reach it at all, and no network library is loaded
// for it. A request counts only from the user the program runs as; others
// (only a privileged user can still reach it) are accepted, closed, counted and
// logged at most once a minute. The lock file decides which copy runs. On
// Windows the request is a named event in the session's own namespace, which
// only the user's processes may set (showrequests_win.cpp).
//
// A start with an action (--snooze, --next, ...) sends one line on the same
// connection and reads the running copy's reply (base/remoterequest.h); on
// Windows it goes through a named pipe that only the user may open. One such
// request is heard at a time, each for a moment at most: a start that sends
// nothing or too much is dropped, and the clock never waits on one.
class ShowRequests final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowRequests)

public:
    // Does what a request asks and gives the reply; a plain second start is
    // a request to show the clock.
    using Answerer = std::function<RemoteReply(RemoteAction)>;

    // Listens for requests: for the copy that holds the folder's lock. A socket
    // left by a copy that crashed is replaced; one that another copy still
    // listens on is not. Without an answerer, requests are answered "idle".
    explicit ShowRequests(const QString &programFolder, Answerer answer, QObject *parent = nullptr);
    ~ShowRequests() override;

    // False when requests cannot be heard (no private folder for the socket,
    // another copy listens, or there are no such sockets here).
    bool listening() const { return m_notifier != nullptr; }

private:
    Answerer m_answer;
    QTimer m_clientDeadline; // for the start being heard
#ifdef Q_OS_WIN
    struct Pipe;
    // The pipe's operation in progress has finished, or the start took too long.
    void pipeDone();
    void pipeTimedOut();
    // Lets the start go when the operation just begun failed at once.
    void pipeStarted(bool started);
    // Drops the start being heard, if any, and waits for the next.
    void listenOnPipe();

    void *m_event = nullptr;
    QWinEventNotifier *m_notifier = nullptr;
    std::unique_ptr<Pipe> m_pipe;
#else
    void acceptRequests();
    // Reads what the start being heard sent; answers it once it is whole.
    void readClient();
    void endClient();
    void refused(qint64 user);
    void logRefusals();

    int m_client = -1;    // the start being heard
    QByteArray m_request; // what it has sent so far
    QSocketNotifier *m_clientNotifier = nullptr;

    int m_socket = -1;
    QSocketNotifier *m_notifier = nullptr;
    int m_folder = -1;    // the folder the socket is in, kept open to remove it from
    QByteArray m_name;    // the socket's name in that folder
    QString m_madeFolder; // the private folder made for the socket, to remove again
    quint64 m_socketInode = 0;
    qint64 m_refused = 0; // since they were last logged
    qint64 m_lastRefusedUser = -1;
    QTimer m_refusalsQuiet; // running for a minute after refusals were logged
#endif
};

// Asks the copy that runs from this folder to show its clock. Gives up within
// a second (a copy that is stopped, or too busy to take the request, cannot
// hold up a start); does nothing when none listens.
void askRunningCopyToShow(const QString &programFolder);

// Asks the copy that runs from this folder for `action` and reads its reply,
// within a second; a listener that is not the user's is not asked.
AskResult askRunningCopy(const QString &programFolder, RemoteAction action);
