// SPDX-License-Identifier: GPL-3.0-or-later
// The hub's rules, on a transport in memory.
#include "hub/support/faketransport.h"
#include "link/linkrecord.h"
#include "support/qtprinters.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Refused = u"[Hub]ÿRefusedÿ"_s;

TEST(Hub, DeliversAGamesRecordsInOneOrderToItsJoinedPlayersOnly)
{
    FakeHub h;
    const quint64 ann = h.Join(u"Ann"_s), bob = h.Join(u"Bob"_s), other = h.Join(u"Ann"_s, u"K2"_s), early = h.net.Open();
    h.Say(early, u"Chat;before the join"_s);
    h.Say(ann, u"Chat;one"_s);
    h.Say(bob, u"Comm;1|7ÿAnn"_s); // a name inside the text names nobody
    h.Join(u"Cy"_s, u"K"_s, early);
    h.Join(u"Cyrus"_s, u"K"_s, early); // a second join changes nothing
    h.Say(early, u"Chat;into the other game"_s, u"K2"_s);
    h.net.PeerCloses(bob);
    const QStringList before{u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"AnnÿChat;one"_s, u"BobÿComm;1|7ÿAnn"_s, u"[Enter]ÿCy"_s};
    EXPECT_EQ(h.net.Take(ann), before + QStringList{u"[Exit]ÿBob"_s});
    EXPECT_EQ(h.net.Take(bob), before);
    EXPECT_EQ(h.net.Take(early), QStringList({u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"[Enter]ÿCy"_s, u"[Exit]ÿBob"_s}));
    EXPECT_EQ(h.net.Take(other), QStringList{u"[Enter]ÿAnn"_s});
}

TEST(Hub, ClosesAConnectionOverItsAddressCapOrThatDoesNotJoinInTime)
{
    FakeHub h({.joinTimeoutMs = 0, .maxPerAddress = 2});
    const quint64 ann = h.Join(u"Ann"_s), idle = h.net.Open(), third = h.net.Open();
    EXPECT_TRUE(h.IsOpen(idle) && !h.IsOpen(third) && h.net.Take(third).value(0).startsWith(Refused));
    QCoreApplication::processEvents(); // the join timers: no time at all here
    EXPECT_TRUE(h.IsOpen(ann) && !h.IsOpen(idle));
    EXPECT_TRUE(h.IsOpen(h.net.Open())); // the idle one's place is free again
}

TEST(Hub, RefusesANameTheGameCannotCarryAndLogsItAsOneCleanLine)
{
    FakeHub h;
    QSignalSpy log(&h.hub, &Hub::Log);
    h.Join(u"Ann"_s);
    h.Join(u"Cy"_s, u"K\n\x1b[2Jkey"_s + QString(500, u'k')); // joins, but its key is peer text too
    for (const QString &name : {u"[Exit]"_s, u"Zed@30000"_s, u"Ann\n\x1b[31mBob"_s, u"ann"_s, u"ＡＮＮ"_s, u"\u202Enna"_s, u" Ann"_s}) {
        const quint64 id = h.Join(name);
        EXPECT_TRUE(!h.IsOpen(id) && h.net.Take(id).value(0).startsWith(Refused)) << name.toStdString();
    }
    EXPECT_EQ(h.hub.Players(u"K"_s), QStringList{u"Ann"_s});
    ASSERT_EQ(log.size(), 9);
    for (const QList<QVariant> &line : log)
        EXPECT_TRUE(line[0].toString().size() < 200 && !line[0].toString().contains(QRegularExpression(u"[\\p{Cc}\\p{Cf}]"_s)))
            << line[0].toString().toStdString();
    EXPECT_TRUE(log[4][0].toString().contains(u"Ann\\u{a}\\u{1b}[31mBob"_s)) << log[4][0].toString().toStdString();
}

