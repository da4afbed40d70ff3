// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hub's transport in memory. A test opens connections, feeds them bytes and
// takes the frames the hub wrote; what it has not taken counts as queued.

#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "server/hub.h"

#include <QStringList>
#include <QTimer>
#include <functional>
#include <map>
#include <numeric>
#include <utility>

class FakeTransport : public Transport
{
public:
    struct Peer
    {
        QByteArray written;
        qsizetype taken = 0;
        bool open = true;
    };

    quint64 Open()
    {
        peers[++m_lastId];
        m_handler->Opened(m_lastId);
        return m_lastId;
    }
    quint64 Open(const QHostAddress &from)
    {
        addresses[m_lastId + 1] = from;
        return Open();
    }
    void Feed(quint64 id, const QByteArray &bytes)
    {
        if (peers.at(id).open) m_handler->Received(id, bytes.constData(), bytes.size());
    }
    void PeerCloses(quint64 id)
    {
        if (std::exchange(peers.at(id).open, false)) m_handler->Closed(id);
    }
    // The whole frames written since the last Take, less the heartbeat's, the seat's secret (to `secrets`)
    // who is away or back (to `presence`, as "Away Ann") and the room (to `room`, as "mute Ann"); a frame
    // not yet whole stays.
    QStringList Take(quint64 id)
    {
        Peer &peer = peers.at(id);
        Frame::Reader reader;
        reader.Feed(peer.written.mid(peer.taken));
        QStringList frames;
        while (const auto frame = reader.Next()) {
            if (frame->startsWith(QStringLiteral("[Hub]\u00FFSeat\u00FF")))
                secrets[id] = frame->mid(11);
            else if (frame->startsWith(QStringLiteral("[Hub]\u00FFAway\u00FF")) || frame->startsWith(QStringLiteral("[Hub]\u00FFBack\u00FF")))
                presence[id] << frame->mid(6).replace(QChar(0xFF), QLatin1Char(' '));
            else if (frame->startsWith(QStringLiteral("[Hub]\u00FFRoom")))
                room[id] << frame->mid(11).replace(QChar(0xFF), QLatin1Char(' '));
            else if (!frame->startsWith(QStringLiteral("[Hub]\u00FFHeartbeat\u00FF")) && !frame->startsWith(QStringLiteral("[Hub]\u00FFBeat\u00FF")))
                frames << *frame;
        }
        peer.taken = peer.written.size() - reader.Buffered();
        return frames;
    }

    qint64 Send(quint64 id, const QByteArray &bytes) override
    {
        peers.at(id).written += peers.at(id).open ? bytes : QByteArray();
        return Queued(id);
    }
    qint64 Queued(quint64 id) const override
    {
        const Peer &peer = peers.at(id);
        return peer.open ? peer.written.size() - peer.taken : 0;
    }
    qint64 QueuedTotal() const override
    {
        return std::accumulate(peers.begin(), peers.end(), qint64(0), [this](qint64 sum, const auto &peer) { return sum + Queued(peer.first); });
    }
    QHostAddress PeerAddress(quint64 id) const override { return addresses.count(id) ? addresses.at(id) : QHostAddress(QHostAddress::LocalHost); }
    void Abort(quint64 id) override { peers.at(id).open = false; }
    void Close(quint64 id) override { peers.at(id).open = false; }

    std::map<quint64, Peer> peers;
    std::map<quint64, QString> secrets;
    std::map<quint64, QStringList> presence;
    std::map<quint64, QStringList> room;
    std::map<quint64, QHostAddress> addresses; // else loopback

private:
    quint64 m_lastId = 0;
};

// A hub on a FakeTransport, with players who join and chat in one step.
struct FakeHub
{
    explicit FakeHub(const Hub::Limits &limits = {})
        : hub(net, limits)
    {}
    // Joins `key` as `name` on connection `id`, or on a new one.
    quint64 Join(const QString &name, const QString &key = QStringLiteral("K"), quint64 id = 0)
    {
        id = id ? id : net.Open();
        net.Feed(id, Frame::Encode(LinkRecord::Announce(key, QStringLiteral("Kalumo Bingo"), name)));
        return id;
    }
    void Say(quint64 id, const QString &text, const QString &key = QStringLiteral("K")) { net.Feed(id, Frame::Encode(LinkRecord::Message(key, text))); }
    bool IsOpen(quint64 id) const { return net.peers.at(id).open; }
    // A window that resumes: it acknowledges `count` deliveries, or takes its seat back on a new connection.
    void Ack(quint64 id, quint64 count) { net.Feed(id, Frame::Encode(LinkRecord::Acknowledge(QStringLiteral("K"), count))); }
    quint64 Resume(const QString &name, const QString &secret, quint64 count)
    {
        const quint64 id = net.Open();
        return net.Feed(id, Frame::Encode(LinkRecord::Resume(QStringLiteral("K"), name, secret, count))), id;
    }

    FakeTransport net;
    Hub hub;
};

// Players of game K on a hub whose clock the test moves, a heartbeat tick at a time.
struct Clocked : FakeHub
{
    explicit Clocked(const Hub::Limits &limits = {})
        : FakeHub(withClock(limits))
    {}
    Hub::Limits withClock(Hub::Limits limits)
    {
        return limits.clockMs = [this] { return now; }, limits;
    }
    void tick(
        int ticks, const std::function<void()> &each = [] {})
    {
        for (int i = 0; i < ticks; ++i, each())
            now += Hub::Limits{}.heartbeatMs / 8, QMetaObject::invokeMethod(hub.findChild<QTimer *>(QStringLiteral("pinger")), "timeout");
    }
    void answer(quint64 id, const QString &key = QStringLiteral("K")) { net.Feed(id, Frame::Encode(LinkRecord::PingAnswer(key))); }
    void beat(quint64 id, const QString &key = QStringLiteral("K")) { net.Feed(id, Frame::Encode(LinkRecord::Beat(key))); }
    qint64 now = 0;
};
