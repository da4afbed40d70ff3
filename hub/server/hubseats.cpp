// What the hub keeps for a seat whose window may come back: the deliveries
// it has not acknowledged, its place in the game while its connection is
// away, and taking the seat back on a new connection.
#include "server/hub.h"
#include "server/hubclient.h"

#include "link/hubcontrol.h"
#include "server/logtext.h"

#include <QTimer>

bool SameSecret(const QByteArray &a, const QByteArray &b)
{
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= uchar(a[i]) ^ uchar(b.isEmpty() ? 0 : b[i % b.size()]);
    return difference == 0;
}

void Hub::keep(HubClient *client, const QByteArray &frame)
{
    client->kept.push_back(frame);
    client->keptBytes += frame.size();
    if (client->kept.size() <= m_limits.keptRecords && client->keptBytes <= m_limits.keptBytes)
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
    // Keeping starts with the first acknowledgement, which a window that
    // resumes sends as soon as it has its Seat frame: for a window of an
    // earlier release, which never acknowledges, nothing is kept at all.
    client->keeping = true;
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
    const bool owner = seat && !secret.isEmpty() && SameSecret(seat->secret.toUtf8(), secret.toUtf8());
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
        closedFrom(seat->address);
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
    const QList<QByteArray> replay = seat->kept;
    for (const QByteArray &frame : replay)
        transmit(seat, frame);
    transmit(seat, Frame::Encode(HubControl::Delivery(HubControl::Resumed)));
}

void Hub::forget(HubClient *client, bool mayWait)
{
    if (client->forgotten)
        return;
    if (!client->absent) {
        m_clients.remove(client->id);
        closedFrom(client->address);
    }
    if (mayWait && client->joined && client->keeping && !client->absent && m_limits.graceMs > 0) {
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
