#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class QWinEventNotifier;

// A second start of the program in the same folder asks the running copy to
// show its clock (users start a program again to find it). The request is a
// connection to a local socket in Linux's abstract namespace, named after the
// folder: a crash leaves no socket file, and no network library is loaded for
// it. Any local user may take a name there, so a request counts only from the
// user the program runs as, and a name found taken is logged. The lock file
// still decides which copy runs. On Windows the request is a named event in
// the session's own namespace, which only the user's processes may set
// (showrequests_win.cpp). Elsewhere it does nothing.
class ShowRequests final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowRequests)

public:
    // Listens for requests: for the copy that holds the folder's lock.
    explicit ShowRequests(const QString &programFolder, QObject *parent = nullptr);
    ~ShowRequests() override;

    // False when requests cannot be heard (the name is taken, or there are
    // no such sockets here).
    bool listening() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void showRequested();

private:
#ifdef Q_OS_WIN
    void *m_event = nullptr;
    QWinEventNotifier *m_notifier = nullptr;
#else
    int m_socket = -1;
    QSocketNotifier *m_notifier = nullptr;
#endif
};

// Asks the copy that runs from this folder to show its clock; does nothing when
// none listens.
void askRunningCopyToShow(const QString &programFolder);
