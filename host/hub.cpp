#include "hub.h"

#include "link/framecodec.h"
#include "link/invitation.h"
#include "link/linkrecord.h"
#include "support/playername.h"
#include "logtext.h"
#include "tokenbucket.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <deque>

namespace {

// Takes as long for a wrong secret as for the right one, wherever the two
// differ, so timing a refusal tells nothing about the secret.
bool sameSecret(const QByteArray &a, const QByteArray &b)
{
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= uchar(a[i]) ^ uchar(b.isEmpty() ? 0 : b[i % b.size()]);
    return difference == 0;
}

} // namespace

// One connection. It is deleted with deleteLater only, so a handler that is
// still working with it when its connection goes away never touches freed
// memory.
struct HubClient : QObject
{
    using QObject::QObject;
    quint64 id = 0;
    Frame::Reader reader;
    QString key;
    QString name;
    QString nameKey; // the name as compared with the others of its game
    QByteArray hostSecret; // from the "S" record, UTF-8
    QHostAddress address;
    TokenBucket records;
    TokenBucket bytes;
    bool joined = false;
    bool answersPings = false;
    qint64 lastAnswerMs = 0; // on the hub's clock
    bool dropping = false;  // no more reading from or writing to it
    bool forgotten = false; // gone from m_clients; deleted soon

    // The seat, for a window that resumes: the deliveries since its Seat
    // frame that it has not acknowledged, sharing their bytes with the other
    // seats of the game. A window that never acknowledges is an older one:
    // once it answers a Ping or has more than oldAfter waiting, nothing is
    // kept for it any more.
    QString secret;
    std::deque<QByteArray> kept;
    quint64 sent = 0; // deliveries since the Seat frame
    qint64 keptBytes = 0;
    qsizetype oldAfter = 0;
    bool keeping = false;
    bool acked = false;
    bool absent = false; // no connection: waiting for a resume
    QTimer *grace = nullptr;
};

namespace {

// Deliveries an unacknowledged seat may have waiting, beyond its join's
// replay, before its window is taken as one that never resumes.
constexpr qsizetype OldWindowFrames = 1024;

// Each ping interval is cut into this many ticks (a second each by default).
constexpr int PingSlices = 15;

} // namespace

static const QString Enter = QStringLiteral("[Enter]");
static const QString Exit = QStringLiteral("[Exit]");

Hub::Hub(Transport &transport)
    : Hub(transport, Limits{})
{
}

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
    connect(pinger, &QTimer::timeout, this, &Hub::ping);
    pinger->start(std::max(1, m_limits.pingIntervalMs / PingSlices));
}

Hub::~Hub() = default;

QStringList Hub::Players(const QString &key) const
{
    QStringList names;
    for (const HubClient *client : m_games.value(key))
        names << client->name;
    return names;
}

void Hub::HoldOneGame(const QString &key, const QString &hostName, const QString &hostSecret)
{
    m_onlyKey = key;
    m_hostNameKey = PlayerName::SameNameKey(hostName);
    m_hostSecret = hostSecret.toUtf8();
}

void Hub::Opened(quint64 id)
{
    auto *client = new HubClient(this);
    client->id = id;
    const qint64 now = m_clockMs();
    client->records = TokenBucket(m_limits.recordsPerSecond, m_limits.recordBurst, now);
    client->bytes = TokenBucket(m_limits.bytesPerSecond, m_limits.byteBurst, now);
    client->address = m_transport.PeerAddress(id);
    m_clients.insert(id, client);
    if (++m_perAddress[client->address] > m_limits.maxPerAddress) {
        refuse(client, QStringLiteral("too many connections come from this address."),
               QStringLiteral("more than %1 connections from %2").arg(m_limits.maxPerAddress).arg(client->address.toString()));
        return;
    }
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
    switch (parsed->kind.unicode()) {
    case 'I':
        return;
    case 'S':
        if (!client->joined)
            client->hostSecret = parsed->secret.toUtf8();
        return;
    case 'P':
        // Only a joined connection's answer under its own key counts.
        if (client->joined && parsed->key == client->key) {
            client->answersPings = true;
            client->lastAnswerMs = m_clockMs();
            if (!client->acked)
                stopKeeping(client);
        }
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
    case 'A':
        if (!client->joined)
            join(client, parsed->key, parsed->name);
        return;
    case 'C':
        // Only into the sender's own game, and only under the name it joined with.
        if (client->joined && parsed->key == client->key)
            deliver(client->key, client->name, parsed->messageText);
        return;
    }
}

