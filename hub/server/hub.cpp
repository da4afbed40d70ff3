// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/hub.h"
#include "server/hubclient.h"

#include "link/invitation.h"
#include "link/linkrecord.h"
#include "server/logtext.h"
#include "support/playername.h"

#include <QTimer>

#include <algorithm>
#include <chrono>

Hub::Hub(Transport &transport)
    : Hub(transport, Limits{})
{}

Hub::Hub(Transport &transport, const Limits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
    , m_transport(transport)
    , m_clockMs(limits.clockMs)
{
    if (!m_clockMs) {
        m_clockMs = [] {
            using namespace std::chrono;
            return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
        };
    }
    m_transport.SetHandler(*this);
    auto *pinger = new QTimer(this);
    pinger->setObjectName(QStringLiteral("pinger"));
    connect(pinger, &QTimer::timeout, this, &Hub::heartbeat);
    pinger->start(std::max(1, m_limits.heartbeatMs / HeartbeatSlices));
}

Hub::~Hub() = default;

QStringList Hub::Players(const QString &key) const
{
    QStringList names;
    for (const HubClient *client : m_games.value(key))
        names << client->name;
    return names;
}

void Hub::Opened(quint64 id)
{
    const QHostAddress address = m_transport.PeerAddress(id);
    int &open = m_perAddress[address];
    if (open >= m_limits.maxPerAddress) {
        refuseCrowd(id, address);
        return;
    }
    ++open;
    auto *client = new HubClient(this);
    client->id = id;
    const qint64 now = m_clockMs();
    client->records = TokenBucket(m_limits.recordsPerSecond, m_limits.recordBurst, now);
    client->bytes = TokenBucket(m_limits.bytesPerSecond, m_limits.byteBurst, now);
    client->address = address;
    client->lastHeardMs = client->lastWrittenMs = now;
    m_clients.insert(id, client);
    // A connection that never joins must not hold its place for ever.
    QTimer::singleShot(m_limits.joinTimeoutMs, this, [this, id] {
        HubClient *client = m_clients.value(id);
        if (client && !client->joined)
            drop(client, QStringLiteral("did not join in time"));
    });
}

void Hub::Closed(quint64 id)
{
    if (HubClient *client = m_clients.value(id))
        forget(client, true);
}

void Hub::Received(quint64 id, const char *data, qsizetype size)
{
    HubClient *client = m_clients.value(id);
    if (!client || client->dropping)
        return;
    // Above its rates a connection is closed rather than slowed: the others
    // of its game must not pay for its records with their own queues.
    const qint64 now = m_clockMs();
    const QString tooFast = QStringLiteral("it sent more than the hub takes from one window.");
    if (!client->bytes.Take(double(size), now)) {
        refuse(client, tooFast, QStringLiteral("sends bytes too fast"));
        return;
    }
    if (heardFrom(client, now, QByteArrayView(data, size)))
        return;
    client->reader.Feed(data, size);
    while (!client->dropping) {
        const std::optional<QString> record = client->reader.Next();
        if (!record) {
            if (client->reader.Failed())
                drop(client, client->reader.Error());
            return;
        }
        if (!client->records.Take(1, now)) {
            refuse(client, tooFast, QStringLiteral("sends records too fast"));
            return;
        }
        handleRecord(client, *record);
        // A resume hands this connection, and what it sent next, to its seat.
        if (client->forgotten && !(client = m_clients.value(id)))
            return;
    }
}

void Hub::handleRecord(HubClient *client, const QString &record)
{
    const auto parsed = LinkRecord::Parse(record);
    if (!parsed) {
        drop(client, QStringLiteral("sent a record of no known form"));
        return;
    }
    if (client->display && refusedFromDisplay(client, parsed->kind))
        return;
    switch (parsed->kind.unicode()) {
    case 'I':
        return;
    case 'S':
        if (!client->joined)
            client->hostSecret = parsed->secret.toUtf8();
        return;
    case 'P':
        // Only a joined connection's answer under its own key counts.
        if (client->joined && parsed->key == client->key)
            client->answersPings = true;
        return;
    case 'B':
        if (client->joined && parsed->key == client->key)
            startBeating(client, record);
        return;
    case 'K':
        if (client->joined && parsed->key == client->key)
            acknowledge(client, parsed->count);
        return;
    case 'R':
        if (!client->joined)
            resume(client, parsed->key, parsed->name, parsed->secret, parsed->count);
        return;
    case 'X':
        if (client->joined && parsed->key == client->key) {
            client->dropping = true;
            m_transport.Close(client->id);
            forget(client);
        }
        return;
    case 'E':
        if (client->joined && parsed->key == client->key && isHost(client))
            EndGame();
        return;
    case 'D':
        if (!client->joined)
            joinDisplay(client, parsed->key);
        return;
    case 'A':
        if (!client->joined)
            join(client, parsed->key, parsed->name);
        return;
    case 'C':
        // Only into the sender's own game, and only under the name it joined with.
        if (client->joined && parsed->key == client->key && !mutedChat(client, parsed->messageText))
            deliver(client->key, client->name, parsed->messageText);
        return;
    case 'H':
        if (client->joined && parsed->key == client->key)
            handleRoomRequest(client, parsed->verb, parsed->name);
        return;
    }
}

bool Hub::refusedAtTheDoor(HubClient *client, const QString &key)
{
    if (m_onlyKey && key != *m_onlyKey) {
        refuse(client, QStringLiteral("there is no such game on this hub: check the invitation."),
               QStringLiteral("no game %1 on this hub").arg(LogText(key)));
        return true;
    }
    if (m_ended) {
        refuse(client, QStringLiteral("%1 ended this game.").arg(m_rooms.value(*m_onlyKey).hostName),
               QStringLiteral("the game has ended"));
        return true;
    }
    return false;
}

void Hub::join(HubClient *client, const QString &key, const QString &name)
{
    if (const QString refusal = PlayerName::Refusal(name); !refusal.isEmpty()) {
        refuse(client, QStringLiteral("this name cannot be used: %1.").arg(refusal),
               QStringLiteral("the name %1 in game %2: %3").arg(LogText(name), LogText(key), refusal));
        return;
    }
    if (refusedAtTheDoor(client, key))
        return;
    const QString nameKey = PlayerName::SameNameKey(name);
    if (!m_onlyKey && !m_games.contains(key) && !client->hostSecret.isEmpty())
        openRoom(client, key, name);
    Room *room = roomOf(key);
    const bool hostsName = room && !room->hostSecret.isEmpty() && nameKey == room->hostNameKey;
    if (hostsName && !SameSecret(client->hostSecret, room->hostSecret)) {
        refuse(client, QStringLiteral("the name \"%1\" belongs to this game's host.").arg(name),
               QStringLiteral("the host's name %1 without the host's secret").arg(LogText(name)));
        return;
    }
    if (!hostsName && room && refusedByRoom(client, *room, name, nameKey))
        return;
    // The host's window started again: its old seat goes without a word,
    // since for the others the host never left.
    HubClient *returning = nullptr;
    for (HubClient *other : m_games.value(key)) {
        if (other->nameKey == nameKey && hostsName)
            returning = other;
        else if (other->nameKey == nameKey) {
            refuse(client, QStringLiteral("the name \"%1\" is already taken in this game.").arg(name),
                   QStringLiteral("the name %1 is already taken in game %2").arg(LogText(name), LogText(key)));
            return;
        }
    }
    const bool wasAway = returning && returning->away;
    if (returning)
        retire(returning);
    QVector<HubClient *> &game = m_games[key];
    client->secret = Invitation::NewKey(); // as random as a game's key
    transmit(client, Frame::Encode(HubControl::Delivery(HubControl::Seat, client->secret)));
    client->keeping = true;
    if (hostsName)
        room->hostName = name;
    // Before the replay, so a window whose invitation names another host
    // learns it before it counts as joined (docs/protocol.md, "HostName").
    if (room && !room->hostName.isEmpty())
        transmit(client, Frame::Encode(HubControl::Delivery(HubControl::HostName, room->hostName)));
    transmit(client, heartbeatFrames());
    for (const HubClient *other : std::as_const(game))
        sendTo(client, Frame::Encode(Enter + LinkRecord::Separator + other->name));
    if (client->dropping) {
        if (game.isEmpty()) {
            m_games.remove(key); // nobody is in it: neither the game nor its room stays
            if (!m_onlyKey)
                m_rooms.remove(key);
        }
        return;
    }
    client->key = key;
    client->name = name;
    client->nameKey = nameKey;
    client->joined = true;
    game.append(client);
    emit Log(
        QStringLiteral("%1: %2").arg(returning ? QStringLiteral("back") : QStringLiteral("join"), describe(client)));
    if (returning)
        sendTo(client, Frame::Encode(Enter + LinkRecord::Separator + name));
    else
        deliver(key, Enter, name);
    tellWhoIsAway(client);
    tellRoom(client);
    if (wasAway)
        announce(client, HubControl::Back); // the others saw the host's old seat go away
}

void Hub::deliver(const QString &key, const QString &sender, const QString &data)
{
    const QByteArray frame = Frame::Encode(sender + LinkRecord::Separator + data);
    if (frame.isEmpty())
        return; // the sender's text is too long to deliver with its name
    // Dropping a slow reader changes the game's list, so drops wait until
    // the delivery is done.
    ++m_delivering;
    const auto game = m_games.constFind(key);
    if (game != m_games.cend()) {
        for (HubClient *player : *game)
            sendTo(player, frame);
    }
    deliverToDisplays(key, frame);
    doneDelivering();
}

void Hub::doneDelivering()
{
    if (--m_delivering > 0)
        return;
    const QVector<HubClient *> drops = std::exchange(m_pendingDrops, {});
    for (HubClient *client : drops)
        leave(client);
}

void Hub::sendTo(HubClient *client, const QByteArray &frame)
{
    if (client->dropping)
        return;
    ++client->sent;
    if (client->keeping)
        keep(client, frame);
    if (!client->absent)
        transmit(client, frame);
}

void Hub::transmit(HubClient *client, const QByteArray &frame)
{
    if (client->dropping)
        return;
    // Dropping throws away what waits, this frame included.
    client->lastWrittenMs = m_clockMs();
    const qint64 queued = m_transport.Send(client->id, frame);
    if (queued > m_limits.maxQueuedBytes)
        drop(client, QStringLiteral("reads too slowly (%1 bytes waiting)").arg(queued - frame.size()), true);
    else if (m_transport.QueuedTotal() > m_limits.maxQueuedTotal)
        trimQueues();
}

void Hub::trimQueues()
{
    // Rarely needed, so sorting every connection costs nothing that matters.
    QVector<std::pair<qint64, HubClient *>> waiting;
    for (HubClient *client : std::as_const(m_clients)) {
        if (!client->dropping)
            waiting.append({m_transport.Queued(client->id), client});
    }
    std::sort(waiting.begin(), waiting.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[queued, client] : waiting) {
        if (m_transport.QueuedTotal() <= m_limits.maxQueuedTotal)
            return;
        drop(client,
             QStringLiteral("has the most waiting (%1 bytes) when the hub holds more than %2 in all")
                 .arg(queued)
                 .arg(m_limits.maxQueuedTotal));
    }
}

void Hub::drop(HubClient *client, const QString &why, bool mayWait)
{
    if (client->dropping)
        return;
    client->dropping = true;
    emit Log(QStringLiteral("drop: %1: %2").arg(describe(client), why));
    m_transport.Abort(client->id);
    forget(client, mayWait);
}

void Hub::refuse(HubClient *client, const QString &text, const QString &why, const QString &verb)
{
    // The window learns why; the connection closes once that is written.
    transmit(client,
             Frame::Encode(verb.isEmpty() ? HubControl::RefusalDelivery(text) : HubControl::Delivery(verb, text)));
    if (client->dropping)
        return;
    client->dropping = true;
    emit Log(QStringLiteral("refuse: %1: %2").arg(describe(client), why));
    m_transport.Close(client->id);
    forget(client);
}

void Hub::refuseCrowd(quint64 id, const QHostAddress &address)
{
    // Thousands may come at once from one address: each is refused as
    // cheaply as can be, with no seat, and the log hears of the first and,
    // once the address is below its limit again, of how many followed.
    static const QByteArray refusal
        = Frame::Encode(HubControl::RefusalDelivery(QStringLiteral("too many connections come from this address.")));
    m_transport.Send(id, refusal);
    m_transport.Close(id);
    if (m_crowdRefusals[address]++ == 0)
        emit Log(QStringLiteral("refuse: connection: more than %1 connections from %2")
                     .arg(m_limits.maxPerAddress)
                     .arg(address.toString()));
}

void Hub::closedFrom(const QHostAddress &address)
{
    int &open = m_perAddress[address];
    const bool belowLimit = --open < m_limits.maxPerAddress;
    if (open <= 0)
        m_perAddress.remove(address);
    const auto refused = m_crowdRefusals.find(address);
    if (!belowLimit || refused == m_crowdRefusals.end())
        return;
    const int more = *refused - 1;
    m_crowdRefusals.erase(refused);
    if (more > 0)
        emit Log(QStringLiteral("refuse: %1 more connections from %2 while it had %3 open")
                     .arg(more)
                     .arg(address.toString())
                     .arg(m_limits.maxPerAddress));
}

QString Hub::describe(const HubClient *client) const
{
    if (client->display)
        return QStringLiteral("game %1: a display").arg(LogText(client->key));
    return client->joined ? QStringLiteral("game %1: %2").arg(LogText(client->key), LogText(client->name))
                          : QStringLiteral("connection");
}
