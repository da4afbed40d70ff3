#pragma once
// Stands between windows and a hub on loopback: every connection made to
// Port() is forwarded to the hub byte for byte, both ways, and every byte
// that passes is kept in `recorded`.

#include <QTcpServer>
#include <QTcpSocket>

class RecordingProxy : public QObject
{
public:
    RecordingProxy(const QHostAddress &hub, quint16 hubPort)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this, hub, hubPort] {
            while (QTcpSocket *near = m_server.nextPendingConnection()) {
                auto *far = new QTcpSocket(near);
                far->connectToHost(hub, hubPort);
                far->waitForConnected(5000); // at once on loopback; the window's bytes wait meanwhile
                for (auto [from, to] : {std::pair{near, far}, std::pair{far, near}}) {
                    connect(from, &QTcpSocket::readyRead, to, [this, from, to] {
                        const QByteArray bytes = from->readAll();
                        recorded += bytes;
                        to->write(bytes);
                    });
                    connect(from, &QTcpSocket::disconnected, to, &QTcpSocket::disconnectFromHost);
                }
            }
        });
    }
    quint16 Port() const { return m_server.serverPort(); }

    QByteArray recorded;

private:
    QTcpServer m_server;
};