TEST(Hub, HoldingOneGameLetsInOnlyItsKeyAndTheHostsNameOnlyWithTheHostsSecret)
{
    FakeHub h;
    h.hub.HoldOneGame(u"K"_s, u"Ann"_s, u"s3cret"_s);
    // clang-format off
    const struct { QString name, key, secret; bool joins; } table[] = {
        {u"Ann"_s, u"K"_s, {}, false}, {u"ＡＮＮ"_s, u"K"_s, u"s3cre"_s, false}, {u"Ann"_s, u"K"_s, u"s3cretX"_s, false},
        {u"Bob"_s, u"K2"_s, {}, false}, {u"Bob"_s, u"K"_s, {}, true}, {u"Ann"_s, u"K"_s, u"s3cret"_s, true}, {u"ann"_s, u"K"_s, {}, false}};
    // clang-format on
    for (int round = 0; round < 2; ++round) { // the second time, after the host has left
        QList<quint64> joined;
        for (const auto &row : table) {
            const quint64 id = h.net.Open();
            h.net.Feed(id, Frame::Encode(LinkRecord::HostSecret(row.key, row.secret)));
            h.Join(row.name, row.key, id);
            EXPECT_EQ(h.IsOpen(id), row.joins) << round << row.name.toStdString();
            joined << id;
        }
        EXPECT_EQ(h.hub.Players(u"K"_s), QStringList({u"Bob"_s, u"Ann"_s}));
        for (quint64 id : joined) h.net.PeerCloses(id);
    }
}

TEST(Hub, ClosesOnlyAConnectionThatSendsBadInput)
{
    // clang-format off
    const struct { const char *what; QByteArray bytes; } table[] = {
        {"a frame over the size limit", QByteArray("\0\1\0\1", 4) + QByteArray(100, 'x')},
        {"a record of no known form", Frame::Encode(u"hello"_s)},
        {"a message of no known form", Frame::Encode(u"GÿK"_s)},
    };
    // clang-format on
    FakeHub h;
    const quint64 ann = h.Join(u"Ann"_s);
    for (const auto &row : table) {
        const quint64 bad = h.Join(u"Bad"_s);
        h.net.Take(ann);
        h.net.Feed(bad, row.bytes);
        EXPECT_TRUE(!h.IsOpen(bad) && h.net.Take(ann) == QStringList{u"[Exit]ÿBad"_s}) << row.what;
    }
    // A frame at the size limit is taken, but is too long to deliver with this sender's name.
    const quint64 bob = h.Join(u"Bartholomew"_s);
    h.net.Take(ann);
    h.Say(bob, QString(Frame::MaxPayload - LinkRecord::Message(u"K"_s, {}).toUtf8().size(), u'x'));
    EXPECT_TRUE(h.IsOpen(bob) && h.net.Take(ann).isEmpty());
}

TEST(Hub, ClosesAConnectionThatSendsAboveItsRecordOrByteRateAndKeepsOneWithinIt)
{
    // clang-format off
    const struct { const char *what; int records, bytes, stepMs; bool staysOpen; } table[] = {
        {"the whole record burst at once", 99, 10, 0, true},
        {"one record over the burst", 100, 10, 0, false},
        {"the sustained record rate for a minute", 1200, 10, 50, true},
        {"a tenth over the record rate", 1200, 10, 45, false},
        {"the byte burst at once", 80, 6000, 0, true},
        {"past the byte burst", 90, 6000, 0, false},
        {"the sustained byte rate for a minute", 300, 13000, 200, true},
        {"half again the byte rate", 300, 19600, 200, false},
    };
    // clang-format on
    for (const auto &row : table) {
        qint64 nowMs = 0;
        FakeHub h({.clockMs = [&nowMs] { return nowMs; }});
        const quint64 ann = h.Join(u"Ann"_s);
        for (int i = 0; i < row.records && h.IsOpen(ann); ++i, nowMs += row.stepMs) h.Say(ann, u"Chat;"_s + QString(row.bytes, u'x'));
        EXPECT_EQ(h.IsOpen(ann), row.staysOpen) << row.what;
        EXPECT_EQ(h.net.Take(ann).last().startsWith(Refused), !row.staysOpen) << row.what;
    }
}

