#pragma once
// The game link over TCP to kalumo-hub.
//
// JoinGame connects to the hub on the port given by the link number; the
// hub's host comes from KALUMO_LINK_HOST. Each record handed to SendText goes
// out as one frame, and each frame from the hub is one delivery, raised as
// TextReceived (README.md, "The game link protocol"). A broken frame or a
// delivery without a sender aborts the connection.

#include "link/framecodec.h"
#include "link/gamelink.h"

class QTcpSocket;

class TcpGameLink : public GameLink
{
    Q_OBJECT
public:
    static constexpr int ConnectTimeoutMs = 5000;

    explicit TcpGameLink(const QString &hubHost, QObject *parent = nullptr);
    ~TcpGameLink() override;

    // KALUMO_LINK_HOST, or 127.0.0.1 when it is unset or empty.
    static QString HostFromEnvironment();

    bool JoinGame(quint64 windowHandle, qint32 linkNumber) override;
    bool SendText(const QString &record) override;

private:
    void readFrames();
    void fail(const QString &reason);

    QString m_host;
    QTcpSocket *m_socket = nullptr;
    Frame::Reader m_reader;
    bool m_lost = false;
};
