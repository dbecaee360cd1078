#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// A second start of the program in the same folder asks the running copy to
// show its clock (users start a program again to find it). The message goes
// through a local socket in the abstract namespace, named after the folder, so
// a crash leaves no socket file; the lock file still decides which copy runs.
class ShowRequests final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowRequests)

public:
    // Listens for requests: for the copy that holds the folder's lock.
    explicit ShowRequests(const QString &programFolder, QObject *parent = nullptr);
    ~ShowRequests() override;

Q_SIGNALS:
    void showRequested();

private:
    QLocalServer *m_server = nullptr;
};

// Asks the copy that runs from this folder to show its clock; does nothing when
// none listens.
void askRunningCopyToShow(const QString &programFolder);