TEST(Hub, CutsOffAReaderOnTheFrameThatTakesItOverTheLimitThenAnnouncesItsExit)
{
    // A stopped reader holds its seat, its two joins and three of these before it is cut off.
    const QString big = u"Chat;"_s + QString(1000, u'x');
    FakeHub h({.maxQueuedBytes = Frame::Encode(u"[Hub]ÿSeatÿ"_s + QString(32, u'0')).size() + Frame::Encode(u"[Hub]ÿHeartbeatÿ3000"_s).size()
                   + Frame::Encode(u"[Hub]ÿBeatÿ2500"_s).size() + Frame::Encode(u"[Enter]ÿTalker"_s).size() + Frame::Encode(u"[Enter]ÿSleeper"_s).size()
                   + 3 * Frame::Encode(u"Talkerÿ"_s + big).size()});
    const quint64 talker = h.Join(u"Talker"_s), sleeper = h.Join(u"Sleeper"_s);
    for (int i = 0; i < 3; ++i) h.Say(talker, big);
    EXPECT_TRUE(h.IsOpen(sleeper));
    h.net.Take(talker);
    h.Say(talker, big);
    EXPECT_FALSE(h.IsOpen(sleeper));
    EXPECT_EQ(h.net.Take(talker), QStringList({u"Talkerÿ"_s + big, u"[Exit]ÿSleeper"_s}));
    FakeHub tiny({.maxQueuedBytes = 1}); // cut off on its Seat frame, the first of a new game
    tiny.Join(u"Ann"_s);
    EXPECT_EQ(tiny.hub.GameCount(), 0) << "no empty game is left behind";
}

TEST(Hub, CutsOffAFlooderBeforeAnyoneElseIsCutForReadingTooSlowly)
{
    FakeHub h({.maxQueuedBytes = 1 << 20});
    const quint64 host = h.Join(u"Host"_s), sleeper = h.Join(u"Sleeper"_s), flooder = h.Join(u"Flood"_s);
    const QByteArray line = Frame::Encode(LinkRecord::Message(u"K"_s, u"Chat;"_s + QString(120, u'x')));
    for (int i = 0; i < 20000 && h.IsOpen(flooder); ++i) // 2.6 MB when nobody stops it
        h.net.Feed(flooder, line);
    EXPECT_TRUE(!h.IsOpen(flooder) && h.IsOpen(host) && h.IsOpen(sleeper));
    EXPECT_EQ(h.net.Take(host).last(), u"[Exit]ÿFlood"_s);
}

TEST(Hub, CutsTheConnectionsWithTheMostWaitingFirstWhenAllQueuesTogetherPassTheBudget)
{
    FakeHub h({.maxQueuedBytes = 1 << 20, .maxQueuedTotal = 8000});
    const quint64 talker = h.Join(u"Talker"_s), behind = h.Join(u"Behind"_s), sleeper = h.Join(u"Sleeper"_s);
    for (int i = 0; i < 30; ++i) {
        h.Say(talker, u"Chat;"_s + QString(1000, u'x'));
        h.net.Take(talker);
        if (i % 2) h.net.Take(behind); // never more than two records behind
    }
    EXPECT_FALSE(h.IsOpen(sleeper));
    EXPECT_EQ(h.hub.Players(u"K"_s), QStringList({u"Talker"_s, u"Behind"_s}));
}

// Ann and Bob; Ann, unless told, is a window that resumes and has acknowledged the joins.
struct Table : FakeHub
{
    explicit Table(const Hub::Limits &limits = {}, bool acks = true)
        : FakeHub(limits)
        , ann(Join(u"Ann"_s))
        , bob(Join(u"Bob"_s))
        , held(net.Take(ann).size())
    {
        if (acks) Ack(ann, held);
        net.Take(bob);
    }
    QStringList say(int n)
    {
        QStringList said;
        for (int i = 0; i < n; ++i, Say(bob, said.last().mid(4))) said << u"BobÿChat;%1"_s.arg(i);
        return said;
    }
    quint64 ann, bob, held;
};
const QStringList NoSeat{u"[Hub]ÿNoSeatÿthis game holds no seat for this window to take back."_s};

