#pragma once
// The hub's transport in memory. A test opens connections, feeds them bytes
// and takes the frames the hub wrote to them; what it has not taken counts as
// queued, so a connection whose frames are never taken is a reader that stopped.

#include "link/framecodec.h"
#include "transport.h"

#include <QStringList>
#include <map>
#include <utility>

class FakeTransport : public Transport
{
public:
    struct Peer { QByteArray written; qsizetype taken = 0; bool open = true; };

    quint64 Open() { peers[++m_lastId]; m_handler->Opened(m_lastId); return m_lastId; }
    void Feed(quint64 id, const QByteArray &bytes) { if (peers.at(id).open) m_handler->Received(id, bytes.constData(), bytes.size()); }
    void PeerCloses(quint64 id) { if (std::exchange(peers.at(id).open, false)) m_handler->Closed(id); }
    // The whole frames written since the last Take; a frame not yet whole stays.
    QStringList Take(quint64 id)
    {
        Peer &peer = peers.at(id);
        Frame::Reader reader;
        reader.Feed(peer.written.mid(peer.taken));
        QStringList frames;
        while (const auto frame = reader.Next())
            frames << *frame;
        peer.taken = peer.written.size() - reader.Buffered();
        return frames;
    }

    qint64 Send(quint64 id, const QByteArray &bytes) override
    {
        Peer &peer = peers.at(id);
        peer.written += peer.open ? bytes : QByteArray();
        return peer.open ? peer.written.size() - peer.taken : 0;
    }
    qint64 Queued(quint64 id) const override { const Peer &peer = peers.at(id); return peer.open ? peer.written.size() - peer.taken : 0; }
    qint64 QueuedTotal() const override
    {
        qint64 total = 0;
        for (const auto &[id, peer] : peers)
            total += Queued(id);
        return total;
    }
    QHostAddress PeerAddress(quint64) const override { return QHostAddress(QHostAddress::LocalHost); }
    void Abort(quint64 id) override { peers.at(id).open = false; }
    void Close(quint64 id) override { peers.at(id).open = false; }

    std::map<quint64, Peer> peers;

private:
    quint64 m_lastId = 0;
};
