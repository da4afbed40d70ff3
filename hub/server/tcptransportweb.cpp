// SPDX-License-Identifier: GPL-3.0-or-later
// The part of TcpTransport that tells browsers from windows on the one port
// and carries a browser's HTTP and WebSocket (webconnection.h).
#include "server/tcpconnection.h"
#include "server/tlscontext.h"

#include <QTimer>

#include <cerrno>

#include <sys/socket.h>

namespace {

// A TLS handshake starts with a handshake record; a frame of the game link
// with the high byte of its length, which is never this large.
constexpr char TlsHandshake = 0x16;
// Every request a browser makes of the hub is a GET.
constexpr char HttpGet = 'G';

} // namespace

void TcpTransport::ServePlainWeb(bool plain) { m_plainWeb = plain; }

void TcpTransport::sniff(Connection &connection)
{
    char first = 0;
    const ssize_t got = ::recv(connection.fd.Get(), &first, 1, MSG_PEEK);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (got <= 0) {
        lose(connection);
        return;
    }
    connection.sniffing = false;
    const quint64 id = connection.id;
    if (first == HttpGet && m_plainWeb) {
        connection.handshaking = false; // plain: no handshake to wait for
        read(connection);
    } else if (first != TlsHandshake || !connection.stream.StartTls(m_tls->Native())) {
        // Not TLS, and not a browser this hub serves in plain: closed at once.
        lose(connection);
        return;
    } else {
        handshake(connection);
    }
    // What the hub queued meanwhile (a refusal) goes out now.
    if (m_connections.count(id))
        write(connection);
}

void TcpTransport::decide(Connection &connection, char first)
{
    if (first != HttpGet) {
        connection.kind = Connection::Kind::Frames;
        return;
    }
    connection.kind = Connection::Kind::Web;
    connection.web = std::make_unique<WebConnection>(connection.out);
    // A browser's request must come whole and soon; the game link after it
    // has the hub's own timeouts.
    const quint64 id = connection.id;
    QTimer::singleShot(WebConnection::HeadWithinMs, this, [this, id] {
        const auto found = m_connections.find(id);
        if (found != m_connections.end() && !found->second->web->Upgraded() && !found->second->closing)
            lose(*found->second);
    });
}

bool TcpTransport::receiveWeb(Connection &connection, const char *data, qint64 size, bool closing)
{
    const quint64 id = connection.id;
    QByteArray frames;
    const qint64 before = connection.out.size();
    const WebConnection::Step step = connection.web->Received(data, size, frames);
    queued(connection, connection.out.size() - before);
    if (!frames.isEmpty() && !closing) {
        m_handler->Received(id, frames.constData(), frames.size());
        // The handler may have aborted this connection, which is then gone.
        if (!m_connections.count(id))
            return false;
    }
    switch (step) {
    case WebConnection::Step::Going:
        return true;
    case WebConnection::Step::Failed:
        lose(connection);
        return false;
    case WebConnection::Step::Finished:
        break;
    }
    // A file served, or a link the browser ended: the hub hears the
    // connection is gone, and it closes once its answer is written.
    if (!connection.closing) {
        Close(id);
        m_handler->Closed(id);
    }
    return false;
}
