// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/tcptransport.h"
#include "server/tcpconnection.h"

#include "link/hubcontrol.h"
#include "server/listener.h"
#include "server/socketstream.h"
#include "server/tlscontext.h"
#include "server/webconnection.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int EventsPerWait = 256;
// Waits per pass before Qt gets its turn (new connections, timers).
constexpr int WaitsPerPass = 16;
// Reads per connection per wait, so one busy sender cannot starve the rest.
constexpr int ReadsPerEvent = 4;
// How long a connection being closed may take to take what is queued for it.
constexpr int CloseWithinMs = 10000;

} // namespace

TcpTransport::TcpTransport(QObject *parent)
    : TcpTransport(nullptr, parent)
{}

TcpTransport::TcpTransport(TlsContext *tls, QObject *parent)
    : QObject(parent)
    , m_tls(tls)
    , m_epoll(epoll_create1(EPOLL_CLOEXEC))
{
    if (!m_epoll.Valid())
        qFatal("cannot create the hub's epoll set: %s", strerror(errno));
    m_listener = new Listener([this](UniqueFd fd, const QHostAddress &peer) { accept(std::move(fd), peer); }, this);
    connect(m_listener, &Listener::Log, this, &TcpTransport::Log);
    m_notifier = new QSocketNotifier(m_epoll.Get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TcpTransport::pass);
    m_handshakeTimer = new QTimer(this);
    m_handshakeTimer->setObjectName(QStringLiteral("handshakeDeadline"));
    m_handshakeTimer->setSingleShot(true);
    connect(m_handshakeTimer, &QTimer::timeout, this, &TcpTransport::expireHandshakes);
    m_clock.start();
}

TcpTransport::~TcpTransport()
{
    delete m_notifier; // before the epoll set closes
}

bool TcpTransport::Listen(const QHostAddress &address, quint16 port) { return m_listener->Listen(address, port); }
quint16 TcpTransport::Port() const { return m_listener->Port(); }
QString TcpTransport::ErrorString() const { return m_listener->ErrorString(); }

void TcpTransport::pass()
{
    m_inPass = true;
    epoll_event events[EventsPerWait];
    for (int wait = 0; wait < WaitsPerPass; ++wait) {
        const int count = epoll_wait(m_epoll.Get(), events, EventsPerWait, 0);
        for (int i = 0; i < count; ++i) {
            // An event may name a connection closed earlier in this pass.
            const auto found = m_connections.find(events[i].data.u64);
            if (found == m_connections.end())
                continue;
            const quint64 id = found->first;
            Connection &connection = *found->second;
            if (connection.sniffing) {
                sniff(connection);
                continue;
            }
            if (connection.handshaking) {
                handshake(connection);
                continue;
            }
            const bool readable = events[i].events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR);
            const bool writable = events[i].events & EPOLLOUT;
            // Whether a write goes on depends on what it waited for before this read.
            const bool writes = connection.waits.WriteGoesOn(readable, writable);
            if (connection.waits.ReadGoesOn(readable, writable)) {
                read(connection);
                if (!m_connections.count(id))
                    continue;
            }
            if (writes)
                write(connection);
        }
        if (count < EventsPerWait)
            break;
    }
    flush();
    m_inPass = false;
}

void TcpTransport::handshake(Connection &connection)
{
    const quint64 id = connection.id;
    switch (connection.stream.Handshake()) {
    case StreamStep::Readable:
        watch(connection, false);
        return;
    case StreamStep::Writable:
        watch(connection, true);
        return;
    case StreamStep::Ended:
        // Not TLS, or a peer that gave up: closed at once, like any failed connection.
        lose(connection);
        return;
    case StreamStep::None:
        connection.handshaking = false;
        break;
    }
    // What was queued during the handshake goes first, then what came after it.
    write(connection);
    if (m_connections.count(id))
        read(connection);
}

void TcpTransport::read(Connection &connection)
{
    const quint64 id = connection.id;
    char buffer[65536];
    for (int round = 0; round < ReadsPerEvent; ++round) {
        // The handler may have closed it in the round before.
        const bool closing = connection.closing;
        const StreamStep step = connection.stream.Read(buffer, sizeof buffer);
        if (step.wait == StreamStep::Ended) {
            lose(connection);
            return;
        }
        connection.waits.Read(step.wait);
        if (step.wait != StreamStep::None) {
            watch(connection, connection.waits.WatchWritable());
            return;
        }
        const qint64 got = step.bytes;
        if (connection.kind == Connection::Kind::Unknown)
            decide(connection, buffer[0]);
        if (connection.web) {
            if (!receiveWeb(connection, buffer, got, closing))
                return;
        } else if (!closing) {
            // What a connection being closed still sends is read only to be dropped.
            m_handler->Received(id, buffer, got);
        }
        // The handler may have aborted this connection, which is then gone.
        if (!m_connections.count(id))
            return;
        // A TLS read stops short of the end when no whole record fits.
        const qint64 full = qint64(sizeof buffer) - (connection.stream.Tls() ? SocketStream::MaxRecord : 0);
        if (got < full)
            return;
    }
}

qint64 TcpTransport::Send(quint64 id, const QByteArray &bytes)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end() || found->second->closing)
        return 0;
    Connection &connection = *found->second;
    const qint64 before = connection.out.size();
    if (connection.web)
        connection.web->Send(bytes);
    else
        connection.out.append(bytes);
    queued(connection, connection.out.size() - before);
    return connection.out.size() - connection.outAt;
}

