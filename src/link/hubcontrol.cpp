// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/hubcontrol.h"

#include "link/linkrecord.h"

#include <algorithm>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace HubControl {

QString PingDelivery() { return Sender + LinkRecord::Separator + Ping; }

QString RefusalDelivery(const QString &text)
{
    return Sender + LinkRecord::Separator + Refused + LinkRecord::Separator + text;
}

QString Delivery(const QString &verb, const QString &text)
{
    return Sender + LinkRecord::Separator + verb + (text.isEmpty() ? QString() : LinkRecord::Separator + text);
}

Control Read(const QString &data)
{
    const qsizetype cut = data.indexOf(LinkRecord::Separator);
    if (cut < 0)
        return {data, {}};
    return {data.left(cut), data.mid(cut + 1)};
}

bool WatchForDeadPeer(qintptr descriptor)
{
    // Idle: 20 s of quiet, then 4 probes 5 s apart. Sending: unacknowledged
    // data for SilenceMs ends the connection, which keepalive alone never
    // does while retransmissions go on.
    const int on = 1, idleS = 20, intervalS = 5, probes = 4;
    const int fd = int(descriptor);
    return fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0
        && ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleS, sizeof idleS) == 0
        && ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalS, sizeof intervalS) == 0
        && ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes) == 0
        && GiveUpUnacknowledgedAfter(descriptor, SilenceMs);
}

bool GiveUpUnacknowledgedAfter(qintptr descriptor, int ms)
{
    const unsigned timeoutMs = unsigned(std::max(ms, 1));
    return descriptor >= 0
        && ::setsockopt(int(descriptor), IPPROTO_TCP, TCP_USER_TIMEOUT, &timeoutMs, sizeof timeoutMs) == 0;
}

} // namespace HubControl
