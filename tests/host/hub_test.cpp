#include "connections.h"
#include "hub.h"
#include "link/linkrecord.h"
#include "localgame.h"
#include "support/faketransport.h"
#include "support/waitfor.h"

#include <QtEndian>
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class HubTest : public ::testing::Test
{
protected:
    // Joins `key` as `name` on connection `id`, or on a new one.
    quint64 join(const QString &key, const QString &name, quint64 id = 0)
    {
        id = id ? id : net.Open();
        net.Feed(id, Frame::Encode(LinkRecord::Announce(key, u"Kalumo Bingo"_s, name)));
        return id;
    }
    void say(quint64 id, const QString &key, const QString &text) { net.Feed(id, Frame::Encode(LinkRecord::Message(key, text))); }

    // A stopped reader holds its two joins and three of these before it is cut off.
    const QString big = u"Chat;"_s + QString(1000, u'x');
    FakeTransport net;
    Hub hub{net, {.maxQueuedBytes = Frame::Encode(u"[Enter]ÿTalker"_s).size() + Frame::Encode(u"[Enter]ÿSleeper"_s).size()
                          + 3 * Frame::Encode(u"Talkerÿ"_s + big).size(), .joinTimeoutMs = 0}};
};

TEST_F(HubTest, ReplaysEarlierPlayersToANewcomerAndDeliversToTheWholeGameInOrder)
{
    const quint64 ann = join(u"K"_s, u"Ann"_s), bob = join(u"K"_s, u"Bob"_s);
    say(ann, u"K"_s, u"Chat;one"_s);
    say(bob, u"K"_s, u"Comm;1|7ÿAnn"_s); // a name inside the text names nobody
    const quint64 cy = join(u"K"_s, u"Cy"_s);
    net.PeerCloses(bob);
    const QStringList before{u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"AnnÿChat;one"_s, u"BobÿComm;1|7ÿAnn"_s, u"[Enter]ÿCy"_s};
    EXPECT_EQ(net.Take(ann), before + QStringList{u"[Exit]ÿBob"_s});
    EXPECT_EQ(net.Take(bob), before);
    EXPECT_EQ(net.Take(cy), QStringList({u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"[Enter]ÿCy"_s, u"[Exit]ÿBob"_s}));
    EXPECT_EQ(hub.Players(u"K"_s), QStringList({u"Ann"_s, u"Cy"_s}));
    net.PeerCloses(ann);
    net.PeerCloses(cy);
    EXPECT_EQ(hub.GameCount() + hub.ConnectionCount(), 0);
}

TEST_F(HubTest, KeepsGamesApartRefusesATakenNameAndDropsMessagesBeforeTheJoinOrUnderAnotherKey)
{
    const quint64 ann = join(u"K1"_s, u"Ann"_s), other = join(u"K2"_s, u"Ann"_s), early = net.Open();
    say(early, u"K1"_s, u"Chat;before the join"_s);
    net.Feed(early, Frame::Encode(LinkRecord::Identify(u"K1"_s, 5)));
    join(u"K1"_s, u"Bob"_s, early);
    join(u"K1"_s, u"Bobby"_s, early); // a second join changes nothing
    say(early, u"K2"_s, u"Chat;into the other game"_s);
    const quint64 impostor = join(u"K1"_s, u"Ann"_s);
    say(ann, u"K1"_s, u"Chat;hi"_s);
    EXPECT_FALSE(net.peers[impostor].open);
    EXPECT_EQ(net.Take(impostor), QStringList{u"[Hub]ÿRefusedÿthe name \"Ann\" is already taken in this game."_s});
    EXPECT_EQ(net.Take(other), QStringList{u"[Enter]ÿAnn"_s});
    EXPECT_EQ(net.Take(early), QStringList({u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"AnnÿChat;hi"_s}));
    EXPECT_EQ(hub.Players(u"K1"_s), QStringList({u"Ann"_s, u"Bob"_s}));
}

