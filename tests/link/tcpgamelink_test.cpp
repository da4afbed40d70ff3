#include "link/tcpgamelink.h"

#include "link/framecodec.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A hub stand-in that sends the bytes a test gives it to the first window
// that connects.
class FakeHub
{
public:
    FakeHub() { EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }
    QTcpSocket *Accepted()
    {
        if (!peer && server.waitForNewConnection(5000))
            peer = server.nextPendingConnection();
        return peer;
    }
    QTcpServer server;
    QTcpSocket *peer = nullptr;
};

TEST(TcpGameLink, RaisesOneDeliveryPerFrameSplitAtTheFirstSeparator)
{
    FakeHub hub;
    TcpGameLink link(QStringLiteral("127.0.0.1"));
    QSignalSpy received(&link, &GameLink::TextReceived);
    ASSERT_TRUE(link.JoinGame(1, hub.server.serverPort()));
    ASSERT_TRUE(hub.Accepted());
    hub.peer->write(Frame::Encode(QStringLiteral("[Enter]\u00ffAnn")) + Frame::Encode(QStringLiteral("Ann\u00ffChat;a\u00ffb")));
    ASSERT_TRUE(WaitFor([&] { return received.size() == 2; }, 5000));
    EXPECT_EQ(received[0], QVariantList({"[Enter]", "Ann"}));
    EXPECT_EQ(received[1], QVariantList({"Ann", "Chat;a\u00ffb"}));
}

class TcpGameLinkFromABadHub : public ::testing::TestWithParam<QByteArray> {};

TEST_P(TcpGameLinkFromABadHub, ReportsTheLinkLostOnceAndStopsSending)
{
    FakeHub hub;
    TcpGameLink link(QStringLiteral("127.0.0.1"));
    QSignalSpy lost(&link, &GameLink::LinkLost);
    QSignalSpy received(&link, &GameLink::TextReceived);
    ASSERT_TRUE(link.JoinGame(1, hub.server.serverPort()));
    ASSERT_TRUE(hub.Accepted());
    hub.peer->write(Frame::Encode(QStringLiteral("Ann\u00ffChat;first")) + GetParam());
    if (GetParam().isEmpty())
        hub.peer->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !lost.isEmpty(); }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(lost.size(), 1);
    EXPECT_EQ(received.size(), 1);
    EXPECT_FALSE(link.SendText(QStringLiteral("G\u00ffK\u00ffC\u00ffChat;x")));
}

INSTANTIATE_TEST_SUITE_P(Streams, TcpGameLinkFromABadHub, ::testing::Values(
    QByteArray(),                                    // the hub closes
    Frame::Encode(QStringLiteral("no separator")),
    QByteArray("\x00\x01\x00\x01", 4),               // over the frame limit
    QByteArray("\x00\x00\x00\x02\xc3\x28", 6)));     // not UTF-8

TEST(TcpGameLink, DoesNotJoinWhereNobodyListens)
{
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    TcpGameLink link(QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(link.JoinGame(1, port));
    EXPECT_EQ(link.ErrorString(), QStringLiteral("the game hub at 127.0.0.1 port %1 could not be reached: "
                                                 "the connection was refused (is the hub running?).").arg(port));
    EXPECT_FALSE(link.JoinGame(1, 0));
    EXPECT_FALSE(link.SendText(QStringLiteral("x")));
}

} // namespace
