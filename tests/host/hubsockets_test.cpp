// The hub on real loopback sockets.
#include "connections.h"
#include "hub.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <arpa/inet.h>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void connectTo(quint16 port, int fd)
{
    const sockaddr_in address = {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
}

struct Heard : Transport::Handler
{
    void Opened(quint64 id) override { opened << id; }
    void Received(quint64, const char *, qsizetype) override {}
    void Closed(quint64 id) override { closed << id; }
    QList<quint64> opened, closed;
};

TEST(Connections, AReaderThatPausesGetsEveryByteOnceItGoesOnAndThenTheClose)
{
    Heard heard;
    Connections connections;
    connections.SetHandler(heard);
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0));
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    connectTo(connections.Port(), fd);
    ASSERT_TRUE(WaitFor([&] { return !heard.opened.isEmpty(); }));
    // Far more than the kernel buffers hold: the hub has to wait for room.
    QByteArray sent;
    for (int i = 0; sent.size() < 4 << 20; ++i)
        sent += QByteArray::number(i) + ' ';
    EXPECT_EQ(connections.Send(heard.opened.value(0), sent), sent.size());
    connections.Close(heard.opened.value(0));
    WaitFor([] { return false; }, 20); // the reader has paused
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

TEST(HubOverTcp, PausesAcceptingWhenNoDescriptorIsLeftSaysSoOnceAndPingsCutOffAPeerThatFellSilent)
{
    Connections connections;
    Hub hub(connections, {1 << 20, 30000, 50, 400});
    QSignalSpy log(&connections, &Connections::Log);
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0));
    auto *pause = connections.findChild<QTimer *>(u"acceptPause"_s);
    ASSERT_TRUE(pause);
    const int clients[] = {::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    rlimit saved = {};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    // Every descriptor below the lowest free one is in use: the next cannot be had.
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowestFree);
    rlimit lowered = {rlim_t(lowestFree), saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    connectTo(connections.Port(), clients[0]);
    EXPECT_TRUE(WaitFor([&] { return log.size() == 1; }, 2000));
    const std::clock_t cpuBefore = std::clock();
    WaitFor([] { return false; }, 300);
    EXPECT_LT((std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC, 100) << "the hub spins on failed accepts";
    connectTo(connections.Port(), clients[1]);
    pause->start(0); // the pause ends while descriptors are still short
    WaitFor([] { return false; }, 50);

    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    pause->start(0);
    EXPECT_TRUE(WaitFor([&] { return hub.ConnectionCount() == 2; }, 2000));
    EXPECT_EQ(log.size(), 1);
    for (int fd : clients)
        ::close(fd);

    // Past the pause, pings: a window of an earlier release never answers, and is never cut off.
    auto announce = [](const QString &name) { return LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, name); };
    QTcpSocket old, silent;
    old.connectToHost(QHostAddress::LocalHost, connections.Port());
    old.write(Frame::Encode(announce(u"Old"_s)));
    TcpGameLink ann(u"127.0.0.1"_s);
    QSignalSpy annHears(&ann, &GameLink::TextReceived);
    ASSERT_TRUE(ann.Connect(connections.Port()));
    ASSERT_EQ(ann.Join({u"K"_s, u"Ann"_s}, 5000), std::nullopt);

    // A peer that answers one Ping, under its key and before its join too,
    // and then stops without closing; its answers reach nobody.
    silent.connectToHost(QHostAddress::LocalHost, connections.Port());
    silent.write(Frame::Encode(LinkRecord::PingAnswer(u"K"_s)) + Frame::Encode(announce(u"Dead"_s)));
    ASSERT_TRUE(WaitFor([&] { return silent.bytesAvailable() && silent.readAll().contains("Ping"); }, 5000));
    silent.write(Frame::Encode(LinkRecord::PingAnswer(u"K"_s)));
    ASSERT_TRUE(WaitFor([&] { return !annHears.isEmpty() && annHears.last() == QVariantList{u"[Exit]"_s, u"Dead"_s}; }, 5000));
    EXPECT_TRUE(hub.Players(u"K"_s).contains(u"Old"_s) && hub.Players(u"K"_s).size() == 2);
    EXPECT_EQ(annHears.size(), 4); // Old, Ann and Dead came; Dead left; nothing else
}

} // namespace
