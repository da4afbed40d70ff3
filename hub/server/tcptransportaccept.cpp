// SPDX-License-Identifier: GPL-3.0-or-later
// A connection's way in: the handler's say before anything is spent on it,
// the socket's options and the epoll set, and the deadline of a TLS
// handshake.
#include "server/tcptransport.h"
#include "server/tcpconnection.h"

#include "link/hubcontrol.h"

#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>

namespace {

// The kernel's send buffer per connection. Left to itself Linux lets it grow
// to megabytes for a peer that does not read, all held before the hub sees
// anything queued; game records are small, and this is plenty for them.
constexpr int SendBufferBytes = 64 * 1024;

} // namespace

void TcpTransport::accept(UniqueFd fd, const QHostAddress &peer)
{
    auto made = std::make_unique<Connection>(std::move(fd));
    const quint64 id = made->id = m_nextId++;
    made->peer = peer;
    // Over TLS, the first byte tells a window's handshake from a browser's
    // plain HTTP; until TLS is established the handshake deadline runs.
    made->sniffing = made->handshaking = m_tls != nullptr;
    Connection &connection = *m_connections.emplace(id, std::move(made)).first->second;
    // A crowd from one address is refused here, before it costs a TLS
    // session or holds a descriptor through a handshake.
    m_opening = id;
    m_handler->Opened(id);
    m_opening = 0;
    if (!m_connections.count(id))
        return;
    if (connection.closing)
        closeRefused(connection);
    else
        admit(connection);
}

void TcpTransport::closeRefused(Connection &connection)
{
    // Plain, the refusal goes out in one write, which an empty socket takes
    // whole. Its descriptor is freed now rather than held until the peer
    // closes, so silent connections hold none; what the peer sent already
    // is read away first, as unread bytes would make the close a reset that
    // can destroy the refusal before the peer reads it.
    const int fd = connection.fd.Get();
    if (!m_tls) {
        const qsizetype size = connection.out.size() - connection.outAt;
        ::send(fd, connection.out.constData() + connection.outAt, size_t(size), MSG_NOSIGNAL | MSG_DONTWAIT);
        ::shutdown(fd, SHUT_WR);
        char unread[4096];
        while (::recv(fd, unread, sizeof unread, MSG_DONTWAIT) > 0) {}
    }
    // Not a reset: a peer still connecting takes a reset for a refused
    // connection and tries again at once, over and over.
    close(connection.id, false);
}

void TcpTransport::admit(Connection &connection)
{
    const int fd = connection.fd.Get();
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    HubControl::WatchForDeadPeer(fd);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &SendBufferBytes, sizeof SendBufferBytes);
    epoll_event event = {};
    event.events = EPOLLIN | EPOLLRDHUP;
    event.data.u64 = connection.id;
    if (epoll_ctl(m_epoll.Get(), EPOLL_CTL_ADD, fd, &event) != 0) {
        lose(connection);
        return;
    }
    if (!m_tls)
        return;
    m_handshakes.push_back({m_clock.elapsed() + m_handshakeWithinMs, connection.id});
    if (!m_handshakeTimer->isActive())
        m_handshakeTimer->start(m_handshakeWithinMs);
}

void TcpTransport::expireHandshakes()
{
    const qint64 now = m_clock.elapsed();
    int expired = 0;
    while (!m_handshakes.empty() && m_handshakes.front().atMs <= now) {
        const auto found = m_connections.find(m_handshakes.front().id);
        m_handshakes.pop_front();
        if (found != m_connections.end() && found->second->handshaking) {
            ++expired;
            lose(*found->second);
        }
    }
    if (expired > 0)
        emit Log(QStringLiteral("closed %1 connection(s) that did not finish their TLS handshake within %2 s")
                     .arg(expired)
                     .arg(m_handshakeWithinMs / 1000.0));
    if (!m_handshakes.empty())
        m_handshakeTimer->start(int(std::max<qint64>(0, m_handshakes.front().atMs - now)));
}
