// SPDX-License-Identifier: GPL-3.0-or-later
// The hub's transport on real loopback sockets, plain and over TLS, and the
// bookkeeping under it.
#include "hub/support/runninghubs.h"
#include "server/socketstream.h"
#include "server/tlscontext.h"
#include "server/uniquefd.h"

#include <QSignalSpy>
#include <QSslSocket>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>

using namespace Qt::StringLiterals;

namespace {

struct Heard : Transport::Handler
{
    void Opened(quint64 id) override { opened << id; }
    void Received(quint64, const char *data, qsizetype size) override { received.append(data, size); }
    void Closed(quint64 id) override { closed << id; }
    QList<quint64> opened, closed;
    QByteArray received;
};

// A transport, plain or over TLS, that tells `heard` what happens, on a free loopback port.
struct HeardTransport
{
    explicit HeardTransport(TlsContext *tls = nullptr)
        : tls(tls)
        , transport(tls)
    {
        transport.SetHandler(heard);
        EXPECT_TRUE(transport.Listen(QHostAddress::LocalHost, 0));
    }
    // A peer connected to it, its handshake done; the handler has heard of it.
    void Connect(QSslSocket &peer)
    {
        peer.setPeerVerifyMode(QSslSocket::VerifyNone);
        if (tls)
            peer.connectToHostEncrypted(u"127.0.0.1"_s, transport.Port());
        else
            peer.connectToHost(QHostAddress::LocalHost, transport.Port());
        EXPECT_TRUE(WaitFor([&] { return (!tls || peer.isEncrypted()) && !heard.opened.isEmpty(); }));
    }
    bool tls;
    Heard heard;
    TcpTransport transport;
};

quint16 peerPortOf(int fd)
{
    sockaddr_in address = {};
    socklen_t size = sizeof address;
    return ::getpeername(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0 ? ntohs(address.sin_port) : 0;
}

TEST(TcpTransport, BytesGoBothWaysWholeAndAReaderThatPausesGetsEveryOneThenTheClose)
{
    QTemporaryDir dir;
    const auto context = TlsContext::LoadOrCreate(dir.path(), nullptr);
    for (TlsContext *tls : {static_cast<TlsContext *>(nullptr), context.get()}) {
        HeardTransport t(tls);
        QSslSocket peer;
        t.Connect(peer);
        peer.setReadBufferSize(4096); // it stops taking bytes from the kernel
        // Far more than the kernel buffers hold: the hub has to wait for room. Over TLS, many records.
        QByteArray sent;
        for (int i = 0; sent.size() < 4 << 20; ++i) sent += QByteArray::number(i) + ' ';
        peer.write(sent.left(1 << 20));
        EXPECT_TRUE(WaitFor([&] { return t.heard.received.size() >= 1 << 20; }));
        EXPECT_TRUE(t.heard.received == sent.left(1 << 20)) << t.heard.received.size() << " bytes came, TLS " << bool(tls);
        const quint64 id = t.heard.opened.value(0);
        EXPECT_EQ(t.transport.Send(id, sent), sent.size());
        t.transport.Close(id);
        WaitFor([] { return false; }, 50);
        EXPECT_GT(t.transport.Queued(id), 0) << "the hub never had to wait";
        peer.setReadBufferSize(0);
        QByteArray got;
        // clang-format off
        EXPECT_TRUE(WaitFor([&] {
            got += peer.readAll();
            return peer.state() == QAbstractSocket::UnconnectedState;
        }));
        // clang-format on
        EXPECT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes, TLS " << bool(tls);
        EXPECT_TRUE(t.heard.closed.isEmpty());
    }
}

TEST(TcpTransport, ReadsNoMoreFromAConnectionTheHandlerAbortsAndNeverSaysItClosed)
{
    struct Aborting : Heard
    {
        void Received(quint64 id, const char *, qsizetype) override { ++received, transport->Abort(id); }
        TcpTransport *transport = nullptr;
        int received = 0;
    } aborting;
    HeardTransport t;
    aborting.transport = &t.transport;
    t.transport.SetHandler(aborting);
    QSslSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, t.transport.Port());
    peer.write(QByteArray(1 << 20, 'x'));
    ASSERT_TRUE(WaitFor([&] { return aborting.received > 0; }));
    WaitFor([] { return false; }, 50);
    EXPECT_TRUE(aborting.received == 1 && aborting.closed.isEmpty());
}

TEST(TcpTransport, ClosesATlsConnectionWhoseHandshakeOutlivesItsDeadlineAndLeavesAPlainOneBe)
{
    QTemporaryDir dir;
    const auto context = TlsContext::LoadOrCreate(dir.path(), nullptr);
    HeardTransport plain, tls(context.get());
    tls.transport.SetHandshakeDeadline(100);
    QTcpSocket silentPlain, silentTls;
    silentPlain.connectToHost(QHostAddress::LocalHost, plain.transport.Port());
    silentTls.connectToHost(QHostAddress::LocalHost, tls.transport.Port());
    ASSERT_TRUE(WaitFor([&] { return tls.heard.closed == tls.heard.opened && !tls.heard.opened.isEmpty(); }));
    EXPECT_TRUE(WaitFor([&] { return silentTls.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_TRUE(plain.heard.opened.size() == 1 && plain.heard.closed.isEmpty());
}

TEST(TcpTransport, ListeningOnAnyAddressTakesIpv4TooAndNamesItsPeersAsIpv4)
{
    Heard heard;
    TcpTransport transport;
    transport.SetHandler(heard);
    if (!transport.Listen(QHostAddress::Any, 0)) GTEST_SKIP() << "no IPv6 here: " << transport.ErrorString().toStdString();
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, transport.Port());
    ASSERT_TRUE(WaitFor([&] { return !heard.opened.isEmpty(); }, 5000));
    EXPECT_EQ(transport.PeerAddress(heard.opened[0]), QHostAddress(QHostAddress::LocalHost));
}

TEST(TcpTransport, PausesAcceptingWhileNoDescriptorIsLeftAndSaysSoOnce)
{
    HeardTransport t;
    QSignalSpy log(&t.transport, &TcpTransport::Log);
    auto *pause = t.transport.findChild<QTimer *>(u"acceptPause"_s);
    ASSERT_TRUE(pause);
    rlimit saved = {};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    // Every descriptor below the lowest free one is in use: the next cannot be had.
    UniqueFd clients[] = {UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))};
    const int lowestFree = UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC)).Get();
    rlimit lowered = {rlim_t(lowestFree), saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);

    const sockaddr_in address = {AF_INET, htons(t.transport.Port()), {htonl(INADDR_LOOPBACK)}, {}};
    ::connect(clients[0].Get(), reinterpret_cast<const sockaddr *>(&address), sizeof address);
    EXPECT_TRUE(WaitFor([&] { return log.size() == 1; }, 2000));
    const std::clock_t cpuBefore = std::clock();
    WaitFor([] { return false; }, 300);
    EXPECT_LT((std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC, 100) << "the hub spins on failed accepts";
    ::connect(clients[1].Get(), reinterpret_cast<const sockaddr *>(&address), sizeof address);
    pause->start(0); // the pause ends while descriptors are still short
    WaitFor([] { return false; }, 50);

    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    pause->start(0);
    EXPECT_TRUE(WaitFor([&] { return t.heard.opened.size() == 2; }, 2000));
    EXPECT_EQ(log.size(), 1);
}

