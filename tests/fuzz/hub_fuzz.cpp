// The hub's rules under any mix of connections, joins, messages, raw bytes,
// readers that stop and connections that vanish, in a few games: it only
// ever writes whole frames that carry a sender, and once every connection is
// gone it holds no game and no connection.
#include "fuzzsupport.h"

#include "hub.h"
#include "link/linkrecord.h"
#include "support/faketransport.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    FakeTransport net;
    Hub hub(net, Hub::Limits{64 * 1024, 5000});
    std::vector<quint64> ids{net.Open()};
    std::set<quint64> stopped; // readers that take nothing more
    for (int step = 0; !input.Empty() && step < 64; ++step) {
        const quint8 op = input.Byte();
        const quint64 id = ids.at(input.Byte() % ids.size());
        const QString key = QStringLiteral("K%1").arg(input.Byte() % 3);
        switch (op % 7) {
        case 0:
            if (ids.size() < 4)
                ids.push_back(net.Open());
            break;
        case 1:
            net.Feed(id, input.Bytes(input.Byte()));
            break;
        case 2:
            net.Feed(id, Frame::Encode(LinkRecord::Announce(key, QStringLiteral("Kalumo Bingo"), input.Utf8(32))));
            break;
        case 3:
            net.Feed(id, Frame::Encode(LinkRecord::Message(key, input.Utf8(256))));
            break;
        case 4:
            net.Feed(id, Frame::Encode(LinkRecord::Message(key, QString(1000 * (1 + input.Byte() % 64), u'x'))));
            break;
        case 5:
            stopped.insert(id);
            break;
        case 6:
            net.PeerCloses(id);
            break;
        }
        for (const quint64 reader : ids) {
            for (const QString &frame : stopped.count(reader) ? QStringList() : net.Take(reader))
                FUZZ_CHECK(frame.contains(LinkRecord::Separator));
            FUZZ_CHECK(net.peers[reader].taken == net.peers[reader].written.size() || stopped.count(reader));
        }
    }
    for (const quint64 id : ids)
        net.PeerCloses(id);
    FUZZ_CHECK(hub.GameCount() == 0 && hub.ConnectionCount() == 0);
    return 0;
}
