// SPDX-License-Identifier: GPL-3.0-or-later
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
    if (client->absent)
        countKeptAway(client, frame.size());
    // Until its first acknowledgement a window may be one of an earlier
    // release, which never resumes: it is kept little for.
    const qint64 keptBytes
        = client->resumes ? m_limits.keptBytes : std::min(m_limits.keptBytes, UnacknowledgedKeptBytes);
    if (client->kept.size() <= m_limits.keptRecords && client->keptBytes <= keptBytes) {
        if (client->absent)
            holdKeptAwayBudgets(client->address);
        return;
    }
    if (client->absent) {
        emit Log(QStringLiteral("give up: %1: missed more than the hub keeps").arg(describe(client)));
        forget(client);
    } else {
        stopKeeping(client);
    }
}

void Hub::countKeptAway(HubClient *seat, qint64 bytes)
{
    m_keptAway += bytes;
    qint64 &fromAddress = m_keptAwayFrom[seat->address];
    fromAddress += bytes;
    if (fromAddress <= 0)
        m_keptAwayFrom.remove(seat->address);
}

void Hub::holdKeptAwayBudgets(const QHostAddress &address)
{
    // Many games each with a seat away and a sender filling it would
    // otherwise hold memory without bound: the seats that cost the most go
    // first, and those that keep little are spared.
    for (;;) {
        const bool addressOver = m_keptAwayFrom.value(address) > m_limits.keptBytesPerAddress;
        if (!addressOver && m_keptAway <= m_limits.keptBytesTotal)
            return;
        HubClient *most = nullptr;
        for (HubClient *seat : std::as_const(m_absentSeats)) {
            if ((!addressOver || seat->address == address) && (!most || seat->keptBytes > most->keptBytes))
                most = seat;
        }
        if (!most)
            return;
        emit Log(QStringLiteral("give up: %1: keeps the most (%2 bytes) when seats away keep more than %3 %4")
                     .arg(describe(most))
                     .arg(most->keptBytes)
                     .arg(addressOver ? m_limits.keptBytesPerAddress : m_limits.keptBytesTotal)
                     .arg(addressOver ? QStringLiteral("from one address") : QStringLiteral("in all")));
        forget(most);
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
    // The first acknowledgement, which a window that resumes sends as soon as
    // it has its Seat frame, says that it is one; a window of an earlier
    // release never sends one, and its seat is not kept.
    client->keeping = client->resumes = true;
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
    if (!owner || !seat->resumes || !seat->keeping || count < seat->sent - seat->kept.size() || count > seat->sent) {
        // Only this connection is refused: a count the seat cannot resume
        // from says nothing about the seat's own connection, which may be
        // alive, nor about the player, whom the others keep seeing.
        const QString why = !seat ? QStringLiteral("no seat for %1 in game %2")
            : !owner              ? QStringLiteral("a wrong secret for %1 in game %2")
                                  : QStringLiteral("%1 in game %2 cannot resume from where it stopped");
        refuse(client, QStringLiteral("this game holds no seat for this window to take back."),
               why.arg(LogText(name), LogText(key)), HubControl::NoSeat);
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
    if (seat->absent) {
        countKeptAway(seat, -seat->keptBytes);
        m_absentSeats.remove(seat);
    }
    seat->absent = false;
    seat->dropping = false;
    seat->id = client->id;
    seat->address = client->address;
    seat->reader = std::move(client->reader);
    seat->lastHeardMs = seat->lastWrittenMs = m_clockMs();
    seat->beats = false; // until the new connection beats
    m_clients.insert(seat->id, seat);
    client->forgotten = client->dropping = true;
    client->deleteLater();
    emit Log(QStringLiteral("resume: %1").arg(describe(seat)));
    acknowledge(seat, count);
    // Copied: a slow reader may be dropped, and its seat emptied, midway.
    const QList<QByteArray> replay = seat->kept;
    transmit(seat, heartbeatFrames());
    for (const QByteArray &frame : replay)
        transmit(seat, frame);
    transmit(seat, Frame::Encode(HubControl::Delivery(HubControl::Resumed)));
    if (seat->absent || seat->forgotten)
        return; // too slow a reader even for its replay
    tellWhoIsAway(seat);
    tellRoom(seat);
    if (seat->away) {
        seat->away = false;
        announce(seat, HubControl::Back);
    }
}

void Hub::forget(HubClient *client, bool mayWait)
{
    if (client->forgotten)
        return;
    if (!client->absent) {
        m_clients.remove(client->id);
        closedFrom(client->address);
    }
    if (mayWait && client->joined && client->resumes && client->keeping && !client->absent && m_limits.graceMs > 0) {
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
        m_absentSeats.insert(client);
        countKeptAway(client, client->keptBytes);
        if (!client->away) {
            client->away = true;
            announce(client, HubControl::Away);
        }
        if (!client->forgotten)
            holdKeptAwayBudgets(client->address);
        return;
    }
    if (client->absent) {
        countKeptAway(client, -client->keptBytes);
        m_absentSeats.remove(client);
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
    if (client->display) {
        leaveDisplay(client);
        return;
    }
    auto game = m_games.find(client->key);
    game->removeOne(client);
    emit Log(QStringLiteral("leave: %1").arg(describe(client)));
    if (game->isEmpty()) {
        m_games.erase(game);
        if (!m_onlyKey)
            m_rooms.remove(client->key); // the game is over: a new one under its key starts afresh
    } else
        deliver(client->key, Exit, client->name);
}
