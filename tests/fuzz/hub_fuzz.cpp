// SPDX-License-Identifier: GPL-3.0-or-later
// The hub under any mix of connections, joins, messages, raw bytes, readers that stop and connections
// that vanish, in a few games: it writes only whole frames with a sender, and keeps nothing once all go.
#include "fuzzsupport.h"

#include "hub/support/faketransport.h"

#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input{data, size};
    FakeHub h(Hub::Limits{64 * 1024, 5000});
    std::vector<quint64> ids{h.net.Open()};
    std::set<quint64> stopped; // readers that take nothing more
    for (int step = 0; !input.Empty() && step < 64; ++step) {
        const quint8 op = input.Byte() % 7;
        const quint64 id = ids.at(input.Byte() % ids.size());
        const QString key = QStringLiteral("K%1").arg(input.Byte() % 3);
        switch (op) {
        case 0:
            if (ids.size() < 4) ids.push_back(h.net.Open());
            break;
        case 1:
            h.net.Feed(id, input.Bytes(input.Byte()));
            break;
        case 2:
            h.Join(input.Utf8(32), key, id);
            break;
        case 3:
            h.Say(id, input.Utf8(256), key);
            break;
        case 4:
            h.Say(id, QString(1000 * (1 + input.Byte() % 64), u'x'), key);
            break;
        case 5:
            stopped.insert(id);
            break;
        case 6:
            h.net.PeerCloses(id);
            break;
        }
        for (const quint64 reader : ids) {
            for (const QString &frame : stopped.count(reader) ? QStringList() : h.net.Take(reader)) FUZZ_CHECK(frame.contains(LinkRecord::Separator));
            FUZZ_CHECK(h.net.peers[reader].taken == h.net.peers[reader].written.size() || stopped.count(reader));
        }
    }
    for (const quint64 id : ids) h.net.PeerCloses(id);
    FUZZ_CHECK(h.hub.GameCount() == 0 && h.hub.ConnectionCount() == 0);
    return 0;
}
