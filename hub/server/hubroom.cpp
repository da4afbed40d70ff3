// SPDX-License-Identifier: GPL-3.0-or-later
// The host runs the room: who may not come back, who may not speak, whether
// newcomers may join and whether calling is paused. Only the host's
// connection may ask; docs/protocol.md, "The room", describes the records.
#include "server/hub.h"
#include "server/hubclient.h"

#include "link/hubcontrol.h"
#include "link/linkrecord.h"
#include "link/roomrequest.h"
#include "server/logtext.h"
#include "support/playername.h"

using RoomRequest::Verb;

Hub::Room *Hub::roomOf(const QString &key)
{
    const auto room = m_rooms.find(key);
    return room == m_rooms.end() ? nullptr : &*room;
}

void Hub::openRoom(const HubClient *client, const QString &key, const QString &name)
{
    m_rooms[key] = Room{client->hostSecret, name, PlayerName::SameNameKey(name), {}, {}, false, false};
    emit Log(QStringLiteral("host: game %1: %2 holds the host's secret").arg(LogText(key), LogText(name)));
}

bool Hub::refusedByRoom(HubClient *client, const Room &room, const QString &name, const QString &nameKey)
{
    if (room.removed.contains(nameKey)) {
        refuse(client, QStringLiteral("%1 removed \"%2\" from this game.").arg(room.hostName, name),
               QStringLiteral("%1 was removed by the host").arg(LogText(name)));
        return true;
    }
    if (room.locked) {
        refuse(client, QStringLiteral("this game is locked by its host."),
               QStringLiteral("the game is locked for %1").arg(LogText(name)));
        return true;
    }
    return false;
}

void Hub::handleRoomRequest(HubClient *client, const QString &verb, const QString &name)
{
    const QString asked = LogText(name.isEmpty() ? verb : verb + QLatin1Char(' ') + name);
    Room *room = roomOf(client->key);
    if (!room || !isHost(client)) {
        // A forged request from a player's own program: the game never hears of it.
        emit Log(QStringLiteral("refuse: %1: %2: only the game's host may ask that").arg(describe(client), asked));
        return;
    }
    const std::optional<Verb> request = RoomRequest::Read(verb);
    if (!request || RoomRequest::NamesPlayer(*request) == name.isEmpty()) {
        emit Log(QStringLiteral("refuse: %1: %2: no such request").arg(describe(client), asked));
        return;
    }
    const QString nameKey = PlayerName::SameNameKey(name);
    HubClient *seat = nullptr;
    for (HubClient *player : m_games.value(client->key)) {
        if (player->nameKey == nameKey && player != client)
            seat = player;
    }
    QString subject = seat ? seat->name : QString(); // as the game spells it
    bool changed = true;
    switch (*request) {
    case Verb::Remove:
        if (seat) {
            removeFromRoom(client, *room, seat);
            return;
        }
        changed = false;
        break;
    case Verb::Mute:
        changed = seat && !room->muted.contains(nameKey);
        if (changed)
            room->muted.insert(nameKey, seat->name);
        break;
    case Verb::Unmute:
        changed = room->muted.contains(nameKey);
        subject = room->muted.take(nameKey);
        break;
    case Verb::Lock:
    case Verb::Unlock:
        changed = room->locked != (*request == Verb::Lock);
        room->locked = *request == Verb::Lock;
        break;
    case Verb::Pause:
    case Verb::Unpause:
        changed = room->paused != (*request == Verb::Pause);
        room->paused = *request == Verb::Pause;
        break;
    }
    if (!changed) {
        emit Log(QStringLiteral("room: %1: %2: nothing to change").arg(describe(client), asked));
        return;
    }
    emit Log(QStringLiteral("room: %1: %2").arg(describe(client), asked));
    announceRoom(client->key, verb, subject);
}

void Hub::removeFromRoom(HubClient *host, Room &room, HubClient *seat)
{
    room.removed.insert(seat->nameKey);
    room.muted.remove(seat->nameKey);
    emit Log(QStringLiteral("remove: %1: by %2").arg(describe(seat), LogText(host->name)));
    // The removed window hears it too, so it stops trying to come back; the
    // others then see the player go as any player goes.
    announceRoom(seat->key, RoomRequest::Word(Verb::Remove), seat->name);
    if (seat->forgotten)
        return;
    if (!seat->absent && !seat->dropping)
        m_transport.Close(seat->id);
    seat->dropping = true;
    forget(seat);
}

void Hub::tellRoom(HubClient *client)
{
    const Room *room = roomOf(client->key);
    if (!room)
        return;
    auto tell = [&](const QString &verb, const QString &name = {}) {
        const QString text = name.isEmpty() ? verb : verb + LinkRecord::Separator + name;
        transmit(client, Frame::Encode(HubControl::Delivery(HubControl::Room, text)));
    };
    tell({});
    if (room->locked)
        tell(RoomRequest::Locked);
    if (room->paused)
        tell(RoomRequest::Paused);
    for (const QString &name : room->muted)
        tell(RoomRequest::Muted, name);
}

void Hub::announceRoom(const QString &key, const QString &verb, const QString &name)
{
    const QString text = name.isEmpty() ? verb : verb + LinkRecord::Separator + name;
    const QByteArray frame = Frame::Encode(HubControl::Delivery(HubControl::Room, text));
    ++m_delivering;
    for (HubClient *player : m_games.value(key)) {
        if (!player->absent)
            transmit(player, frame);
    }
    doneDelivering();
}

bool Hub::mutedChat(HubClient *client, const QString &messageText)
{
    const Room *room = roomOf(client->key);
    if (!room || !room->muted.contains(client->nameKey) || !messageText.contains(u"Chat;"))
        return false;
    // Its own copy still comes back, so the sender's window does not wait
    // for it, or send it again, for ever.
    sendTo(client, Frame::Encode(client->name + LinkRecord::Separator + messageText));
    return true;
}