TEST(HubResume, ASeatIsTakenBackOnlyWithItsSecretFromACountItReachedAndGetsWhatItMissedOnceInOrder)
{
    // secret: 'A' Ann's, 'B' Bob's, '0' made up; count: what Ann holds, plus this. Ann's window that cannot resume leaves.
    // clang-format off
    const struct { const char *what; bool hubNoticed; QString name; char secret; int count; bool takes, leaves; } table[] = {
        {"after a close the hub saw", true, u"Ann"_s, 'A', 0, true, false},
        {"while the old connection looks open to the hub", false, u"Ann"_s, 'A', 0, true, false},
        {"holding one delivery more", true, u"Ann"_s, 'A', 1, true, false},
        {"with a made-up secret", true, u"Ann"_s, '0', 0, false, false},
        {"with another seat's secret", false, u"Ann"_s, 'B', 0, false, false},
        {"under a name with no seat", true, u"Zed"_s, 'A', 0, false, false},
        {"from a count the seat never reached", true, u"Ann"_s, 'A', 9, false, false},
        {"from a count acknowledged and let go, the old connection still open", false, u"Ann"_s, 'A', -1, false, false},
    };
    // clang-format on
    for (const auto &row : table) {
        Table t;
        if (row.hubNoticed) t.net.PeerCloses(t.ann);
        const QStringList said = t.say(3), back = said.mid(row.takes ? row.count : 0) + QStringList{u"[Hub]ÿResumed"_s};
        const QString annsSecret = t.net.secrets.at(t.ann);
        const quint64 id = t.Resume(row.name,
                                    row.secret == 'A'       ? annsSecret
                                        : row.secret == 'B' ? t.net.secrets.at(t.bob)
                                                            : QString(32, u'0'),
                                    t.held + row.count);
        EXPECT_TRUE(t.net.Take(id) == (row.takes ? back : NoSeat) && t.IsOpen(id) == row.takes) << row.what;
        // Nothing changed for the seat's owner, unless it was the owner.
        EXPECT_EQ(row.takes ? back : t.net.Take(t.Resume(u"Ann"_s, annsSecret, t.held)), row.leaves ? NoSeat : back) << row.what;
        t.Say(t.bob, u"Chat;end"_s);
        EXPECT_EQ(t.net.Take(t.bob), said + (row.leaves ? QStringList{u"[Exit]ÿAnn"_s} : QStringList()) + QStringList{u"BobÿChat;end"_s}) << row.what;
    }
}

TEST(HubResume, AWindowThatLosesItsLinkBeforeItsFirstAcknowledgementArrivesGetsWhatItMissed)
{
    Table t({}, false);
    const QStringList said = t.say(2); // written to Ann, lost with her link
    t.Ack(t.ann, 0); // what her window sent on its Seat frame, arriving only now
    t.net.PeerCloses(t.ann);
    EXPECT_EQ(t.net.Take(t.Resume(u"Ann"_s, t.net.secrets.at(t.ann), t.held)), said + QStringList{u"[Hub]ÿResumed"_s});
}

TEST(HubResume, ASeatIsGivenUpAsIfItsWindowHadLeftOnceItCannotBeKeptForIt)
{
    // clang-format off
    const struct { const char *what; Hub::Limits limits; bool acks; QString last; int missed; } table[] = {
        {"the grace period ran out", {.graceMs = 1}, true, {}, 1},
        {"more deliveries than it keeps", {.keptRecords = 4}, true, {}, 5},
        {"more bytes than it keeps", {.keptBytes = 50}, true, {}, 4},
        {"resuming turned off", {.graceMs = 0}, true, {}, 0},
        {"a window that said goodbye", {}, true, u"GÿKÿX"_s, 0},
        {"a window of an earlier release", {}, false, {}, 0},
        {"one that answers a Ping without acknowledging", {}, false, u"GÿKÿP"_s, 0},
    };
    // clang-format on
    for (const auto &row : table) {
        Table t(row.limits, row.acks);
        t.net.Feed(t.ann, row.last.isEmpty() ? QByteArray() : Frame::Encode(row.last));
        t.net.PeerCloses(t.ann);
        const QStringList said = t.say(row.missed);
        if (QTimer *grace = t.hub.findChild<QTimer *>(u"grace"_s); grace && row.limits.graceMs == 1) grace->setInterval(0); // fired now
        QCoreApplication::processEvents();
        EXPECT_EQ(t.net.Take(t.bob), said + QStringList{u"[Exit]ÿAnn"_s}) << row.what;
        EXPECT_EQ(t.net.Take(t.Resume(u"Ann"_s, t.net.secrets.at(t.ann), t.held)), NoSeat) << row.what;
        EXPECT_EQ(t.net.Take(t.Join(u"Ann"_s)), QStringList({u"[Enter]ÿBob"_s, u"[Enter]ÿAnn"_s})) << row.what;
    }
}

