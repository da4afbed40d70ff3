// SPDX-License-Identifier: GPL-3.0-or-later
// How the hub finds out who is there: Pings, beats, away and back, on a
// transport in memory and a clock the test moves.
#include "hub/support/faketransport.h"
#include "link/linkrecord.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(HubHeartbeat, PingsEachConnectionQuietEitherWayOnceAHeartbeatAFewATick)
{
    Clocked h;
    QList<quint64> ids; // the first is heard and written to all the time, the second only written to
    for (int i = 0; i < 30; ++i) h.net.Take(ids.emplace_back(h.Join(u"P%1"_s.arg(i))));
    std::map<quint64, qsizetype> pings;
    h.tick(24, [&] { // each connection looked at three times; the first count is left out
        h.Say(ids[0], u"Chat;hi"_s);
        qsizetype thisTick = 0;
        for (quint64 id : ids) {
            const qsizetype got = h.net.Take(id).count(u"[Hub]ÿPing"_s) * (h.now > 2000);
            pings[id] += got, thisTick += got;
        }
        EXPECT_LE(thisTick, 4);
    });
    EXPECT_TRUE(pings[ids[0]] == 0 && std::all_of(ids.begin() + 1, ids.end(), [&](quint64 id) { return pings[id] == 2; }));
}

TEST(HubHeartbeat, TellsTheGameWhoFellSilentOrLostItsConnectionAndWhoCameBackAndClosesTheLongSilent)
{
    // Ann answers a Ping, then: `silent` ticks without a word, her connection closed or not, then heard or resumed.
    // clang-format off
    const struct { const char *what; int silent; bool closes, answers, acks; QStringList bobHears; bool open = true; } table[] = {
        {"silent past the away time, then heard", 17, false, true, true, {u"Away Ann"_s, u"Back Ann"_s}},
        {"silent only up to the away time", 15, false, true, true, {}},
        {"silent past the dead time", 181, false, true, true, {u"Away Ann"_s}, false},
        {"a window that never answered a Ping", 200, false, false, true, {}},
        {"a closed connection that resumes", 0, true, true, true, {u"Away Ann"_s, u"Back Ann"_s}},
        {"a closed connection of a window that keeps no seat", 0, true, true, false, {}},
    };
    // clang-format on
    for (const auto &row : table) {
        Clocked h;
        const quint64 ann = h.Join(u"Ann"_s), bob = h.Join(u"Bob"_s), held = h.net.Take(ann).size();
        if (row.acks) h.Ack(ann, held);
        h.answer(ann, row.answers ? u"K"_s : u"K2"_s); // under another game's key, no answer
        h.tick(row.silent, [&] { h.answer(bob); });
        EXPECT_EQ(h.IsOpen(ann), row.open) << row.what;
        h.net.PeerCloses(row.closes ? ann : h.net.Open());
        const quint64 cy = h.Join(u"Cy"_s); // told who is away as it joins
        h.net.Take(cy), row.closes ? void(h.Resume(u"Ann"_s, h.net.secrets.at(ann), held)) : h.answer(ann);
        h.net.Take(bob), h.net.Take(ann);
        EXPECT_TRUE(h.net.presence[cy] == row.bobHears.mid(0, 1) && h.net.presence[bob] == row.bobHears && h.net.presence[ann].isEmpty()) << row.what;
    }
}

TEST(HubHeartbeat, PingsAWindowThatBeatsOnlyAsSeldomAsBeforeAndFindsItAwayOnceItsBeatsStop)
{
    // Ann beats every 2.5 s for 20 s, then falls silent for 4.25 s; Bob answers every Ping.
    // clang-format off
    const struct { const char *what; int beatMs; QString key; int pings; QStringList bobHears; } table[] = {
        {"a window that beats", HubControl::BeatMs, u"K"_s, 1, {u"Away Ann"_s}},
        {"a beat under another game's key", HubControl::BeatMs, u"K2"_s, 10, {}},
        {"a beat to a hub that asked for none", 0, u"K"_s, 10, {}},
    };
    // clang-format on
    for (const auto &row : table) {
        Clocked h({.beatMs = row.beatMs});
        const quint64 ann = h.Join(u"Ann"_s), bob = h.Join(u"Bob"_s);
        int tick = 0;
        h.tick(80, [&] { ++tick % 10 == 1 ? h.beat(ann, row.key) : void(), h.answer(bob); });
        EXPECT_NEAR(h.net.Take(ann).count(u"[Hub]ÿPing"_s), row.pings, 1) << row.what;
        h.net.Take(bob);
        EXPECT_TRUE(h.net.presence[bob].isEmpty()) << row.what;
        h.tick(17, [&] { h.answer(bob); });
        h.net.Take(bob);
        EXPECT_EQ(h.net.presence[bob], row.bobHears) << row.what;
    }
}

} // namespace
