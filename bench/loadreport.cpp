// SPDX-License-Identifier: GPL-3.0-or-later
// What kalumo-load counted, and whether the hub passed.
#include "load.h"

#include <algorithm>
#include <cstdio>

namespace LoadBench {

bool Report(const Load &load, bool drained)
{
    auto behaves = [](const Player &p) { return p.role == Role::Host || p.role == Role::Reader; };
    uint64_t sent = 0, delivered = 0, faults = 0, wellBehaved = 0, incomplete = 0, stoppers = 0, cut = 0;
    uint64_t garbageSent = 0, garbageClosed = 0, rejoins = 0, floodSent = 0, floodCut = 0;
    for (uint64_t s : load.sent)
        sent += s;
    for (auto &p : load.players) {
        delivered += p->received;
        faults += p->faults;
        if (behaves(*p)) {
            ++wellBehaved;
            if (p->received != load.sent[size_t(p->game)])
                ++incomplete;
        }
        if (p->role == Role::Stopper) {
            ++stoppers;
            cut += p->cutOff;
        }
        if (p->role == Role::Garbage) {
            garbageSent += p->garbageSent;
            garbageClosed += p->closedByHub;
        }
        if (p->role == Role::Rejoiner)
            rejoins += p->sessions - 1;
        if (p->role == Role::Flooder) {
            floodSent += p->floodSent;
            floodCut += p->closedByHub;
        }
    }
    const bool garbageOk = garbageClosed >= garbageSent && garbageSent > 0;
    printf("load: %llu records sent, %llu deliveries; latency to well-behaved players p50 %lld us, p99 %lld us, max "
           "%lld us\n",
           static_cast<unsigned long long>(sent), static_cast<unsigned long long>(delivered),
           static_cast<long long>(load.latency.Percentile(0.5)), static_cast<long long>(load.latency.Percentile(0.99)),
           static_cast<long long>(load.latency.Max()));
    printf("load: well-behaved players: %llu, of which %llu missed records; faults (duplicates, gaps, order, other "
           "games): %llu\n",
           static_cast<unsigned long long>(wellBehaved), static_cast<unsigned long long>(incomplete),
           static_cast<unsigned long long>(faults));
    printf("load: rejoins: %llu; readers that stopped: %llu, cut off by the hub: %llu; garbage sent: %llu, connections "
           "closed for it: %llu\n",
           static_cast<unsigned long long>(rejoins), static_cast<unsigned long long>(stoppers),
           static_cast<unsigned long long>(cut), static_cast<unsigned long long>(garbageSent),
           static_cast<unsigned long long>(garbageClosed));
    // The flooder's cost to the others: p99 of the half with it against the half without.
    bool floodOk = load.flooder.empty() || floodCut > 0;
    for (int inFloodGame : {1, 0}) {
        const int64_t before = load.halves[0][inFloodGame].Percentile(0.99),
                      during = load.halves[1][inFloodGame].Percentile(0.99);
        const bool kept = during <= std::max<int64_t>(2 * before, 1000);
        floodOk = floodOk && (load.flooder.empty() || kept);
        printf("load: p99 latency in %s without the flooder %lld us, with it %lld us%s\n",
               inFloodGame ? "the flooder's game" : "the other games", static_cast<long long>(before),
               static_cast<long long>(during), kept ? "" : " (more than twice)");
    }
    if (!load.flooder.empty())
        printf("load: the flooder sent %llu records and was cut off %llu times\n",
               static_cast<unsigned long long>(floodSent), static_cast<unsigned long long>(floodCut));
    const bool pass = drained && incomplete == 0 && faults == 0 && cut == stoppers && garbageOk && floodOk;
    printf("load: %s\n", pass ? "PASS" : "FAIL");
    return pass;
}

} // namespace LoadBench
