#include "hub.h"
#include "localgame.h"
#include "link/linkrecord.h"
#include "support/linktestclient.h"

#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Delivery = LinkTestClient::Delivery;
const QString Y = QStringLiteral("\u00FF");

class HubTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(hub.Listen(QHostAddress::LocalHost, 0)); }

    LinkTestClient &connectClient()
    {
        clients.push_back(std::make_unique<LinkTestClient>());
        EXPECT_TRUE(clients.back()->Connect(hub.Port()));
        return *clients.back();
    }

    // Connects and joins, and waits for the newcomer's own "[Enter]".
    LinkTestClient &joined(const QString &key, const QString &name, qsizetype alreadyThere)
    {
        LinkTestClient &client = connectClient();
        client.Join(key, name);
        EXPECT_TRUE(client.WaitForDeliveries(alreadyThere + 1)) << name.toStdString();
        return client;
    }

    Hub hub;
    std::vector<std::unique_ptr<LinkTestClient>> clients;
};

TEST_F(HubTest, ReplaysEarlierPlayersToANewcomerThenAnnouncesItToEveryone)
{
    LinkTestClient &ann = joined(QStringLiteral("K"), QStringLiteral("Ann"), 0);
    LinkTestClient &bob = joined(QStringLiteral("K"), QStringLiteral("Bob"), 1);
    LinkTestClient &cy = joined(QStringLiteral("K"), QStringLiteral("Cy"), 2);
    ASSERT_TRUE(ann.WaitForDeliveries(3));
    ASSERT_TRUE(bob.WaitForDeliveries(3));

    EXPECT_EQ(ann.received, QList<Delivery>({{"[Enter]", "Ann"}, {"[Enter]", "Bob"}, {"[Enter]", "Cy"}}));
    EXPECT_EQ(bob.received, QList<Delivery>({{"[Enter]", "Ann"}, {"[Enter]", "Bob"}, {"[Enter]", "Cy"}}));
    EXPECT_EQ(cy.received, QList<Delivery>({{"[Enter]", "Ann"}, {"[Enter]", "Bob"}, {"[Enter]", "Cy"}}));
    EXPECT_EQ(hub.Players(QStringLiteral("K")), QStringList({"Ann", "Bob", "Cy"}));
}

TEST_F(HubTest, DeliversEveryMessageToTheWholeGameInOrderUnderTheJoinedName)
{
    LinkTestClient &ann = joined(QStringLiteral("K"), QStringLiteral("Ann"), 0);
    LinkTestClient &bob = joined(QStringLiteral("K"), QStringLiteral("Bob"), 1);
    ASSERT_TRUE(ann.WaitForDeliveries(2));
    ann.received.clear();
    bob.received.clear();

    for (int i = 0; i < 50; ++i)
        ann.Chat(QStringLiteral("K"), QStringLiteral("Chat;line %1").arg(i));
    ASSERT_TRUE(bob.WaitForDeliveries(50));
    bob.Chat(QStringLiteral("K"), "Comm;1|7" + Y + "tail");
    ASSERT_TRUE(ann.WaitForDeliveries(51));
    ASSERT_TRUE(bob.WaitForDeliveries(51));
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(bob.received[i], Delivery("Ann", QStringLiteral("Chat;line %1").arg(i)));
    EXPECT_EQ(ann.received, bob.received) << "the sender gets its own messages back";
    EXPECT_EQ(ann.received.last(), Delivery("Bob", "Comm;1|7" + Y + "tail"));
}

TEST_F(HubTest, KeepsGamesApart)
{
    LinkTestClient &ann = joined(QStringLiteral("K1"), QStringLiteral("Ann"), 0);
    LinkTestClient &bob = joined(QStringLiteral("K2"), QStringLiteral("Ann"), 0);
    ann.Chat(QStringLiteral("K1"), QStringLiteral("Chat;for K1"));
    ann.Chat(QStringLiteral("K2"), QStringLiteral("Chat;into K2 from K1"));
    ASSERT_TRUE(ann.WaitForDeliveries(2));
    LinkTestClient::Settle();
    EXPECT_EQ(bob.received, QList<Delivery>({{"[Enter]", "Ann"}}));
    EXPECT_EQ(ann.received, QList<Delivery>({{"[Enter]", "Ann"}, {"Ann", "Chat;for K1"}}));
}

TEST_F(HubTest, DropsMessagesBeforeTheJoinAndNeverTakesTheSenderFromTheRecord)
{
    LinkTestClient &ann = joined(QStringLiteral("K"), QStringLiteral("Ann"), 0);
    LinkTestClient &early = connectClient();
    early.Chat(QStringLiteral("K"), QStringLiteral("Chat;too early"));
    early.SendRecord(LinkRecord::Identify(QStringLiteral("K"), 5));
    early.Join(QStringLiteral("K"), QStringLiteral("Bob"));
    ASSERT_TRUE(early.WaitForDeliveries(2));
    // A forged name inside the message text changes nothing: the hub names the sender.
    early.SendRecord("G" + Y + "K" + Y + "C" + Y + "Chat;hi" + Y + "Ann");
    ASSERT_TRUE(ann.WaitForDeliveries(3));
    EXPECT_EQ(ann.received, QList<Delivery>({{"[Enter]", "Ann"}, {"[Enter]", "Bob"}, {"Bob", "Chat;hi" + Y + "Ann"}}));
}

