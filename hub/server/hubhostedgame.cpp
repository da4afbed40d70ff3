// SPDX-License-Identifier: GPL-3.0-or-later
// The one game of a hub that kalumo-hub host runs: held for its host, its
// host's window taking its seat back, and the game ended on purpose.
#include "server/hub.h"
#include "server/hubclient.h"

#include "link/hubcontrol.h"
#include "server/logtext.h"
#include "support/playername.h"

void Hub::HoldOneGame(const QString &key, const QString &hostName, const QString &hostSecret)
{
    m_onlyKey = key;
    m_rooms[key] = Room{hostSecret.toUtf8(), hostName, PlayerName::SameNameKey(hostName), {}, {}, false, false};
}

void Hub::retire(HubClient *client)
{
    m_games[client->key].removeOne(client);
    client->joined = false; // forgotten without a leave
    if (!client->absent)
        m_transport.Abort(client->id);
    forget(client);
}

bool Hub::isHost(const HubClient *client) const
{
    const auto room = m_rooms.constFind(client->key);
    return client->joined && room != m_rooms.cend() && !room->hostSecret.isEmpty()
        && client->nameKey == room->hostNameKey;
}

void Hub::EndGame()
{
    if (!m_onlyKey || m_ended)
        return;
    m_ended = true;
    const QVector<HubClient *> seats = m_games.take(*m_onlyKey);
    const QByteArray frame = Frame::Encode(HubControl::Delivery(HubControl::GameEnded, m_rooms.value(*m_onlyKey).hostName));
    for (HubClient *seat : seats) {
        seat->joined = false; // nobody is left to hear of a leave
        if (!seat->absent) {
            transmit(seat, frame);
            m_transport.Close(seat->id);
        }
        seat->dropping = true;
        forget(seat);
    }
    for (HubClient *display : m_displays.take(*m_onlyKey)) {
        display->joined = false;
        transmit(display, frame);
        m_transport.Close(display->id);
        display->dropping = true;
        forget(display);
    }
    emit Log(QStringLiteral("end: game %1 ended by its host").arg(LogText(*m_onlyKey)));
    emit GameEnded();
}