TEST_F(HubTest, ClosesOnlyAConnectionThatSendsBadInput)
{
    QByteArray oversized(4, '\0');
    qToBigEndian<quint32>(Frame::MaxPayload + 1, oversized.data());
    const struct { const char *what; QByteArray bytes; } table[] = {
        {"a frame over the size limit", oversized + QByteArray(100, 'x')},
        {"bytes that are not UTF-8", QByteArray("\0\0\0\2\xC3\x28", 6)},
        {"a record of no known form", Frame::Encode(u"hello"_s)},
        {"a message of no known form", Frame::Encode(u"GÿK"_s)},
    };
    const quint64 ann = join(u"K"_s, u"Ann"_s);
    for (const auto &row : table) {
        const quint64 bad = join(u"K"_s, u"Bad"_s);
        net.Take(ann);
        net.Feed(bad, row.bytes);
        EXPECT_FALSE(net.peers[bad].open) << row.what;
        EXPECT_EQ(net.Take(ann), QStringList{u"[Exit]ÿBad"_s}) << row.what;
    }
    // A frame at the size limit is taken, but is too long to deliver with this sender's name.
    const quint64 bob = join(u"K"_s, u"Bartholomew"_s);
    net.Take(ann);
    say(bob, u"K"_s, QString(Frame::MaxPayload - LinkRecord::Message(u"K"_s, {}).toUtf8().size(), u'x'));
    EXPECT_TRUE(net.peers[bob].open);
    EXPECT_TRUE(net.Take(ann).isEmpty());
}

TEST_F(HubTest, CutsOffAReaderOnTheFrameThatTakesItOverTheLimitThenAnnouncesItsExit)
{
    const quint64 talker = join(u"K"_s, u"Talker"_s), sleeper = join(u"K"_s, u"Sleeper"_s);
    for (int i = 0; i < 3; ++i)
        say(talker, u"K"_s, big);
    EXPECT_TRUE(net.peers[sleeper].open);
    net.Take(talker);
    say(talker, u"K"_s, big);
    EXPECT_FALSE(net.peers[sleeper].open);
    EXPECT_EQ(net.Take(talker), QStringList({u"Talkerÿ"_s + big, u"[Exit]ÿSleeper"_s}));
    EXPECT_EQ(hub.Players(u"K"_s), QStringList{u"Talker"_s});
}

TEST_F(HubTest, ClosesAConnectionThatHasNotJoinedWhenItsTimeIsUp)
{
    const quint64 ann = join(u"K"_s, u"Ann"_s), idle = net.Open();
    QCoreApplication::processEvents(); // the join timers: no time at all here
    EXPECT_TRUE(net.peers[ann].open);
    EXPECT_FALSE(net.peers[idle].open);
    EXPECT_EQ(hub.ConnectionCount(), 1);
}

TEST(LocalGame, RefusesNoNamesBlanksRepeatsAndEmptyNames)
{
    EXPECT_EQ(LocalGame::CheckNames({u"Ann"_s, u"-style"_s}), QString());
    for (const QStringList &names : {QStringList(), QStringList{u"Ann Lee"_s}, QStringList{u"Ann"_s, u"Ann"_s}, QStringList{u"Ann"_s, QString()}})
        EXPECT_FALSE(LocalGame::CheckNames(names).isEmpty()) << names.join(u',').toStdString();
}

struct Heard : Transport::Handler
{
    void Opened(quint64 id) override { opened << id; }
    void Received(quint64, const char *data, qsizetype size) override { received.append(data, size); }
    void Closed(quint64 id) override { closed << id; }
    QList<quint64> opened, closed;
    QByteArray received;
};

TEST(Connections, AReaderThatPausesGetsEveryByteOnceItGoesOnAndThenTheClose)
{
    Heard heard;
    Connections connections;
    connections.SetHandler(heard);
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0));
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0), small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    const sockaddr_in address = {AF_INET, htons(connections.Port()), {htonl(INADDR_LOOPBACK)}, {}};
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::send(fd, "hello", 5, 0), 5);
    ASSERT_TRUE(WaitFor([&] { return heard.received == "hello"; }));

    // Far more than the kernel buffers hold: the hub has to wait for room.
    QByteArray sent;
    for (int i = 0; sent.size() < 4 << 20; ++i)
        sent += QByteArray::number(i) + ' ';
    EXPECT_EQ(connections.Send(heard.opened.value(0), sent), sent.size());
    connections.Close(heard.opened.value(0));
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(); // the reader has paused
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    QByteArray got;
    EXPECT_TRUE(WaitFor([&] {
        char buffer[65536];
        ssize_t n;
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            got.append(buffer, n);
        return n == 0;
    }, 5000));
    EXPECT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes";
    EXPECT_TRUE(heard.closed.isEmpty());
    ::close(fd);
}

} // namespace
