// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/hostaddresses.h"

#include <QNetworkInterface>

namespace HostAddresses {

QList<QHostAddress> Reachable(const QList<QHostAddress> &candidates)
{
    QList<QHostAddress> routable, linkLocal, loopback;
    for (QHostAddress address : candidates) {
        if (address.protocol() == QAbstractSocket::IPv6Protocol) {
            bool mapped = false;
            const quint32 v4 = address.toIPv4Address(&mapped);
            if (mapped)
                address = QHostAddress(v4);
        }
        QList<QHostAddress> &kind = address.isLoopback() ? loopback : address.isLinkLocal() ? linkLocal : routable;
        if (!address.isNull() && !address.isMulticast() && !kind.contains(address))
            kind.append(address);
    }
    return !routable.isEmpty() ? routable : !linkLocal.isEmpty() ? linkLocal : loopback;
}

QList<QHostAddress> OfThisMachine()
{
    QList<QHostAddress> addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if (!interface.flags().testFlags(QNetworkInterface::IsUp | QNetworkInterface::IsRunning))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries())
            addresses.append(entry.ip());
    }
    return Reachable(addresses);
}

QList<Invitation::Endpoint> ForInvitation(const QStringList &given,
                                          const std::optional<Invitation::Endpoint> &forwarded,
                                          const QList<QHostAddress> &local, quint16 port)
{
    QList<Invitation::Endpoint> endpoints;
    for (const QString &name : given)
        endpoints.append({name, port});
    if (forwarded)
        endpoints.append(*forwarded);
    for (QHostAddress address : local) {
        address.setScopeId(QString()); // the interface's name on this machine means nothing on another
        endpoints.append({address.toString(), port});
    }
    return endpoints;
}

} // namespace HostAddresses
