#pragma once
// The game link over TCP to kalumo-hub.
//
// JoinGame connects to the hub on the port given by the link number; the
// hub's host comes from KALUMO_LINK_HOST. Each record handed to SendText goes
// out as one frame, and each frame from the hub is one delivery, raised as
// TextReceived (README.md, "The game link protocol"), except the hub's
// control frames: the link answers a Ping itself, and a refusal ends the
// link with the hub's reason. A broken frame, a delivery without a sender
// and silence from a hub that has pinged before abort the connection.

#include "link/framecodec.h"
#include "link/gamelink.h"
#include "link/hubcontrol.h"

class QEventLoop;
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

    explicit TcpGameLink(const QString &hubHost, QObject *parent = nullptr);
    TcpGameLink(const QString &hubHost, const Timing &timing, QObject *parent = nullptr);
    ~TcpGameLink() override;

    // KALUMO_LINK_HOST, or 127.0.0.1 when it is unset or empty.
    static QString HostFromEnvironment();

    bool JoinGame(quint64 windowHandle, qint32 linkNumber) override;
    QString ErrorString() const override { return m_error; }
    std::optional<QString> WaitUntilJoined(const QString &key, const QString &name, int timeoutMs) override;
    bool SendText(const QString &record) override;

private:
    void readFrames();
    void control(const QString &data);
    void fail(const QString &reason, bool refused = false);

    QString m_host;
    Timing m_timing;
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
