// SPDX-License-Identifier: GPL-3.0-or-later
// The host's requests about the room, and what the hub says of the room
// (docs/protocol.md, "The room").
#include "link/tcpgamelink.h"

#include "link/linkrecord.h"
#include "link/roomrequest.h"
#include "support/playername.h"

#include <QTcpSocket>

bool TcpGameLink::AskRoom(const QString &verb, const QString &name)
{
    // A hub that never said it runs a room would close the connection on a
    // record it does not know.
    if (!m_runsRoom || !m_socket || m_state != State::Joined)
        return false;
    write(LinkRecord::Room(m_join.key, verb, name));
    return true;
}

void TcpGameLink::roomChanged(const QString &text)
{
    m_runsRoom = true;
    const qsizetype cut = text.indexOf(LinkRecord::Separator);
    const QString verb = cut < 0 ? text : text.left(cut);
    const QString name = cut < 0 ? QString() : text.mid(cut + 1);
    // Removed for good: trying to come back would only be refused.
    if (RoomRequest::Read(verb) == RoomRequest::Verb::Remove
        && PlayerName::SameNameKey(name) == PlayerName::SameNameKey(m_join.name))
        Leave();
    emit RoomChanged(verb, name);
}
