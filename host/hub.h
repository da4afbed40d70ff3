#pragma once
// kalumo-hub's game server: the chat host's side of the game link.
//
// Wire format (both directions): frames of a 4-byte big-endian length and
// that many bytes of UTF-8 text, at most 65,536 (link/framecodec.h).
//
// Program to hub, one frame per record (link/linkrecord.h):
//   "G" ÿ key ÿ "I" ÿ handle              accepted, ignored
//   "G" ÿ key ÿ "A" ÿ " " caption ÿ name " " caption
//                                          joins game `key` as `name`
//   "G" ÿ key ÿ "C" ÿ message text        delivered to the whole game
// Hub to program, one frame per delivery: sender ÿ data.
//
// On a join the newcomer first gets one ("[Enter]", name) for every player
// already in the game, in order of joining; then every player of the game,
// the newcomer included, gets ("[Enter]", newcomer). A "C" record from a
// joined connection with its own key goes to every player of the game, the
// sender included, as (the sender's joined name, message text), in the order
// received. A name is taken once per game: a second join with it is refused
// and that connection closed. A "C" record before the join or with another
// key is dropped. When a joined connection closes the others get
// ("[Exit]", name). Games never see each other's traffic.
//
// A connection is closed on a broken frame, on a record of no known form,
// when it has not joined within the join timeout, and when more than
// maxQueuedBytes wait to be written to it (a reader too slow for its game).
// The kernel holds at most about 128 KiB more for each connection.

#include "connections.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QVector>

struct HubClient;

class Hub : public QObject, private Connections::Handler
{
    Q_OBJECT
public:
    struct Limits
    {
        qint64 maxQueuedBytes = 8 * 1024 * 1024;
        int joinTimeoutMs = 30000;
    };

    explicit Hub(QObject *parent = nullptr);
    Hub(const Limits &limits, QObject *parent = nullptr);
    ~Hub() override;

    bool Listen(const QHostAddress &address, quint16 port);
    quint16 Port() const;
    QString ErrorString() const;

    // The names joined to a game, in order of joining.
    QStringList Players(const QString &key) const;
    // Games with at least one player, and connections open, joined or not.
    int GameCount() const { return int(m_games.size()); }
    int ConnectionCount() const { return int(m_clients.size()); }

signals:
    // One line for the hub's log: joins, leaves, refusals.
    void Log(const QString &line);

private:
    void Opened(quint64 id) override;
    void Received(quint64 id, const char *data, qsizetype size) override;
    void Closed(quint64 id) override;
    void handleRecord(HubClient *client, const QString &record);
    void join(HubClient *client, const QString &key, const QString &name);
    void deliver(const QString &key, const QString &sender, const QString &data);
    void sendTo(HubClient *client, const QByteArray &frame);
    void drop(HubClient *client, const QString &why);
    void forget(HubClient *client);
    void leave(HubClient *client);

    Limits m_limits;
    Connections *m_connections = nullptr;
    QHash<quint64, HubClient *> m_clients;
    QHash<QString, QVector<HubClient *>> m_games;
    int m_delivering = 0;            // nesting depth of deliver()
    QVector<HubClient *> m_pendingDrops;
};
