// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The places a hosted game's invitation names, in the order players try
// them: the names the host gave, the router's outside address when a port
// is forwarded there, then this machine's own addresses.

#include "link/invitation.h"

#include <QHostAddress>
#include <QList>
#include <optional>

namespace HostAddresses {

// The addresses among `candidates` a player may reach this machine by, in
// their order, each once: none on loopback or link-local, unless nothing
// else is there; then the link-local ones, else the loopback ones.
QList<QHostAddress> Reachable(const QList<QHostAddress> &candidates);
// Those of this machine's interfaces that are up.
QList<QHostAddress> OfThisMachine();

// The invitation's places for a hub listening on `port`.
QList<Invitation::Endpoint> ForInvitation(const QStringList &given,
                                          const std::optional<Invitation::Endpoint> &forwarded,
                                          const QList<QHostAddress> &local, quint16 port);

} // namespace HostAddresses
