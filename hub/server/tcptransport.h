// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hub's transport over TCP: non-blocking sockets in one epoll set that a single
// QSocketNotifier watches. A pass over the set costs what the sockets with
// work cost, however many are open, and bytes queued for a connection during
// a pass go out in one write at its end. Qt's own sockets cost the event
// loop time for every open socket on every pass, which at thousands of
// players is most of the hub's time.
//
// Given a TlsContext, every connection accepted speaks TLS 1.3 and the same
// bytes run inside. Browsers come to the same port: a connection whose first
// bytes are an HTTP GET is a browser's (webconnection.h), served the page or
// carried as a WebSocket, and its handler hears the game link's frames as
// from a window. The handler hears of a connection when it is accepted,
// before any socket option, TLS session or handshake is spent on it, so a
// connection it refuses then (too many from its address) costs next to
// nothing and is closed at once, and one in its handshake counts as open. A
// failed handshake closes the connection at once, and one not done within
// the handshake deadline (sniffing its first byte included) is closed then,
// the handler told.

#include "server/transport.h"
#include "server/uniquefd.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

class Listener;
class QSocketNotifier;
class QTimer;
class TlsContext;

class TcpTransport : public QObject, public Transport
{
    Q_OBJECT
public:
    explicit TcpTransport(QObject *parent = nullptr);
    // tls, when not null, must outlive the connections.
    explicit TcpTransport(TlsContext *tls, QObject *parent = nullptr);
    ~TcpTransport() override; // closes every connection without telling the handler

    static constexpr int HandshakeWithinMs = 10000;
    // The time a TLS connection has from its accept to the end of its handshake.
    void SetHandshakeDeadline(int ms) { m_handshakeWithinMs = ms; }
    // Over TLS, whether browsers may also fetch the page and play over
    // plain HTTP on the same port (they cannot pin a self-signed
    // certificate as windows do). Without TLS they always do.
    void ServePlainWeb(bool plain);

    bool Listen(const QHostAddress &address, quint16 port);
    quint16 Port() const;
    QString ErrorString() const;

    // Bytes sent are written at the end of the current pass, or on the next
    // turn of the event loop when no pass is running; what waits is what the
    // kernel has not taken yet.
    qint64 Send(quint64 id, const QByteArray &bytes) override;
    qint64 Queued(quint64 id) const override;
    qint64 QueuedTotal() const override { return m_queuedTotal; }
    QHostAddress PeerAddress(quint64 id) const override;
    void Abort(quint64 id) override;
    // A connection still in its TLS handshake closes at once: nothing queued could reach it before one.
    void Close(quint64 id) override;

signals:
    // One line for the hub's log.
    void Log(const QString &line);

private:
    struct Connection;
    void accept(UniqueFd fd, const QHostAddress &peer);
    void pass();
    // Options, TLS session and the epoll set for a connection the handler kept.
    void admit(Connection &connection);
    // Closes at once a connection the handler refused in Opened.
    void closeRefused(Connection &connection);
    // Over TLS: waits for the first byte, then starts TLS, or reads plain HTTP.
    void sniff(Connection &connection);
    // Whether a connection carries a window's frames or a browser's HTTP,
    // from the first byte it sends.
    void decide(Connection &connection, char first);
    // A browser's bytes; false when the connection is gone or ends.
    bool receiveWeb(Connection &connection, const char *data, qint64 size, bool closing);
    // Bytes were added to what waits for the connection: written at the end of the pass.
    void queued(Connection &connection, qint64 added);
    void handshake(Connection &connection);
    void expireHandshakes();
    void read(Connection &connection);
    void flush();
    void write(Connection &connection);
    // Watches for room to write, or stops; false when the epoll set refused
    // and the connection was lost.
    bool watch(Connection &connection, bool forWriting);
    void finish(Connection &connection);
    // The peer closed or the connection failed: the handler hears of it unless Close was called.
    void lose(Connection &connection);
    void close(quint64 id, bool reset);

    TlsContext *m_tls = nullptr;
    Listener *m_listener = nullptr;
    UniqueFd m_epoll;
    QSocketNotifier *m_notifier = nullptr;
    quint64 m_nextId = 1;
    quint64 m_opening = 0; // the connection whose Opened is running
    std::unordered_map<quint64, std::unique_ptr<Connection>> m_connections;
    std::vector<quint64> m_dirty; // connections with bytes queued in this pass
    qint64 m_queuedTotal = 0;
    bool m_inPass = false;
    bool m_flushPosted = false;
    // TLS connections in order of accept, each with its deadline: the
    // earliest is always first, so one timer serves them all.
    struct Deadline
    {
        qint64 atMs;
        quint64 id;
    };
    std::deque<Deadline> m_handshakes;
    QTimer *m_handshakeTimer = nullptr;
    QElapsedTimer m_clock;
    int m_handshakeWithinMs = HandshakeWithinMs;
    bool m_plainWeb = false;
};
