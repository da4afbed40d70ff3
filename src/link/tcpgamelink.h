// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game link over TCP to kalumo-hub.
//
// Connect reaches the hub on the port given by the link number; the hub's
// host comes from KALUMO_LINK_HOST. With a fingerprint the link runs over
// TLS 1.3 and accepts the hub's certificate only when its SHA-256 is that
// fingerprint: no certificate authority is asked, and any other certificate
// fails the connection. Join sends the identify record, the host's secret
// when there is one, and the announce record; each message is a message
// record. Each record goes out as one frame, and each frame from the hub is
// one delivery, raised as
// TextReceived (docs/protocol.md), except the hub's
// control frames: the link answers a Ping itself, beats when the hub asks
// it to (and then gives the connection up when what it wrote stays
// unacknowledged), and a refusal ends the link with the hub's reason. A
// broken frame, a delivery without a sender and silence from a hub that has
// pinged before abort the connection.
//
// After the join a link that breaks reconnects by itself, waiting from
// retryFirstMs, doubling up to retryMaxMs, until the waits add up to
// retryForMs. With a seat from the hub it resumes it: the deliveries it
// missed arrive once each, in order, and the messages the hub never got are
// sent again; else, or when the hub refuses the resume, it joins afresh.

#include "link/framecodec.h"
#include "link/gamelink.h"
#include "link/hubcontrol.h"

#include <deque>

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
        int retryFirstMs = 500;
        int retryMaxMs = 10000;
        // Five minutes: long enough for a host to start a game again after
        // a crash, or after their machine restarted.
        int retryForMs = 300000;
    };

    explicit TcpGameLink(const QString &hubHost, QObject *parent = nullptr);
    TcpGameLink(const QString &hubHost, const Timing &timing, QObject *parent = nullptr);
    ~TcpGameLink() override; // leaves: a seat is given up at once, not kept for a return

    // KALUMO_LINK_HOST, or 127.0.0.1 when it is unset or empty.
    static QString HostFromEnvironment();
    // KALUMO_LINK_FINGERPRINT, as kalumo-hub's host and join give it a window.
    static QString FingerprintFromEnvironment();
    // Before Connect: the hub certificate's SHA-256, in hex; empty (as play
    // starts a window) for a plain link. One that is not 64 hex digits
    // fails the connection.
    void SetFingerprint(const QString &fingerprint) { m_fingerprint = fingerprint; }

    bool Connect(qint32 linkNumber) override;
    QString ErrorString() const override { return m_error; }
    std::optional<QString> Join(const JoinRequest &request, int timeoutMs) override;
    QString HostName() const override { return m_hostName; }
    bool SendMessage(const QString &messageText) override;
    void Leave() override;
    void EndGame() override;
    bool AskRoom(const QString &verb, const QString &name = {}) override;

private:
    enum class State { Joining, Joined, Away, Resuming, Rejoining, Ended };
    // Makes a new socket for the hub and starts connecting it.
    void connectToHub();
    void connected();
    bool pinned(const QSslSocket &socket) const;
    void readFrames();
    void control(const QString &data);
    void roomChanged(const QString &text);
    void fail(const QString &reason, bool refused = false);
    void retry();
    void backInGame();
    // The hub confirmed the join: the window's own "[Enter]", or for a
    // display seat the Display frame.
    void joinConfirmed();
    // The join's records: identify, the host's secret, announce.
    void writeJoin();
    void write(const QString &record);
    void startBeating(int beatMs);
    void stopBeating();

    QString m_host;
    quint16 m_port = 0;
    Timing m_timing;
    QString m_fingerprint;
    State m_state = State::Joining;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_silence = nullptr;
    QTimer *m_beat = nullptr; // runs out when nothing was written for a beat
    bool m_beating = false; // this connection's hub listens for beats
    QTimer *m_retry = nullptr; // the wait before the next attempt
    QTimer *m_attempt = nullptr; // an attempt's time to connect and get an answer
    int m_nextWaitMs = 0;
    int m_waitedMs = 0;
    Frame::Reader m_reader;
    QString m_secret; // the seat's, from the hub's Seat frame
    quint64 m_count = 0; // deliveries since then
    quint64 m_ackedAt = 0; // the count last acknowledged
    struct Sent
    {
        QString record, text;
    };
    std::deque<Sent> m_unechoed; // messages whose delivery has not come back
    QString m_error; // why Connect failed, or why the join failed
    JoinRequest m_join; // the game, and the name whose "[Enter]" confirms the join
    QString m_hostName; // from the hub's HostName frame
    QEventLoop *m_waiting = nullptr; // set while Join waits
    bool m_joined = false; // the join was confirmed, whatever came next
    bool m_runsRoom = false; // the hub has sent a Room frame: it takes the host's requests
};