void TcpTransport::queued(Connection &connection, qint64 added)
{
    m_queuedTotal += added;
    const quint64 id = connection.id;
    if (!connection.dirty) {
        connection.dirty = true;
        m_dirty.push_back(id);
    }
    if (!m_inPass && !m_flushPosted) {
        m_flushPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_flushPosted = false;
                flush();
            },
            Qt::QueuedConnection);
    }
}

qint64 TcpTransport::Queued(quint64 id) const
{
    const auto found = m_connections.find(id);
    return found == m_connections.end() ? 0 : found->second->out.size() - found->second->outAt;
}

QHostAddress TcpTransport::PeerAddress(quint64 id) const
{
    const auto found = m_connections.find(id);
    return found == m_connections.end() ? QHostAddress() : found->second->peer;
}

void TcpTransport::flush()
{
    // A failed write closes a connection, and the handler may queue more
    // for others then: go on until nothing is left.
    while (!m_dirty.empty()) {
        const std::vector<quint64> dirty = std::exchange(m_dirty, {});
        for (quint64 id : dirty) {
            const auto found = m_connections.find(id);
            if (found == m_connections.end())
                continue;
            found->second->dirty = false;
            write(*found->second);
        }
    }
}

void TcpTransport::write(Connection &connection)
{
    // Until its handshake is done, what is sent to a connection waits.
    if (connection.sniffing || connection.handshaking)
        return;
    while (connection.outAt < connection.out.size()) {
        const char *data = connection.out.constData() + connection.outAt;
        const qint64 size = connection.out.size() - connection.outAt;
        const StreamStep step = connection.stream.Write(data, size);
        if (step.wait != StreamStep::None) {
            if (step.wait != StreamStep::Ended) {
                // Drop what was written only once it is half the buffer:
                // no quadratic copying for a reader that is merely behind.
                if (connection.outAt >= connection.out.size() / 2) {
                    connection.out.remove(0, connection.outAt);
                    connection.outAt = 0;
                }
                connection.waits.Write(step.wait);
                watch(connection, connection.waits.WatchWritable());
                return;
            }
            lose(connection);
            return;
        }
        connection.outAt += step.bytes;
        m_queuedTotal -= step.bytes;
    }
    connection.out.clear();
    connection.outAt = 0;
    connection.waits.Write(StreamStep::None);
    if (watch(connection, connection.waits.WatchWritable()) && connection.closing)
        finish(connection);
}

bool TcpTransport::watch(Connection &connection, bool forWriting)
{
    if (connection.watchingWrites == forWriting)
        return true;
    connection.watchingWrites = forWriting;
    epoll_event event = {};
    event.events = EPOLLIN | EPOLLRDHUP | (forWriting ? uint32_t(EPOLLOUT) : 0u);
    event.data.u64 = connection.id;
    if (epoll_ctl(m_epoll.Get(), EPOLL_CTL_MOD, connection.fd.Get(), &event) == 0)
        return true;
    // Watched for the wrong readiness, the connection would stall unseen.
    emit Log(QStringLiteral("cannot watch the connection from %1 (%2); it is closed")
                 .arg(connection.peer.toString(), QString::fromLocal8Bit(strerror(errno))));
    lose(connection);
    return false;
}

void TcpTransport::lose(Connection &connection)
{
    const quint64 id = connection.id;
    const bool closing = connection.closing;
    close(id, false);
    if (!closing)
        m_handler->Closed(id);
}

void TcpTransport::Abort(quint64 id) { close(id, true); }

void TcpTransport::Close(quint64 id)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end() || found->second->closing)
        return;
    Connection &connection = *found->second;
    if (connection.web) {
        const qint64 before = connection.out.size();
        connection.web->Close();
        queued(connection, connection.out.size() - before);
    }
    connection.closing = true;
    if (id == m_opening)
        return; // refused as it was accepted: accept() closes it at once
    if (connection.handshaking) {
        close(id, false); // nothing queued could reach it before a handshake
        return;
    }
    // A peer that takes nothing more must not hold its connection for ever.
    QTimer::singleShot(CloseWithinMs, this, [this, id] { close(id, true); });
    if (connection.out.size() == connection.outAt)
        finish(connection);
}

void TcpTransport::finish(Connection &connection)
{
    // The end of the stream follows what was written. The socket itself
    // closes once the peer has closed its side: closing it while the peer
    // still sends would answer with a reset that can destroy what the peer
    // has not read yet.
    connection.stream.Shutdown();
    ::shutdown(connection.fd.Get(), SHUT_WR);
}

void TcpTransport::close(quint64 id, bool reset)
{
    const auto found = m_connections.find(id);
    if (found == m_connections.end())
        return;
    const int fd = found->second->fd.Get();
    m_queuedTotal -= found->second->out.size() - found->second->outAt;
    if (reset) {
        // A reset frees the kernel's buffers at once; a reader cut off for
        // being slow would otherwise keep them filled until it caught up.
        const linger now = {1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    }
    epoll_ctl(m_epoll.Get(), EPOLL_CTL_DEL, fd, nullptr);
    m_connections.erase(found);
}
