// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kalumo-hub's game server: joins connections to games and delivers each
// game's records to its players, under the rules of docs/protocol.md. It
// reaches its players through a Transport it is given.

#include "link/hubcontrol.h"
#include "server/transport.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QVector>

#include <functional>
#include <optional>

struct HubClient;

class Hub : public QObject, private Transport::Handler
{
    Q_OBJECT
public:
    struct Limits
    {
        qint64 maxQueuedBytes = 8 * 1024 * 1024;
        int joinTimeoutMs = 30000;
        // Each joined connection is looked at once every heartbeatMs and
        // pinged when nothing went either way for half of that. One that has
        // answered a Ping and then is not heard from for awayMs is announced
        // away to its game (back once it is heard again); for silenceMs, it
        // is closed as dead.
        int heartbeatMs = HubControl::HeartbeatMs;
        // Windows are asked to beat every beatMs (0: not asked); one that
        // does is pinged only when nothing was written to it for beatPingMs.
        int beatMs = HubControl::BeatMs;
        int beatPingMs = HubControl::BeatPingMs;
        int awayMs = HubControl::AwayMs;
        int silenceMs = HubControl::SilenceMs;
        qint64 maxQueuedTotal = 256 * 1024 * 1024;
        double recordsPerSecond = 20, recordBurst = 100;
        double bytesPerSecond = 64 * 1024, byteBurst = 512 * 1024;
        int maxPerAddress = 200;
        // A seat whose window resumes waits this long for it after its
        // connection is lost, keeping at most keptRecords deliveries of at
        // most keptBytes in all; past either it is given up as if it had left.
        int graceMs = 60000;
        qsizetype keptRecords = 10000;
        qint64 keptBytes = 4 * 1024 * 1024;
        // What all seats without a connection keep together, and those last
        // connected from one address; past either, the seats keeping the
        // most are given up first.
        qint64 keptBytesTotal = 128 * 1024 * 1024;
        qint64 keptBytesPerAddress = 16 * 1024 * 1024;
        // Milliseconds on a clock that never goes back; empty for the system's.
        std::function<qint64()> clockMs = nullptr;
    };

    // A connection is closed when more than maxQueuedBytes wait to be
    // written to it, and when it has not joined within joinTimeoutMs. One
    // that sends more records or bytes than its rates and bursts allow, or
    // that comes from an address with maxPerAddress connections open, is
    // refused with a reason. When more than maxQueuedTotal bytes wait for
    // all connections together, those with the most waiting are closed
    // until the rest fits. The hub becomes the transport's handler.
    explicit Hub(Transport &transport);
    Hub(Transport &transport, const Limits &limits, QObject *parent = nullptr);
    ~Hub() override;

    // Makes this a hub for the one game `key` (kalumo-hub host): a join
    // under any other key is refused, so a mistyped key never opens an
    // empty game. With a secret, a join under the host's name (or one the
    // same as it) is refused unless its "S" record holds that secret,
    // before the host joins and after it leaves. Each window that joins is
    // told the host's name, as the seat with the secret spelled it once it
    // has joined.
    //
    // In such a game the host's window may come back: a join under the
    // host's name with the secret takes the host's seat over, even one still
    // held for a resume, without the others hearing of a leave or a join.
    void HoldOneGame(const QString &key, const QString &hostName, const QString &hostSecret);
    // Ends the one game on purpose (its host's window asked, or the host
    // stopped the hub): every window is told who ended it with a GameEnded
    // control frame and closed, nobody hears of a leave, and later joins are
    // refused with the same words.
    void EndGame();

