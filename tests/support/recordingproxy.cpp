#include "recordingproxy.h"

#include <QTcpServer>
#include <QTcpSocket>

RecordingProxy::RecordingProxy(const QHostAddress &hub, quint16 hubPort, QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
    , m_hub(hub)
    , m_hubPort(hubPort)
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *near = m_server->nextPendingConnection()) {
            auto *far = new QTcpSocket(near);
            // Bytes from either end go to the other once the hub is reached;
            // until then the window's wait in its socket.
            auto pass = [this](QTcpSocket *from, QTcpSocket *to) {
                if (to->state() != QAbstractSocket::ConnectedState)
                    return;
                const QByteArray bytes = from->readAll();
                m_recorded += bytes;
                to->write(bytes);
            };
            connect(near, &QTcpSocket::readyRead, far, [=] { pass(near, far); });
            connect(far, &QTcpSocket::readyRead, near, [=] { pass(far, near); });
            connect(far, &QTcpSocket::connected, near, [=] { pass(near, far); });
            for (QTcpSocket *end : {near, far}) {
                QTcpSocket *other = end == near ? far : near;
                connect(end, &QTcpSocket::disconnected, other, [other] { other->disconnectFromHost(); });
            }
            connect(near, &QTcpSocket::disconnected, near, &QObject::deleteLater);
            connect(this, &RecordingProxy::cut, near, [near, far] { far->abort(); near->abort(); near->deleteLater(); });
            far->connectToHost(m_hub, m_hubPort);
        }
    });
}

quint16 RecordingProxy::Port() const
{
    return m_server->serverPort();
}

void RecordingProxy::Cut()
{
    emit cut();
}
