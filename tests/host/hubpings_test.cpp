#include "connections.h"
#include "hub.h"
#include "link/hubcontrol.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/faketransport.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray announce(const QString &name) { return Frame::Encode(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, name)); }

TEST(HubPings, GoToJoinedPlayersAndCutOffOnlyOnesThatAnsweredAndFellSilent)
{
    FakeTransport net;
    Hub hub(net, {1 << 20, 30000, 3600000, 20});
    auto tick = [&] { QMetaObject::invokeMethod(hub.findChild<QTimer *>(u"pinger"_s), "timeout"); };
    const quint64 ann = net.Open(), bob = net.Open(), early = net.Open();
    net.Feed(ann, announce(u"Ann"_s));
    net.Feed(bob, announce(u"Bob"_s)); // a window of an earlier release: it never answers
    net.Take(ann);
    net.Take(bob);

    tick();
    net.Feed(ann, Frame::Encode(LinkRecord::PingAnswer(u"K"_s)));
    net.Feed(bob, Frame::Encode(LinkRecord::PingAnswer(u"Other"_s)));  // not its game's key: no answer
    net.Feed(early, Frame::Encode(LinkRecord::PingAnswer(u"K"_s))); // before the join: ignored
    EXPECT_EQ(net.Take(ann), QStringList{u"[Hub]ÿPing"_s});
    EXPECT_EQ(net.Take(early), QStringList());

    WaitFor([] { return false; }, 40);
    tick();
    EXPECT_FALSE(net.peers[ann].open);
    QStringList toBob = net.Take(bob); // the second Ping may come before or after the [Exit]
    toBob.sort();
    EXPECT_EQ(toBob, QStringList({u"[Exit]ÿAnn"_s, u"[Hub]ÿPing"_s, u"[Hub]ÿPing"_s}));
    EXPECT_EQ(hub.Players(u"K"_s), QStringList{u"Bob"_s});
    EXPECT_EQ(hub.ConnectionCount(), 2);
}

TEST(HubRefusals, SayWhyAndCloseForANameThatCouldForgeTheHubOrReadsAsOneTaken)
{
    FakeTransport net;
    Hub hub(net);
    const quint64 ann = net.Open();
    net.Feed(ann, announce(u"Ann"_s));
    const struct { QString name, text; } table[] = {
        {u"[Hub]"_s, u"this name cannot play: a name cannot start with \"[\" or \"*\"."_s},
        {u"ANN"_s, u"the name \"ANN\" is already taken in this game."_s},
    };
    for (const auto &c : table) {
        const quint64 id = net.Open();
        net.Feed(id, announce(c.name));
        EXPECT_EQ(net.Take(id), QStringList{u"[Hub]ÿRefusedÿ"_s + c.text});
        EXPECT_FALSE(net.peers[id].open);
    }
    EXPECT_EQ(net.Take(ann), QStringList{u"[Enter]ÿAnn"_s});
}

TEST(HubPingsOverTcp, CutOffAPeerThatFellSilentKeepAWindowThatAnswersAndExplainARefusal)
{
    Connections connections;
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0));
    Hub hub(connections, {1 << 20, 30000, 50, 400});
    const quint16 port = connections.Port();
    auto window = [&](TcpGameLink &link, const QString &name) {
        EXPECT_TRUE(link.JoinGame(1, port));
        link.SendText(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, name));
        return link.WaitUntilJoined(u"K"_s, name, 5000);
    };
    TcpGameLink ann(u"127.0.0.1"_s);
    QSignalSpy annHears(&ann, &GameLink::TextReceived);
    QSignalSpy annLost(&ann, &GameLink::LinkLost);
    ASSERT_EQ(window(ann, u"Ann"_s), std::nullopt);

    // A peer that answers one Ping and then stops, without closing.
    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(silent.waitForConnected(5000));
    silent.write(announce(u"Dead"_s));
    ASSERT_TRUE(WaitFor([&] { return silent.bytesAvailable() && silent.readAll().contains("Ping"); }, 5000));
    silent.write(Frame::Encode(LinkRecord::PingAnswer(u"K"_s)));

    ASSERT_TRUE(WaitFor([&] { return !annHears.isEmpty() && annHears.last() == QVariantList{u"[Exit]"_s, u"Dead"_s}; }, 5000));
    EXPECT_EQ(hub.Players(u"K"_s), QStringList{u"Ann"_s});
    EXPECT_TRUE(annLost.isEmpty());

    TcpGameLink impostor(u"127.0.0.1"_s);
    EXPECT_EQ(window(impostor, u"Ann"_s), u"the game refused this window: the name \"Ann\" is already taken in this game."_s);
}

} // namespace