    // The names joined to a game, in order of joining.
    QStringList Players(const QString &key) const;
    // Games with at least one player, and connections open, joined or not.
    int GameCount() const { return int(m_games.size()); }
    int ConnectionCount() const { return int(m_clients.size()); }
    // Bytes of deliveries kept for seats without a connection, counted once
    // per seat even where seats share them.
    qint64 KeptAwayBytes() const { return m_keptAway; }

signals:
    // One line for the hub's log: joins, leaves, refusals.
    void Log(const QString &line);
    // The one game was ended on purpose.
    void GameEnded();

private:
    void Opened(quint64 id) override;
    void Received(quint64 id, const char *data, qsizetype size) override;
    void Closed(quint64 id) override;
    void handleRecord(HubClient *client, const QString &record);
    void join(HubClient *client, const QString &key, const QString &name);
    // A join of a game this hub does not hold, or one ended, is refused
    // here, for players and displays alike; true when it was.
    bool refusedAtTheDoor(HubClient *client, const QString &key);
    void deliver(const QString &key, const QString &sender, const QString &data);
    // Ends a walk over a game's list: the drops that waited for it happen.
    void doneDelivering();
    // What a connection is told of the heartbeat as it joins or resumes.
    QByteArray heartbeatFrames() const;
    // A delivery, counted and kept for the seat; transmit only writes.
    void sendTo(HubClient *client, const QByteArray &frame);
    void transmit(HubClient *client, const QByteArray &frame);
    void keep(HubClient *client, const QByteArray &frame);
    void acknowledge(HubClient *client, quint64 count);
    void stopKeeping(HubClient *client);
    void resume(HubClient *client, const QString &key, const QString &name, const QString &secret, quint64 count);
    void drop(HubClient *client, const QString &why, bool mayWait = false);
    void refuse(HubClient *client, const QString &text, const QString &why, const QString &verb = {});
    // Refuses a connection from an address at its limit, without a seat.
    void refuseCrowd(quint64 id, const QHostAddress &address);
    // One connection from address fewer.
    void closedFrom(const QHostAddress &address);
    void heartbeat();
    // Notes that the connection was heard from, which brings an away one
    // back; true when what it sent was a beat and nothing else.
    bool heardFrom(HubClient *client, qint64 now, QByteArrayView bytes);
    void startBeating(HubClient *client, const QString &beat);
    // Tells the rest of the game that a player is away or back (control
    // frames, counted as no delivery), and a newcomer who is away now.
    void announce(HubClient *subject, const QString &verb);
    void tellWhoIsAway(HubClient *client);
    // Counts bytes kept for a seat without a connection, and gives up the
    // seats keeping the most while a budget is exceeded.
    void countKeptAway(HubClient *seat, qint64 bytes);
    void holdKeptAwayBudgets(const QHostAddress &address);
    void trimQueues();
    QString describe(const HubClient *client) const;
    // Forgets a connection; a seat that may wait for its window's resume
    // stays in its game, unseen, for the grace period.
    void forget(HubClient *client, bool mayWait = false);
    void leave(HubClient *client);
    // Forgets a seat without a word to its game.
    void retire(HubClient *client);
    bool isHost(const HubClient *client) const;

    // What the host has made of a game: who hosts it, and who may join and
    // speak. The one game of a HoldOneGame hub has one from the start; on a
    // standing hub a game has one when its first join came with a host's
    // secret, for as long as the game has players.
    struct Room
    {
        QByteArray hostSecret; // empty: no host is known, so nobody may ask
        QString hostName; // as the host's seat spells it
        QString hostNameKey; // the host's name as compared with others
        QSet<QString> removed; // name keys refused for the rest of the game
        QHash<QString, QString> muted; // name key to the name as spelled
        bool locked = false;
        bool paused = false;
    };
    Room *roomOf(const QString &key);
    // A standing hub's game begun by a join with a host's secret: the room
    // it makes that joiner the host of.
    void openRoom(const HubClient *client, const QString &key, const QString &name);
    // Refuses a join the room does not let in (a removed name, a locked
    // game): true when it did.
    bool refusedByRoom(HubClient *client, const Room &room, const QString &name, const QString &nameKey);
    // An "H" record: carried out when the host's connection sent it, else
    // refused and logged; it is never delivered as it came.
    void handleRoomRequest(HubClient *client, const QString &verb, const QString &name);
    void removeFromRoom(HubClient *host, Room &room, HubClient *seat);
    void tellRoom(HubClient *client);
    void announceRoom(const QString &key, const QString &verb, const QString &name = {});
    // A chat line of a muted player goes back to its sender alone.
    bool mutedChat(HubClient *client, const QString &messageText);

    // A display seat (docs/protocol.md, "Display seats"): it joins a game
    // without a name, hears every delivery of it and is in nobody's player
    // list. Besides its join it may only answer Pings and say goodbye: true
    // when a record of this kind from a display was refused (and logged).
    void joinDisplay(HubClient *client, const QString &key);
    bool refusedFromDisplay(HubClient *client, QChar kind);
    void leaveDisplay(HubClient *client);
    void deliverToDisplays(const QString &key, const QByteArray &frame);
    Limits m_limits;
    quint64 m_heartbeatTicks = 0;
    Transport &m_transport;
    QHash<quint64, HubClient *> m_clients;
    QHash<QString, QVector<HubClient *>> m_games;
    QHash<QHostAddress, int> m_perAddress; // open connections from each address
    QHash<QHostAddress, int> m_crowdRefusals; // refused for it since it was last below its limit
    std::function<qint64()> m_clockMs;
    std::optional<QString> m_onlyKey; // the one game this hub holds
    bool m_ended = false; // the one game was ended on purpose
    QHash<QString, Room> m_rooms;
    QHash<QString, QVector<HubClient *>> m_displays; // each game's display seats
    int m_delivering = 0; // nesting depth of deliver() and announce()
    qint64 m_keptAway = 0;
    QHash<QHostAddress, qint64> m_keptAwayFrom;
    QSet<HubClient *> m_absentSeats;
    QVector<HubClient *> m_pendingDrops;
};
