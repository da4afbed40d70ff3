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
    void Received(quint64, const char *, qsizetype) override {}
    void Closed(quint64 id) override { closed << id; }
    QList<quint64> opened, closed;
};

// A transport that tells `heard` what happens, on a free loopback port.
struct HeardTransport
{
    explicit HeardTransport(TlsContext *tls = nullptr)
        : transport(tls)
    {
        transport.SetHandler(heard);
        EXPECT_TRUE(transport.Listen(QHostAddress::LocalHost, 0));
    }
    Heard heard;
    TcpTransport transport;
};

// A client socket of this process connected to `port`, non-blocking.
UniqueFd connectedTo(quint16 port)
{
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
    EXPECT_EQ(::connect(fd.Get(), reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::fcntl(fd.Get(), F_SETFL, O_NONBLOCK);
    return fd;
}

quint16 portOf(int fd, int (*name)(int, sockaddr *, socklen_t *))
{
    sockaddr_in address = {};
    socklen_t size = sizeof address;
    return name(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0 ? ntohs(address.sin_port) : 0;
}

TEST(TcpTransport, AReaderThatPausesGetsEveryByteOnceItGoesOnAndThenTheClose)
{
    QTemporaryDir dir;
    const auto tls = TlsContext::LoadOrCreate(dir.path(), nullptr);
    for (TlsContext *context : {static_cast<TlsContext *>(nullptr), tls.get()}) {
        HeardTransport t(context);
        QSslSocket socket;
        socket.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket.setReadBufferSize(4096); // it stops taking bytes from the kernel
        if (context)
            socket.connectToHostEncrypted(u"127.0.0.1"_s, t.transport.Port());
        else
            socket.connectToHost(QHostAddress::LocalHost, t.transport.Port());
        ASSERT_TRUE(WaitFor([&] { return (!context || socket.isEncrypted()) && !t.heard.opened.isEmpty(); }, 5000));
        // Far more than the kernel buffers hold: the hub has to wait for room.
        QByteArray sent;
        for (int i = 0; sent.size() < 4 << 20; ++i)
            sent += QByteArray::number(i) + ' ';
        const quint64 id = t.heard.opened[0];
        EXPECT_EQ(t.transport.Send(id, sent), sent.size());
        t.transport.Close(id);
        WaitFor([] { return false; }, 50);
        EXPECT_GT(t.transport.Queued(id), 0) << "the hub never had to wait";
        socket.setReadBufferSize(0);
        QByteArray got;
        EXPECT_TRUE(WaitFor([&] {
            got += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        }));
        EXPECT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes, TLS " << bool(context);
        EXPECT_TRUE(t.heard.closed.isEmpty());
    }
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
    UniqueFd clients[] = {UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)),
                          UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))};
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
    const UniqueFd client = connectedTo(t.transport.Port());
    ASSERT_TRUE(WaitFor([&] { return !t.heard.opened.isEmpty(); }));
    // In place of the hub's end of the connection, a socket the epoll set does
    // not know: what the hub sends fills it, and watching it for room fails.
    int server = 0;
    while (server < 1024
           && !(portOf(server, ::getsockname) == t.transport.Port()
                && portOf(server, ::getpeername) == portOf(client.Get(), ::getsockname)))
        ++server;
    ASSERT_LT(server, 1024);
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair), 0);
    const UniqueFd unread(pair[1]);
    ASSERT_EQ(::dup3(pair[0], server, O_CLOEXEC), server);
    ::close(pair[0]);
    t.transport.Send(t.heard.opened[0], QByteArray(4 << 20, 'x'));
    EXPECT_TRUE(WaitFor([&] { return t.heard.closed == t.heard.opened; }));
    EXPECT_TRUE(!log.isEmpty()
                && log.last().value(0).toString().startsWith(u"cannot watch the connection from 127.0.0.1"_s));
}

TEST(StreamWaits, AReadOrAWriteThatWaitsGoesOnWhenTheSocketBecomesWhatItWaitsFor)
{
    using Step = StreamStep;
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
    auto first = std::make_unique<UniqueFd>(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const int number = first->Get();
    UniqueFd owner;
    owner = std::move(*first);
    EXPECT_TRUE(isOpen(number) && owner.Close() && !isOpen(number));
    const UniqueFd reused(::open("/dev/null", O_RDONLY | O_CLOEXEC)); // the lowest free number: the same
    first.reset();
    owner = UniqueFd();
    EXPECT_TRUE(reused.Get() == number && isOpen(number));
}

} // namespace
