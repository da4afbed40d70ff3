#include "connections.h"
#include "hub.h"
#include "link/hubcontrol.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray announce(const QString &name) { return Frame::Encode(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, name)); }

TEST(HubPingsOverTcp, CutOffAPeerThatFellSilentKeepAWindowThatAnswersAndRefusalsSayWhy)
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
    // A window of an earlier release never answers, and is never cut off.
    QTcpSocket old;
    old.connectToHost(QHostAddress::LocalHost, port);
    old.write(announce(u"Old"_s));
    TcpGameLink ann(u"127.0.0.1"_s);
    QSignalSpy annHears(&ann, &GameLink::TextReceived);
    ASSERT_EQ(window(ann, u"Ann"_s), std::nullopt);

    // A peer that answers one Ping, under its key and before its join too,
    // and then stops without closing; its answers reach nobody.
    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, port);
    silent.write(Frame::Encode(LinkRecord::PingAnswer(u"K"_s)) + announce(u"Dead"_s));
    ASSERT_TRUE(WaitFor([&] { return silent.bytesAvailable() && silent.readAll().contains("Ping"); }, 5000));
    silent.write(Frame::Encode(LinkRecord::PingAnswer(u"K"_s)));

    ASSERT_TRUE(WaitFor([&] { return !annHears.isEmpty() && annHears.last() == QVariantList{u"[Exit]"_s, u"Dead"_s}; }, 5000));
    EXPECT_TRUE(hub.Players(u"K"_s).contains(u"Old"_s) && hub.Players(u"K"_s).size() == 2);
    EXPECT_EQ(annHears.size(), 4); // Old, Ann and Dead came; Dead left; nothing else

    // Refusals reach the window before the close: one name reads as Ann's,
    // the other could pass for the hub itself.
    TcpGameLink ann2(u"127.0.0.1"_s), hubForger(u"127.0.0.1"_s);
    EXPECT_EQ(window(ann2, u"ANN"_s), u"the game refused this window: the name \"ANN\" is already taken in this game."_s);
    EXPECT_EQ(window(hubForger, u"[Hub]"_s),
              u"the game refused this window: this name cannot be used: a name cannot start with \"[\" or \"*\"."_s);
}

} // namespace
