// SPDX-License-Identifier: GPL-3.0-or-later
// Display seats: a screen for the room or a stream that follows a game's
// calls, stages and wins without being one of its players
// (docs/protocol.md, "Display seats").
#include "server/hub.h"
#include "server/hubclient.h"

#include "link/hubcontrol.h"

void Hub::joinDisplay(HubClient *client, const QString &key)
{
    if (refusedAtTheDoor(client, key))
        return;
    // A locked game still lets displays in: the lock keeps out players, and
    // a display has no seat to resume, so after a lost link it joins again.
    transmit(client, Frame::Encode(HubControl::Delivery(HubControl::Display)));
    if (const Room *room = roomOf(key); room && !room->hostName.isEmpty())
        transmit(client, Frame::Encode(HubControl::Delivery(HubControl::HostName, room->hostName)));
    transmit(client, heartbeatFrames());
    if (client->dropping)
        return;
    client->key = key;
    client->joined = true;
    client->display = true;
    m_displays[key].append(client);
    emit Log(QStringLiteral("display: %1").arg(describe(client)));
    tellRoom(client);
}

bool Hub::refusedFromDisplay(HubClient *client, QChar kind)
{
    // Answers, beats and the goodbye are all a display says. It has no seat,
    // so an acknowledgement would only make the hub keep deliveries for nobody.
    if (kind == u'P' || kind == u'B' || kind == u'X')
        return false;
    emit Log(QStringLiteral("refuse: %1: a display may not send a %2 record").arg(describe(client), kind));
    return true;
}

void Hub::leaveDisplay(HubClient *client)
{
    const auto displays = m_displays.find(client->key);
    if (displays != m_displays.end()) {
        displays->removeOne(client);
        if (displays->isEmpty())
            m_displays.erase(displays);
    }
    emit Log(QStringLiteral("leave: %1").arg(describe(client)));
}

void Hub::deliverToDisplays(const QString &key, const QByteArray &frame)
{
    // A copy of the list: a display too slow for its game is dropped while
    // the walk goes on.
    const QVector<HubClient *> displays = m_displays.value(key);
    for (HubClient *display : displays)
        sendTo(display, frame);
}
