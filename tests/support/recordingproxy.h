#pragma once
// Stands between windows and a hub: every connection made to its port is
// forwarded to the hub byte for byte, both ways, and a copy of every byte
// that passes is kept. Cut ends every connection through it at once, as a
// broken network would.

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

class QTcpServer;

class RecordingProxy : public QObject
{
    Q_OBJECT
public:
    RecordingProxy(const QHostAddress &hub, quint16 hubPort, QObject *parent = nullptr);
    quint16 Port() const;
    // Every byte that passed, in either direction, in the order it arrived.
    QByteArray Recorded() const { return m_recorded; }
    void Cut();

signals:
    void cut();

private:
    QTcpServer *m_server;
    QHostAddress m_hub;
    quint16 m_hubPort;
    QByteArray m_recorded;
};
