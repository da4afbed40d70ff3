#include "connections.h"
#include "hub.h"
#include "link/linkrecord.h"
#include "support/faketransport.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTimer>
#include <arpa/inet.h>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Refused = u"[Hub]ÿRefusedÿ"_s;

struct Game
{
    explicit Game(Hub::Limits limits = {}) : hub(net, limits) {}
    quint64 join(const QString &name, const QString &key = u"K"_s)
    {
        const quint64 id = net.Open();
        net.Feed(id, Frame::Encode(LinkRecord::Announce(key, u"Kalumo Bingo"_s, name)));
        return id;
    }
    void say(quint64 id, const QString &text) { net.Feed(id, Frame::Encode(LinkRecord::Message(u"K"_s, text))); }
    bool open(quint64 id) const { return net.peers.at(id).open; }

    FakeTransport net;
    Hub hub;
};

TEST(HubLimits, RefusesNamesTheGameCannotCarryWithAReasonAndLogsPeerTextAsOneCleanLine)
{
    Game game;
    QSignalSpy log(&game.hub, &Hub::Log);
    game.join(u"Ann"_s);
    game.join(u"Cy"_s, u"K\n\x1b[2Jkey"_s + QString(500, u'k')); // joins, but its key is peer text too
    for (const QString &name : {u"[Exit]"_s, u"Zed@30000"_s, u"Ann\n\x1b[31mBob"_s, u"ann"_s, u"ＡＮＮ"_s, u"\u202Enna"_s, u" Ann"_s}) {
        const quint64 id = game.join(name);
        EXPECT_FALSE(game.open(id)) << name.toStdString();
        EXPECT_EQ(game.net.Take(id).join(u'|').left(Refused.size()), Refused) << name.toStdString();
    }
    EXPECT_EQ(game.hub.Players(u"K"_s), QStringList{u"Ann"_s});
    ASSERT_EQ(log.size(), 9);
    for (const QList<QVariant> &line : log) {
        const QString text = line[0].toString();
        EXPECT_TRUE(text.size() < 200 && std::none_of(text.begin(), text.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
        })) << text.toStdString();
    }
    EXPECT_TRUE(log[4][0].toString().contains(u"Ann\\u{a}\\u{1b}[31mBob"_s)) << log[4][0].toString().toStdString();
}

TEST(HubLimits, ClosesAConnectionThatSendsAboveItsRecordOrByteRateAndKeepsOneWithinIt)
{
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
    for (const auto &row : table) {
        qint64 nowMs = 0;
        Game game({.clockMs = [&nowMs] { return nowMs; }});
        const quint64 ann = game.join(u"Ann"_s);
        const QString text = u"Chat;"_s + QString(row.bytes, u'x');
        for (int i = 0; i < row.records && game.open(ann); ++i) {
            game.say(ann, text);
            nowMs += row.stepMs;
        }
        EXPECT_EQ(game.open(ann), row.staysOpen) << row.what;
        EXPECT_EQ(game.net.Take(ann).last().startsWith(Refused), !row.staysOpen) << row.what;
    }
}

TEST(HubLimits, CutsOffAFlooderBeforeAnyoneElseIsCutForReadingTooSlowly)
{
    Game game({.maxQueuedBytes = 1 << 20});
    const quint64 host = game.join(u"Host"_s), sleeper = game.join(u"Sleeper"_s), flooder = game.join(u"Flood"_s);
    const QByteArray line = Frame::Encode(LinkRecord::Message(u"K"_s, u"Chat;"_s + QString(120, u'x')));
    for (int i = 0; i < 20000 && game.open(flooder); ++i) // 2.6 MB when nobody stops it
        game.net.Feed(flooder, line);
    EXPECT_FALSE(game.open(flooder));
    EXPECT_TRUE(game.open(host) && game.open(sleeper));
    EXPECT_EQ(game.net.Take(host).last(), u"[Exit]ÿFlood"_s);
}

TEST(HubLimits, CutsTheConnectionsWithTheMostWaitingFirstWhenAllQueuesTogetherPassTheBudget)
{
    Game game({.maxQueuedBytes = 1 << 20, .maxQueuedTotal = 8000});
    const quint64 talker = game.join(u"Talker"_s), behind = game.join(u"Behind"_s), sleeper = game.join(u"Sleeper"_s);
    for (int i = 0; i < 30; ++i) {
        game.say(talker, u"Chat;"_s + QString(1000, u'x'));
        game.net.Take(talker);
        if (i % 2)
            game.net.Take(behind); // never more than two records behind
    }
    EXPECT_FALSE(game.open(sleeper));
    EXPECT_TRUE(game.open(behind) && game.open(talker));
    EXPECT_EQ(game.hub.Players(u"K"_s), QStringList({u"Talker"_s, u"Behind"_s}));
}

// A loopback client of a real hub.
int connectTo(quint16 port, int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
{
    const sockaddr_in address = {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    return fd;
}

// What the hub sent before it closed, or empty when it did not close.
QByteArray untilClosed(int fd, int timeoutMs = 2000)
{
    QByteArray got;
    ssize_t n = -1;
    WaitFor([&] {
        char buffer[4096];
        while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
            got.append(buffer, n);
        return n == 0;
    }, timeoutMs);
    return n == 0 ? got : QByteArray();
}

TEST(HubLimits, RefusesConnectionsFromOneAddressBeyondItsCapUntilOneCloses)
{
    Connections connections;
    Hub hub(connections, {.maxPerAddress = 2});
    ASSERT_TRUE(connections.Listen(QHostAddress::LocalHost, 0));
    const quint16 port = connections.Port();
    const int first = connectTo(port), second = connectTo(port), third = connectTo(port);
    EXPECT_TRUE(untilClosed(third).contains("Refused"));
    ::close(first);
    ASSERT_TRUE(WaitFor([&] { return hub.ConnectionCount() == 1; }, 2000));
    const int fourth = connectTo(port);
    EXPECT_TRUE(WaitFor([&] { return hub.ConnectionCount() == 2; }, 2000));
    EXPECT_TRUE(untilClosed(fourth, 200).isEmpty());
    for (int fd : {second, third, fourth})
        ::close(fd);
}

TEST(HubLimits, PausesAcceptingWhenNoDescriptorIsLeftSaysSoOnceAndAcceptsOnceOneIsFree)
{
    Connections connections;
    Hub hub(connections);
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
}

} // namespace