TEST(TcpTransport, LosesAndLogsAConnectionItsEpollSetCannotWatch)
{
    HeardTransport t;
    QSignalSpy log(&t.transport, &TcpTransport::Log);
    QSslSocket peer;
    t.Connect(peer);
    // In place of the hub's end of the connection (whose peer is this one), a socket the
    // epoll set does not know: what the hub sends fills it, and watching it for room fails.
    int server = 0;
    while (server < 1024 && peerPortOf(server) != peer.localPort()) ++server;
    ASSERT_LT(server, 1024);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair), 0);
    const UniqueFd unread(pair[1]);
    ASSERT_EQ(::dup3(pair[0], server, O_CLOEXEC), server);
    ::close(pair[0]);
    t.transport.Send(t.heard.opened[0], QByteArray(4 << 20, 'x'));
    EXPECT_TRUE(WaitFor([&] { return t.heard.closed == t.heard.opened; }));
    EXPECT_TRUE(!log.isEmpty() && log.last().value(0).toString().startsWith(u"cannot watch the connection from 127.0.0.1"_s));
}

TEST(StreamWaits, AReadOrAWriteThatWaitsGoesOnWhenTheSocketBecomesWhatItWaitsFor)
{
    using Step = StreamStep;
    // clang-format off
    const struct
    {
        const char *what;
        Step::Wait read, write;
        bool readable, writable, watchWritable, reads, writes;
    } table[] = {
        {"bytes arrive", Step::Readable, Step::None, true, false, false, true, false},
        {"room for a write that waits for it", Step::Readable, Step::Writable, false, true, true, false, true},
        {"bytes arrive while a write waits for room", Step::Readable, Step::Writable, true, false, true, true, false},
        {"bytes for a TLS write that must read first", Step::Readable, Step::Readable, true, false, false, true, true},
        {"room for a TLS read that must write first", Step::Writable, Step::None, false, true, true, true, true},
    };
    // clang-format on
    for (const auto &row : table) {
        StreamWaits waits;
        waits.Read(row.read);
        waits.Write(row.write);
        EXPECT_EQ(waits.WatchWritable(), row.watchWritable) << row.what;
        EXPECT_EQ(waits.ReadGoesOn(row.readable, row.writable), row.reads) << row.what;
        EXPECT_EQ(waits.WriteGoesOn(row.readable, row.writable), row.writes) << row.what;
    }
}

TEST(UniqueFd, ClosesOnceByItsLastOwnerNeverADescriptorThatReusedTheNumber)
{
    const auto isOpen = [](int fd) { return ::fcntl(fd, F_GETFD) != -1; };
    auto movedFrom = std::make_unique<UniqueFd>(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int number = movedFrom->Get();
    UniqueFd owner(std::move(*movedFrom));
    EXPECT_TRUE(isOpen(number) && owner.Close() && !isOpen(number));
    const UniqueFd reused(::open("/dev/null", O_RDONLY | O_CLOEXEC)); // the lowest free number: the same
    movedFrom.reset(), owner = UniqueFd();
    EXPECT_TRUE(reused.Get() == number && isOpen(number));
}

} // namespace
