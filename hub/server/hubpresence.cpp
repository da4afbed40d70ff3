// SPDX-License-Identifier: GPL-3.0-or-later
// Who is there: the heartbeat that pings quiet connections and finds the
// silent ones, and the Away and Back frames that tell a game about them.
#include "server/hub.h"
#include "server/hubclient.h"

#include "link/hubcontrol.h"
#include "server/logtext.h"

void Hub::announce(HubClient *subject, const QString &verb)
{
    const QByteArray frame = Frame::Encode(HubControl::Delivery(verb, subject->name));
    ++m_delivering;
    for (HubClient *player : m_games.value(subject->key)) {
        if (player != subject && !player->absent)
            transmit(player, frame);
    }
    doneDelivering();
}

void Hub::tellWhoIsAway(HubClient *client)
{
    for (const HubClient *player : m_games.value(client->key)) {
        if (player != client && player->away)
            transmit(client, Frame::Encode(HubControl::Delivery(HubControl::Away, player->name)));
    }
}

QByteArray Hub::heartbeatFrames() const
{
    // What the window may expect at most between two frames: a connection
    // is looked at once a heartbeat, and pinged once half of it was quiet.
    // A window that understands the Beat frame beats instead, and then
    // expects as little as before the heartbeat.
    const int gapMs = m_limits.heartbeatMs + m_limits.heartbeatMs / 2;
    QByteArray frames = Frame::Encode(HubControl::Delivery(HubControl::Heartbeat, QString::number(gapMs)));
    if (m_limits.beatMs > 0)
        frames += Frame::Encode(HubControl::Delivery(HubControl::Beat, QString::number(m_limits.beatMs)));
    return frames;
}

bool Hub::heardFrom(HubClient *client, qint64 now, QByteArrayView bytes)
{
    client->lastHeardMs = now;
    if (client->away && client->joined) {
        client->away = false;
        emit Log(QStringLiteral("heard again: %1").arg(describe(client)));
        announce(client, HubControl::Back);
    }
    // A beat is most of what an idle hub reads: it costs one comparison.
    return client->beats && client->reader.Buffered() == 0 && bytes == client->beatFrame;
}

void Hub::startBeating(HubClient *client, const QString &beat)
{
    if (m_limits.beatMs <= 0)
        return; // not asked for: Pings go on
    client->answersPings = client->beats = true;
    client->beatFrame = Frame::Encode(beat);
}

void Hub::heartbeat()
{
    // Every connection is looked at for silence on each tick, but pinged
    // only on its slice's. A window of an earlier release that never answers
    // is pinged all the same and never found silent.
    const quint64 slice = m_heartbeatTicks++ % HeartbeatSlices;
    const QByteArray ping = Frame::Encode(HubControl::PingDelivery());
    const qint64 now = m_clockMs(), quiet = m_limits.heartbeatMs / 2;
    const QList<HubClient *> clients = m_clients.values();
    for (HubClient *client : clients) {
        if (!client->joined || client->dropping)
            continue;
        const qint64 unheard = now - client->lastHeardMs;
        if (client->answersPings && unheard > m_limits.silenceMs) {
            drop(client, QStringLiteral("stopped answering"), true);
            continue;
        }
        if (client->answersPings && !client->away && !client->display && unheard > m_limits.awayMs) {
            client->away = true;
            emit Log(QStringLiteral("silent: %1").arg(describe(client)));
            announce(client, HubControl::Away);
        }
        const qint64 unwritten = now - client->lastWrittenMs;
        const bool due = client->beats ? unwritten >= m_limits.beatPingMs : unheard >= quiet || unwritten >= quiet;
        if (due && client->id % HeartbeatSlices == slice && !client->dropping)
            transmit(client, ping);
    }
}