void Hub::join(HubClient *client, const QString &key, const QString &name)
{
    if (const QString refusal = PlayerName::Refusal(name); !refusal.isEmpty()) {
        refuse(client, QStringLiteral("this name cannot be used: %1.").arg(refusal),
               QStringLiteral("the name %1 in game %2: %3").arg(LogText(name), LogText(key), refusal));
        return;
    }
    if (m_onlyKey && key != *m_onlyKey) {
        refuse(client, QStringLiteral("there is no such game on this hub: check the invitation."),
               QStringLiteral("no game %1 on this hub").arg(LogText(key)));
        return;
    }
    const QString nameKey = PlayerName::SameNameKey(name);
    if (!m_hostSecret.isEmpty() && nameKey == m_hostNameKey && !sameSecret(client->hostSecret, m_hostSecret)) {
        refuse(client, QStringLiteral("the name \"%1\" belongs to this game's host.").arg(name),
               QStringLiteral("the host's name %1 without the host's secret").arg(LogText(name)));
        return;
    }
    for (const HubClient *other : m_games.value(key)) {
        if (other->nameKey == nameKey) {
            refuse(client, QStringLiteral("the name \"%1\" is already taken in this game.").arg(name),
                   QStringLiteral("the name %1 is already taken in game %2").arg(LogText(name), LogText(key)));
            return;
        }
    }
    QVector<HubClient *> &game = m_games[key];
    client->secret = Invitation::NewKey(); // as random as a game's key
    transmit(client, Frame::Encode(HubControl::Delivery(HubControl::Seat, client->secret)));
    client->keeping = true;
    client->oldAfter = game.size() + OldWindowFrames;
    for (const HubClient *other : std::as_const(game))
        sendTo(client, Frame::Encode(Enter + LinkRecord::Separator + other->name));
    if (client->dropping)
        return;
    client->key = key;
    client->name = name;
    client->nameKey = nameKey;
    client->joined = true;
    game.append(client);
    emit Log(QStringLiteral("join: %1").arg(describe(client)));
    deliver(key, Enter, name);
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
    --m_delivering;
    if (m_delivering == 0) {
        const QVector<HubClient *> drops = std::exchange(m_pendingDrops, {});
        for (HubClient *client : drops)
            leave(client);
    }
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

void Hub::keep(HubClient *client, const QByteArray &frame)
{
    client->kept.push_back(frame);
    client->keptBytes += frame.size();
    const bool over = client->acked ? client->kept.size() > size_t(m_limits.keptRecords) || client->keptBytes > m_limits.keptBytes
                                     : client->kept.size() > size_t(client->oldAfter);
    if (!over)
        return;
    if (client->absent) {
        emit Log(QStringLiteral("give up: %1: missed more than the hub keeps").arg(describe(client)));
        forget(client);
    } else {
        stopKeeping(client);
    }
}

void Hub::stopKeeping(HubClient *client)
{
    client->keeping = false;
    client->kept = {};
    client->keptBytes = 0;
}

void Hub::acknowledge(HubClient *client, quint64 count)
{
    client->acked = true;
    quint64 first = client->sent - client->kept.size();
    while (first < count && !client->kept.empty()) {
        client->keptBytes -= client->kept.front().size();
        client->kept.pop_front();
        ++first;
    }
}

void Hub::resume(HubClient *client, const QString &key, const QString &name, const QString &secret, quint64 count)
{
    HubClient *seat = nullptr;
    for (HubClient *player : m_games.value(key)) {
        if (player->name == name)
            seat = player;
    }
    const bool owner = seat && !secret.isEmpty() && sameSecret(seat->secret.toUtf8(), secret.toUtf8());
    if (!owner || !seat->keeping || count < seat->sent - seat->kept.size() || count > seat->sent) {
        const QString why = !seat ? QStringLiteral("no seat for %1 in game %2")
                          : !owner ? QStringLiteral("a wrong secret for %1 in game %2")
                                   : QStringLiteral("%1 in game %2 cannot resume from where it stopped");
        refuse(client, QStringLiteral("this game holds no seat for this window to take back."),
               why.arg(LogText(name), LogText(key)), HubControl::NoSeat);
        // Its own window, which cannot resume: the player leaves, and the
        // name is free for the fresh join that follows.
        if (owner) {
            if (!seat->absent)
                m_transport.Abort(seat->id);
            forget(seat);
        }
        return;
    }
    // The old connection may not know yet that it is dead: it is closed,
    // and the new one takes its place in the seat.
    if (!seat->absent) {
        m_transport.Abort(seat->id);
        m_clients.remove(seat->id);
        if (--m_perAddress[seat->address] <= 0)
            m_perAddress.remove(seat->address);
    }
    if (seat->grace)
        seat->grace->stop();
    seat->absent = false;
    seat->dropping = false;
    seat->id = client->id;
    seat->address = client->address;
    seat->reader = std::move(client->reader);
    seat->lastAnswerMs = m_clockMs();
    m_clients.insert(seat->id, seat);
    client->forgotten = client->dropping = true;
    client->deleteLater();
    emit Log(QStringLiteral("resume: %1").arg(describe(seat)));
    acknowledge(seat, count);
    // Copied: a slow reader may be dropped, and its seat emptied, midway.
    const std::deque<QByteArray> replay = seat->kept;
    for (const QByteArray &frame : replay)
        transmit(seat, frame);
    transmit(seat, Frame::Encode(HubControl::Delivery(HubControl::Resumed)));
}

void Hub::transmit(HubClient *client, const QByteArray &frame)
{
    if (client->dropping)
        return;
    // Dropping throws away what waits, this frame included.
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
        drop(client, QStringLiteral("has the most waiting (%1 bytes) when the hub holds more than %2 in all")
                         .arg(queued).arg(m_limits.maxQueuedTotal));
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
    transmit(client, Frame::Encode(verb.isEmpty() ? HubControl::RefusalDelivery(text) : HubControl::Delivery(verb, text)));
    if (client->dropping)
        return;
    client->dropping = true;
    emit Log(QStringLiteral("refuse: %1: %2").arg(describe(client), why));
    m_transport.Close(client->id);
    forget(client);
}

void Hub::ping()
{
    // Pings go out to joined connections only; a window of an earlier
    // release ignores them and never answers, so only a connection that has
    // answered before can be found silent. Each tick takes one slice of the
    // connections: pinging thousands at once, and their answers all coming
    // back together, would hold up the deliveries of that moment.
    const quint64 slice = m_pingTicks++ % PingSlices;
    const QByteArray frame = Frame::Encode(HubControl::PingDelivery());
    const qint64 now = m_clockMs();
    const QList<HubClient *> clients = m_clients.values();
    for (HubClient *client : clients) {
        if (!client->joined || client->dropping || client->id % PingSlices != slice)
            continue;
        if (client->answersPings && now - client->lastAnswerMs > m_limits.silenceMs)
            drop(client, QStringLiteral("stopped answering"), true);
        else
            transmit(client, frame);
    }
}

QString Hub::describe(const HubClient *client) const
{
    return client->joined ? QStringLiteral("game %1: %2").arg(LogText(client->key), LogText(client->name))
                          : QStringLiteral("connection");
}

void Hub::forget(HubClient *client, bool mayWait)
{
    if (client->forgotten)
        return;
    if (!client->absent) {
        m_clients.remove(client->id);
        if (--m_perAddress[client->address] <= 0)
            m_perAddress.remove(client->address);
    }
    if (mayWait && client->joined && client->acked && client->keeping && !client->absent && m_limits.graceMs > 0) {
        // Nobody hears of it: the name stays taken, deliveries are kept.
        client->absent = true;
        client->dropping = false;
        client->reader = {};
        if (!client->grace) {
            client->grace = new QTimer(client);
            client->grace->setObjectName(QStringLiteral("grace"));
            client->grace->setSingleShot(true);
            connect(client->grace, &QTimer::timeout, this, [this, client] {
                emit Log(QStringLiteral("give up: %1: did not come back in time").arg(describe(client)));
                forget(client);
            });
        }
        client->grace->start(m_limits.graceMs);
        emit Log(QStringLiteral("away: %1").arg(describe(client)));
        return;
    }
    client->forgotten = true;
    client->dropping = true;
    client->absent = false;
    if (client->grace)
        client->grace->stop();
    client->deleteLater();
    if (!client->joined)
        return;
    // While a delivery walks the game's list, the list must not change.
    if (m_delivering > 0) {
        m_pendingDrops.append(client);
        return;
    }
    leave(client);
}

void Hub::leave(HubClient *client)
{
    auto game = m_games.find(client->key);
    game->removeOne(client);
    emit Log(QStringLiteral("leave: %1").arg(describe(client)));
    if (game->isEmpty())
        m_games.erase(game);
    else
        deliver(client->key, Exit, client->name);
}