TEST_F(HubTest, RefusesASecondPlayerOfTheSameNameInOneGame)
{
    LinkTestClient &ann = joined(QStringLiteral("K"), QStringLiteral("Ann"), 0);
    LinkTestClient &impostor = connectClient();
    impostor.Join(QStringLiteral("K"), QStringLiteral("Ann"));
    EXPECT_TRUE(impostor.WaitForClose());
    LinkTestClient::Settle();
    EXPECT_EQ(ann.received.size(), 1);
    EXPECT_EQ(hub.Players(QStringLiteral("K")), QStringList({"Ann"}));
}

struct BadInput
{
    const char *what;
    QByteArray bytes;
};

class HubBadInput : public HubTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(HubBadInput, ClosesOnlyTheOffendingConnection)
{
    LinkTestClient &ann = joined(QStringLiteral("K"), QStringLiteral("Ann"), 0);
    LinkTestClient &bad = joined(QStringLiteral("K"), QStringLiteral("Bad"), 1);
    bad.SendRaw(GetParam().bytes);
    EXPECT_TRUE(bad.WaitForClose()) << GetParam().what;
    ASSERT_TRUE(ann.WaitForDeliveries(3));
    EXPECT_EQ(ann.received.last(), Delivery("[Exit]", "Bad"));

    ann.Chat(QStringLiteral("K"), QStringLiteral("Chat;still here"));
    ASSERT_TRUE(ann.WaitForDeliveries(4));
    EXPECT_EQ(ann.received.last(), Delivery("Ann", "Chat;still here"));
}

QByteArray oversized()
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(65537, bytes.data());
    return bytes + QByteArray(100, 'x');
}

INSTANTIATE_TEST_SUITE_P(Table, HubBadInput, ::testing::Values(
    BadInput{"an oversized frame", oversized()},
    BadInput{"bytes that are not UTF-8", QByteArray("\0\0\0\2\xC3\x28", 6)},
    BadInput{"a record of no known form", Frame::Encode(QStringLiteral("hello"))}));

TEST_F(HubTest, AnnouncesALeaveToThePlayersLeft)
{
    LinkTestClient &ann = joined(QStringLiteral("K"), QStringLiteral("Ann"), 0);
    LinkTestClient &bob = joined(QStringLiteral("K"), QStringLiteral("Bob"), 1);
    bob.socket.disconnectFromHost();
    ASSERT_TRUE(ann.WaitForDeliveries(3));
    EXPECT_EQ(ann.received.last(), Delivery("[Exit]", "Bob"));
    EXPECT_EQ(hub.Players(QStringLiteral("K")), QStringList({"Ann"}));
}

TEST(HubLimits, CutsOffAReaderThatFallsTooFarBehind)
{
    Hub::Limits limits;
    limits.maxQueuedBytes = 64 * 1024;
    Hub hub(limits);
    ASSERT_TRUE(hub.Listen(QHostAddress::LocalHost, 0));
    LinkTestClient talker, sleeper;
    ASSERT_TRUE(talker.Connect(hub.Port()));
    ASSERT_TRUE(sleeper.Connect(hub.Port()));
    sleeper.socket.setReadBufferSize(1); // reads almost nothing: the kernel buffers fill up
    QObject::disconnect(&sleeper.socket, &QTcpSocket::readyRead, nullptr, nullptr);
    talker.Join(QStringLiteral("K"), QStringLiteral("Talker"));
    sleeper.Join(QStringLiteral("K"), QStringLiteral("Sleeper"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub.Players(QStringLiteral("K")).size() == 2; }, 5000));

    const QString big = QStringLiteral("Chat;") + QString(30000, u'x');
    for (int i = 0; i < 2000 && hub.Players(QStringLiteral("K")).size() == 2; ++i) {
        talker.Chat(QStringLiteral("K"), big);
        LinkTestClient::Settle(1);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub.Players(QStringLiteral("K")) == QStringList({"Talker"}); }, 10000));
}

TEST(HubLimits, ClosesAConnectionThatNeverJoins)
{
    Hub::Limits limits;
    limits.joinTimeoutMs = 50;
    Hub hub(limits);
    ASSERT_TRUE(hub.Listen(QHostAddress::LocalHost, 0));
    LinkTestClient idle;
    ASSERT_TRUE(idle.Connect(hub.Port()));
    EXPECT_TRUE(idle.WaitForClose());
}

} // namespace

namespace {

TEST(LocalGameNames, RefusesBlanksRepeatsAndEmptyNamesWithAReason)
{
    EXPECT_EQ(LocalGame::CheckNames({QStringLiteral("Ann"), QStringLiteral("Bob")}), QString());
    EXPECT_EQ(LocalGame::CheckNames({QStringLiteral("-style")}), QString());
    for (const QStringList &names : {QStringList(), QStringList{QStringLiteral("Ann Lee")},
                                     QStringList{QStringLiteral("Ann"), QStringLiteral("Ann")},
                                     QStringList{QStringLiteral("Ann"), QString()}})
        EXPECT_FALSE(LocalGame::CheckNames(names).isEmpty()) << names.join(u',').toStdString();
    EXPECT_NE(LocalGame::FreshKey(), LocalGame::FreshKey());
}

} // namespace
