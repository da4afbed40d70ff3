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

QByteArray Hub::heartbeatFrame() const
{
    // What the window may expect at most between two frames: a connection
    // is looked at once a heartbeat, and pinged once half of it was quiet.
    const int gapMs = m_limits.heartbeatMs + m_limits.heartbeatMs / 2;
    return Frame::Encode(HubControl::Delivery(HubControl::Heartbeat, QString::number(gapMs)));
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
        if (client->id % HeartbeatSlices == slice && !client->dropping
            && (unheard >= quiet || now - client->lastWrittenMs >= quiet))
            transmit(client, ping);
    }
}
