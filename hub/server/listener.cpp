// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/listener.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// TcpTransport accepted per wake-up, so a crowd arriving cannot starve the rest.
constexpr int AcceptsPerWake = 64;

} // namespace

Listener::Listener(Accepted accepted, QObject *parent)
    : QObject(parent)
    , m_accepted(std::move(accepted))
    , m_pause(new QTimer(this))
{
    m_pause->setObjectName(QStringLiteral("acceptPause"));
    m_pause->setSingleShot(true);
    connect(m_pause, &QTimer::timeout, this, [this] { m_notifier->setEnabled(true); });
}

Listener::~Listener()
{
    delete m_notifier; // before its socket closes
}

bool Listener::Listen(const QHostAddress &address, quint16 port)
{
    sockaddr_storage where = {};
    socklen_t size = 0;
    const bool v4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    if (v4) {
        auto *in = reinterpret_cast<sockaddr_in *>(&where);
        *in = {AF_INET, htons(port), {htonl(address.toIPv4Address())}, {}};
        size = sizeof *in;
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&where);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        size = sizeof *in6;
    }
    UniqueFd fd(::socket(where.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1, off = 0;
    // "Any" is both families; an IPv6 address is that address alone.
    const int v6only = address == QHostAddress::Any ? off : on;
    if (!fd.Valid() || ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0
        || (!v4 && ::setsockopt(fd.Get(), IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only) != 0)
        || ::bind(fd.Get(), reinterpret_cast<const sockaddr *>(&where), size) != 0
        || ::listen(fd.Get(), SOMAXCONN) != 0) {
        m_error = QString::fromLocal8Bit(strerror(errno));
        return false;
    }
    m_fd = std::move(fd);
    m_notifier = new QSocketNotifier(m_fd.Get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Listener::acceptWaiting);
    return true;
}

quint16 Listener::Port() const
{
    sockaddr_storage where = {};
    socklen_t size = sizeof where;
    if (!m_fd.Valid() || ::getsockname(m_fd.Get(), reinterpret_cast<sockaddr *>(&where), &size) != 0)
        return 0;
    return ntohs(where.ss_family == AF_INET ? reinterpret_cast<sockaddr_in *>(&where)->sin_port
                                            : reinterpret_cast<sockaddr_in6 *>(&where)->sin6_port);
}

void Listener::acceptWaiting()
{
    for (int i = 0; i < AcceptsPerWake; ++i) {
        sockaddr_storage from = {};
        socklen_t size = sizeof from;
        UniqueFd fd(::accept4(m_fd.Get(), reinterpret_cast<sockaddr *>(&from), &size, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (fd.Valid()) {
            m_saidPaused = false;
            const QHostAddress peer(reinterpret_cast<const sockaddr *>(&from));
            bool mapped = false;
            const quint32 v4 = peer.toIPv4Address(&mapped);
            m_accepted(std::move(fd), mapped ? QHostAddress(v4) : peer);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // The connection waits in the kernel's queue until a descriptor is free.
            m_notifier->setEnabled(false);
            m_pause->start(PauseMs);
            if (!std::exchange(m_saidPaused, true))
                emit Log(
                    QStringLiteral("cannot accept a connection (%1): accepting pauses for %2 ms at a time until it can")
                        .arg(QString::fromLocal8Bit(strerror(errno)))
                        .arg(PauseMs));
            return;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        }
        // Any other error ended one connection in the queue, not the listener.
    }
}
