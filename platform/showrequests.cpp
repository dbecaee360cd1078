#include "platform/showrequests.h"

#include "platform/folderlock.h"

#include <QLocalServer>
#include <QLocalSocket>

ShowRequests::ShowRequests(const QString &programFolder, QObject *parent)
    : QObject(parent), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    // The connection itself is the request: nothing is read from it.
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection())
            socket->deleteLater();
        Q_EMIT showRequested();
    });
    m_server->listen(programFolderKey(programFolder));
}

ShowRequests::~ShowRequests() = default;

void askRunningCopyToShow(const QString &programFolder)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    // A local connection is made or refused at once; the running copy's event
    // loop accepts it later, so there is nothing to wait for.
    socket.connectToServer(programFolderKey(programFolder), QIODevice::ReadWrite);
    socket.abort();
}
