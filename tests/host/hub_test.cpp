#include "hub.h"

#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "support/qtprinters.h"
#include "support/waitfor.h"

#include <QTcpSocket>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

const QString Caption = QStringLiteral("Kalumo Bingo");

// One connection to the hub, seen from a game window: it records each
// delivery as "sender|data".
class Player
{
public:
    explicit Player(const Hub &hub, qint64 readBufferSize = 0)
    {
        socket.setReadBufferSize(readBufferSize);
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            reader.Feed(socket.readAll());
            while (const auto frame = reader.Next())
                got << QString(*frame).replace(LinkRecord::Separator, QLatin1Char('|'));
        });
        socket.connectToHost(QHostAddress::LocalHost, hub.Port());
        EXPECT_TRUE(socket.waitForConnected(5000));
    }
    void Send(const QByteArray &bytes) { socket.write(bytes); }
    void Join(const QString &key, const QString &name) { Send(Frame::Encode(LinkRecord::Announce(key, Caption, name))); }
    void Say(const QString &key, const QString &text) { Send(Frame::Encode(LinkRecord::Message(key, text))); }
    bool WaitFor(qsizetype deliveries) { return ::WaitFor([&] { return got.size() >= deliveries; }); }
    bool WaitClosed() { return ::WaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }); }

    QTcpSocket socket;
    Frame::Reader reader;
    QStringList got;
};

class HubTest : public ::testing::Test
{
protected:
    void start(const Hub::Limits &limits = {})
    {
        hub = std::make_unique<Hub>(limits);
        ASSERT_TRUE(hub->Listen(QHostAddress::LocalHost, 0));
    }
    std::unique_ptr<Player> joined(const QString &key, const QString &name, qsizetype alreadyThere)
    {
        auto player = std::make_unique<Player>(*hub);
        player->Join(key, name);
        EXPECT_TRUE(player->WaitFor(alreadyThere + 1)) << name.toStdString();
        return player;
    }
    std::unique_ptr<Hub> hub;
};

TEST_F(HubTest, AnnouncesANewcomerAfterThePlayersAlreadyThere)
{
    start();
    auto ann = joined("K", "Ann", 0), bob = joined("K", "Bob", 1), cy = joined("K", "Cy", 2);
    ASSERT_TRUE(ann->WaitFor(3));
    EXPECT_EQ(ann->got, QStringList({"[Enter]|Ann", "[Enter]|Bob", "[Enter]|Cy"}));
    EXPECT_EQ(cy->got, QStringList({"[Enter]|Ann", "[Enter]|Bob", "[Enter]|Cy"}));
    EXPECT_EQ(hub->Players("K"), QStringList({"Ann", "Bob", "Cy"}));
}

TEST_F(HubTest, DeliversMessagesInOrderToEveryPlayerOfTheirGameOnly)
{
    start();
    Player early(*hub);
    early.Say("K1", "Chat;before joining");
    auto ann = joined("K1", "Ann", 0), bob = joined("K1", "Bob", 1), cy = joined("K2", "Cy", 0);
    bob->Say("K2", "Chat;into another game");
    QStringList said;
    for (int i = 0; i < 200; ++i) {
        said << QStringLiteral("Ann|Chat;%1").arg(i);
        ann->Say("K1", QStringLiteral("Chat;%1").arg(i));
    }
    ASSERT_TRUE(bob->WaitFor(2 + 200));
    ASSERT_TRUE(ann->WaitFor(2 + 200));
    EXPECT_EQ(bob->got.mid(2), said);
    EXPECT_EQ(ann->got.mid(2), said);
    early.Join("K2", "Early");
    ASSERT_TRUE(cy->WaitFor(2));
    EXPECT_EQ(cy->got, QStringList({"[Enter]|Cy", "[Enter]|Early"}));
}

TEST_F(HubTest, DeliversWhatALeavingPlayerSentBeforeTellingTheGameItLeft)
{
    start();
    auto ann = joined("K", "Ann", 0), bob = joined("K", "Bob", 1);
    bob->Say("K", "Chat;bye");
    bob->socket.flush();
    bob.reset();
    ASSERT_TRUE(ann->WaitFor(4));
    EXPECT_EQ(ann->got.mid(2), QStringList({"Bob|Chat;bye", "[Exit]|Bob"}));
    EXPECT_EQ(hub->Players("K"), QStringList({"Ann"}));
}

TEST_F(HubTest, RefusesASecondPlayerOfTheSameNameInOneGame)
{
    start();
    auto ann = joined("K", "Ann", 0);
    auto other = joined("L", "Ann", 0);
    Player second(*hub);
    second.Join("K", "Ann");
    EXPECT_TRUE(second.WaitClosed());
    EXPECT_EQ(hub->Players("K"), QStringList({"Ann"}));
    EXPECT_EQ(hub->Players("L"), QStringList({"Ann"}));
}

QByteArray header(quint32 length)
{
    QByteArray bytes(Frame::HeaderSize, Qt::Uninitialized);
    qToBigEndian<quint32>(length, bytes.data());
    return bytes;
}

class HubBadInput : public HubTest, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(HubBadInput, ClosesTheSenderAndTellsItsGame)
{
    start();
    auto ann = joined("K", "Ann", 0), bob = joined("K", "Bob", 1);
    bob->Send(GetParam());
    EXPECT_TRUE(bob->WaitClosed());
    ASSERT_TRUE(ann->WaitFor(3));
    EXPECT_EQ(ann->got.last(), QStringLiteral("[Exit]|Bob"));
}

INSTANTIATE_TEST_SUITE_P(Bytes, HubBadInput, ::testing::Values(
    header(Frame::MaxPayload + 1) + QByteArray(100, 'x'),
    header(3) + QByteArray("\xff\xfe\xfd"),
    Frame::Encode(QStringLiteral("hello")),
    Frame::Encode(QStringLiteral("G\u00ffK\u00ffZ\u00ffx"))));

TEST_F(HubTest, CutsOffAReaderTooSlowForItsGame)
{
    start({256 * 1024, 30000});
    auto ann = joined("K", "Ann", 0), bob = joined("K", "Bob", 1);
    auto slow = std::make_unique<Player>(*hub, 1);
    slow->Join("K", "Slow");
    ASSERT_TRUE(ann->WaitFor(3));
    // About five times what the limit and the two ends' socket buffers hold.
    const QString big = "Chat;" + QString(60000, QLatin1Char('x'));
    constexpr int count = 40;
    for (int i = 0; i < count; ++i)
        ann->Say("K", big);
    ASSERT_TRUE(WaitFor([&] { return hub->Players("K").size() == 2; }));
    ASSERT_TRUE(bob->WaitFor(3 + count + 1));
    EXPECT_EQ(bob->got.filter("Ann|Chat;").size(), count);
    EXPECT_TRUE(bob->got.contains("[Exit]|Slow"));
}

TEST_F(HubTest, ClosesAConnectionThatDoesNotJoinInTime)
{
    start({8 * 1024 * 1024, 50});
    Player idle(*hub);
    EXPECT_TRUE(idle.WaitClosed());
}

} // namespace