TEST(HubResume, SeatsAwayKeepWithinTheHubsBudgetAndThePerAddressOneGivingUpTheLargestFirst)
{
    // Game i: a seat that acknowledged and dropped, and a flooder under the rate limit sending
    // 20 records of 1 KB a second for (i + 1) seconds; seats 0-2 connected from one address, 3-4 from another.
    const struct
    {
        const char *what;
        qint64 total, perAddress;
        QList<int> givenUp;
    } table[] = {
        {"within both budgets", 1 << 20, 1 << 20, {}},
        {"past the hub's budget", 200'000, 1 << 20, {3, 4}},
        {"past one address's budget", 1 << 20, 150'000, {3}},
    };
    for (const auto &row : table) {
        Clocked h({.keptBytesTotal = row.total, .keptBytesPerAddress = row.perAddress});
        QList<quint64> flooders;
        for (int game = 0; game < 5; ++game) {
            const QString key = u"G%1"_s.arg(game);
            const quint64 seat = h.Join(u"Away"_s, key, h.net.Open(QHostAddress(game < 3 ? u"10.0.0.1"_s : u"10.0.0.2"_s)));
            h.net.Feed(seat, Frame::Encode(LinkRecord::Acknowledge(key, h.net.Take(seat).size())));
            h.net.PeerCloses(seat);
            flooders << h.Join(u"Flood"_s, key);
            for (int i = 0; i < 20 * (game + 1) && h.IsOpen(flooders.last()); ++i, h.now += 50) {
                h.Say(flooders.last(), u"Chat;"_s + QString(1000, u'x'), key);
                ASSERT_LE(h.hub.KeptAwayBytes(), row.total) << row.what;
            }
        }
        for (int game = 0; game < 5; ++game)
            EXPECT_EQ(h.net.Take(flooders[game]).contains(u"[Exit]ÿAway"_s), row.givenUp.contains(game)) << row.what << " game " << game;
    }
}

TEST(HubResume, ASeatTakenBackFromAConnectionStillOpenCountsOnceAgainstItsAddress)
{
    Table t({.maxPerAddress = 4});
    t.Resume(u"Ann"_s, t.net.secrets.at(t.ann), t.held); // Ann's old connection closes: Ann and Bob are two
    const quint64 third = t.net.Open(), fourth = t.net.Open();
    EXPECT_TRUE(t.IsOpen(third) && t.IsOpen(fourth) && !t.IsOpen(t.net.Open()));
}

} // namespace

namespace {

TEST(HubHostedGame, AGameEndedByItsHostTellsEveryWindowWhoEndedItAndTakesNoMoreJoins)
{
    // clang-format off
    const struct { const char *what; bool byHost, byHub, ends; } table[] = {
        {"the host's window ends it", true, false, true}, {"kalumo-hub host is stopped", false, true, true}, {"a player cannot end it", false, false, false}};
    // clang-format on
    for (const auto &row : table) {
        FakeHub h; // Ann hosts, with her secret
        h.hub.HoldOneGame(u"K"_s, u"Ann"_s, u"s3cret"_s);
        const quint64 ann = h.net.Open(), bob = (h.net.Feed(ann, Frame::Encode(LinkRecord::HostSecret(u"K"_s, u"s3cret"_s))), h.Join(u"Bob"_s));
        h.Join(u"Ann"_s, u"K"_s, ann);
        h.net.Take(bob);
        QSignalSpy ended(&h.hub, &Hub::GameEnded);
        row.byHub ? h.hub.EndGame() : h.net.Feed(row.byHost ? ann : bob, Frame::Encode(LinkRecord::EndGame(u"K"_s)));
        EXPECT_EQ(h.net.Take(bob), row.ends ? QStringList{u"[Hub]ÿGameEndedÿAnn"_s} : QStringList()) << row.what;
        EXPECT_TRUE(h.IsOpen(bob) != row.ends && ended.size() == int(row.ends)) << row.what;
        const quint64 late = h.Join(u"Cy"_s);
        QStringList heard = h.net.Take(late); // after the frames that tell who hosts and how often the hub writes
        heard.removeIf([](const QString &frame) { return frame.startsWith(u"[Hub]ÿHostName"_s) || frame.startsWith(u"[Hub]ÿHeartbeat"_s); });
        EXPECT_EQ(heard.value(0), row.ends ? Refused + u"Ann ended this game."_s : u"[Enter]ÿBob"_s) << row.what;
    }
    FakeHub open; // a hub of many games has no host to end one
    open.net.Feed(open.Join(u"Ann"_s), Frame::Encode(LinkRecord::EndGame(u"K"_s)));
    EXPECT_EQ(open.hub.Players(u"K"_s), QStringList{u"Ann"_s});
}

} // namespace
