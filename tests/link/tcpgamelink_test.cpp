#include "link/tcpgamelink.h"

#include "link/framecodec.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A link joined to a hub stand-in that has sent it `bytes`, with its
// deliveries and losses recorded.
struct JoinedLink
{
    explicit JoinedLink(const QByteArray &bytes)
    {
        EXPECT_TRUE(hub.listen(QHostAddress::LocalHost, 0));
        EXPECT_TRUE(link.JoinGame(1, hub.serverPort()));
        EXPECT_TRUE(hub.waitForNewConnection(5000));
        peer = hub.nextPendingConnection();
        peer->write(bytes);
    }
    QTcpServer hub;
    QTcpSocket *peer = nullptr;
    TcpGameLink link{QStringLiteral("127.0.0.1")};
    QSignalSpy received{&link, &GameLink::TextReceived};
    QSignalSpy lost{&link, &GameLink::LinkLost};
};

TEST(TcpGameLink, RaisesOneDeliveryPerFrameSplitAtTheFirstSeparator)
{
    JoinedLink j(Frame::Encode(QStringLiteral("[Enter]\u00ffAnn")) + Frame::Encode(QStringLiteral("Ann\u00ffChat;a\u00ffb")));
    ASSERT_TRUE(WaitFor([&] { return j.received.size() == 2; }, 5000));
    EXPECT_EQ(j.received[0], QVariantList({"[Enter]", "Ann"}));
    EXPECT_EQ(j.received[1], QVariantList({"Ann", "Chat;a\u00ffb"}));
    EXPECT_TRUE(j.lost.isEmpty());
}

TEST(TcpGameLink, ReportsTheLinkLostOnceAndStopsSendingWhenTheHubClosesOrSendsWhatDoesNotRead)
{
    for (const QByteArray &bad : {QByteArray(), Frame::Encode(QStringLiteral("no separator")),
                                  QByteArray("\x00\x01\x00\x01", 4) /* over the frame limit */,
                                  QByteArray("\x00\x00\x00\x02\xc3\x28", 6) /* not UTF-8 */}) {
        JoinedLink j(Frame::Encode(QStringLiteral("Ann\u00ffChat;first")) + bad);
        if (bad.isEmpty())
            j.peer->disconnectFromHost();
        ASSERT_TRUE(WaitFor([&] { return !j.lost.isEmpty(); }, 5000)) << bad.toHex().toStdString();
        QTest::qWait(20);
        EXPECT_EQ(j.lost.size(), 1);
        EXPECT_EQ(j.received.size(), 1);
        EXPECT_FALSE(j.link.SendText(QStringLiteral("G\u00ffK\u00ffC\u00ffChat;x")));
    }
}

TEST(TcpGameLink, DoesNotJoinWhereNobodyListens)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    TcpGameLink link(QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(link.JoinGame(1, port));
    EXPECT_EQ(link.ErrorString(), QStringLiteral("the game hub at 127.0.0.1 port %1 could not be reached: "
                                                 "the connection was refused (is the hub running?).").arg(port));
    EXPECT_FALSE(link.JoinGame(1, 0));
    EXPECT_FALSE(link.SendText(QStringLiteral("x")));
}

} // namespace
