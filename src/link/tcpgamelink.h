#pragma once
// The game link over TCP to kalumo-hub.
//
// JoinGame connects to the hub on the port given by the link number; the
// hub's host comes from KALUMO_LINK_HOST. With a fingerprint the link runs
// over TLS 1.3 and accepts the hub's certificate only when its SHA-256 is
// that fingerprint: no certificate authority is asked, and any other
// certificate fails the join. Each record handed to SendText goes
// out as one frame, and each frame from the hub is one delivery, raised as
// TextReceived (README.md, "The game link protocol"), except the hub's
// control frames: the link answers a Ping itself, and a refusal ends the
// link with the hub's reason. A broken frame, a delivery without a sender
// and silence from a hub that has pinged before abort the connection.

#include "link/framecodec.h"
#include "link/gamelink.h"
#include "link/hubcontrol.h"

class QEventLoop;
class QSslSocket;
class QTcpSocket;
class QTimer;

class TcpGameLink : public GameLink
{
    Q_OBJECT
public:
    struct Timing
    {
        int connectMs = 5000;
        int silenceMs = HubControl::SilenceMs; // counted from the first Ping on
    };

    // What kalumo-hub's host and join give a window; both empty for a
    // plain link, as play starts it.
    struct Security
    {
        QString fingerprint; // the hub certificate's SHA-256, in hex
        QString hostSecret;  // sent in an "S" record before the join's "A" record
    };

    explicit TcpGameLink(const QString &hubHost, QObject *parent = nullptr);
    TcpGameLink(const QString &hubHost, const Timing &timing, QObject *parent = nullptr);
    ~TcpGameLink() override;

    // KALUMO_LINK_HOST, or 127.0.0.1 when it is unset or empty.
    static QString HostFromEnvironment();
    // KALUMO_LINK_FINGERPRINT and KALUMO_HOST_SECRET.
    static Security SecurityFromEnvironment();
    // Before JoinGame. A fingerprint that is not 64 hex digits fails the join.
    void SetSecurity(const Security &security) { m_security = security; }

    bool JoinGame(quint64 windowHandle, qint32 linkNumber) override;
    QString ErrorString() const override { return m_error; }
    std::optional<QString> WaitUntilJoined(const QString &key, const QString &name, int timeoutMs) override;
    bool SendText(const QString &record) override;

private:
    // Makes the socket and connects it to the hub, over TLS with a
    // fingerprint, within Timing::connectMs; false, with m_error, when no
    // connection could be made.
    bool connectToHub(quint16 port);
    bool pinned(const QSslSocket &socket) const;
    void readFrames();
    void control(const QString &data);
    void fail(const QString &reason, bool refused = false);

    QString m_host;
    Timing m_timing;
    Security m_security;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_silence = nullptr;
    Frame::Reader m_reader;
    QString m_error;         // why JoinGame failed, or why the join failed
    QString m_key;           // the game's key, for answering Pings
    QString m_name;          // the name whose "[Enter]" confirms the join
    QEventLoop *m_waiting = nullptr; // set while WaitUntilJoined runs
    bool m_joined = false;
    bool m_lost = false;
};
