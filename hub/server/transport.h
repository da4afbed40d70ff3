// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the hub reaches its players: connections that carry bytes both ways,
// each named by an id that is never used again. The hub knows only this
// interface; TcpTransport serves it over TCP, and tests serve it from memory.
// Whatever else a transport learns about a connection (its peer's address,
// its encryption) stays behind it, to be asked for by the same id.

#include <QByteArray>
#include <QHostAddress>

class Transport
{
public:
    // Hears of new connections, of bytes received, and of connections the
    // peer closed or that failed; never of those closed by Abort or Close.
    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual void Opened(quint64 id) = 0;
        virtual void Received(quint64 id, const char *data, qsizetype size) = 0;
        virtual void Closed(quint64 id) = 0;
    };

    virtual ~Transport() = default;
    void SetHandler(Handler &handler) { m_handler = &handler; }

    // Queues bytes to be written; the answer is how many bytes now wait to
    // be written to the connection, none once it is closed.
    virtual qint64 Send(quint64 id, const QByteArray &bytes) = 0;
    // Bytes waiting to be written to one connection, and to all together.
    virtual qint64 Queued(quint64 id) const = 0;
    virtual qint64 QueuedTotal() const = 0;
    // The address the connection comes from; null once it is closed.
    virtual QHostAddress PeerAddress(quint64 id) const = 0;
    // Closes at once with a reset: what is queued is thrown away.
    virtual void Abort(quint64 id) = 0;
    // Reads no more and closes once what is queued has been written; at
    // once when nothing could be written to it yet (a TLS handshake not done).
    virtual void Close(quint64 id) = 0;

protected:
    Handler *m_handler = nullptr;
};
