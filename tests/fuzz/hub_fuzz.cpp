// The hub under any mix of connections, joins, messages, raw bytes, readers
// that stop and connections that vanish, in a few games: it only ever writes
// whole frames that carry a sender, and once every connection is gone it
// holds no game and no connection.
#include "fuzzsupport.h"

#include "support/faketransport.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    FakeHub h(Hub::Limits{64 * 1024, 5000});
    std::vector<quint64> ids{h.net.Open()};
    std::set<quint64> stopped; // readers that take nothing more
    for (int step = 0; !input.Empty() && step < 64; ++step) {
        const quint8 op = input.Byte() % 7;
        const quint64 id = ids.at(input.Byte() % ids.size());
        const QString key = QStringLiteral("K%1").arg(input.Byte() % 3);
        if (op == 0 && ids.size() < 4)
            ids.push_back(h.net.Open());
        else if (op == 1)
            h.net.Feed(id, input.Bytes(input.Byte()));
        else if (op == 2)
            h.Join(input.Utf8(32), key, id);
        else if (op == 3)
            h.Say(id, input.Utf8(256), key);
        else if (op == 4)
            h.Say(id, QString(1000 * (1 + input.Byte() % 64), u'x'), key);
        else if (op == 5)
            stopped.insert(id);
        else if (op == 6)
            h.net.PeerCloses(id);
        for (const quint64 reader : ids) {
            for (const QString &frame : stopped.count(reader) ? QStringList() : h.net.Take(reader))
                FUZZ_CHECK(frame.contains(LinkRecord::Separator));
            FUZZ_CHECK(h.net.peers[reader].taken == h.net.peers[reader].written.size() || stopped.count(reader));
        }
    }
    for (const quint64 id : ids)
        h.net.PeerCloses(id);
    FUZZ_CHECK(h.hub.GameCount() == 0 && h.hub.ConnectionCount() == 0);
    return 0;
}
