// The hub's certificate, and the hub over TLS on real loopback sockets.
#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "server/tlscontext.h"
#include "support/waitfor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(TlsContext, MakesAPrivateKeyOnceAndReusesItEvenWhenItsCertificateIsGone)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"kalumo/hub"_s), key = folder + u"/key.pem"_s;
    QString error;
    const auto first = TlsContext::LoadOrCreate(folder, &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_EQ(first->Fingerprint().size(), 32);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(key), 0600u);
    const QByteArray keyBytes = contents(key);
    EXPECT_EQ(TlsContext::LoadOrCreate(folder, &error)->Fingerprint(), first->Fingerprint());
    QFile::remove(folder + u"/cert.pem"_s);
    EXPECT_TRUE(TlsContext::LoadOrCreate(folder, &error)) << error.toStdString();
    EXPECT_EQ(contents(key), keyBytes);
}

TEST(TlsContext, RefusesBrokenOrMismatchedFilesWithTheirNameAndNeverReplacesTheKey)
{
    QTemporaryDir other;
    ASSERT_TRUE(TlsContext::LoadOrCreate(other.path(), nullptr));
    const struct { const char *what, *file; std::function<void(const QString &)> spoil; } table[] = {
        {"a key cut short", "key.pem", [](const QString &f) { put(f + u"/key.pem"_s, contents(f + u"/key.pem"_s).left(100)); }},
        {"a certificate of noise", "cert.pem", [](const QString &f) { put(f + u"/cert.pem"_s, "-----BEGIN CERTIFICATE-----\nnoise"); }},
        {"an empty key", "key.pem", [](const QString &f) { put(f + u"/key.pem"_s, {}); }},
        {"a certificate without its key", "cert.pem", [](const QString &f) { QFile::remove(f + u"/key.pem"_s); }},
        {"another hub's key", "key.pem", [&](const QString &f) { put(f + u"/key.pem"_s, contents(other.filePath(u"key.pem"_s))); }},
    };
    for (const auto &row : table) {
        QTemporaryDir dir;
        ASSERT_TRUE(TlsContext::LoadOrCreate(dir.path(), nullptr));
        row.spoil(dir.path());
        const QByteArray key = contents(dir.filePath(u"key.pem"_s));
        QString error;
        EXPECT_FALSE(TlsContext::LoadOrCreate(dir.path(), &error)) << row.what;
        EXPECT_TRUE(error.contains(QString::fromLatin1(row.file))) << row.what << ": " << error.toStdString();
        EXPECT_EQ(contents(dir.filePath(u"key.pem"_s)), key) << row.what;
    }
}

// A hub that speaks only TLS, with a certificate made for it.
struct TlsHub
{
    explicit TlsHub(int joinTimeoutMs = 30000)
        : tls(TlsContext::LoadOrCreate(dir.path(), nullptr))
        , transport(tls.get())
        , hub(transport, {.joinTimeoutMs = joinTimeoutMs})
    {
        EXPECT_TRUE(transport.Listen(QHostAddress::LocalHost, 0));
    }
    QTemporaryDir dir;
    std::unique_ptr<TlsContext> tls;
    TcpTransport transport;
    Hub hub;
};

// A window's side: TLS 1.3 that trusts exactly the certificate with the hub's fingerprint.
struct Window
{
    Window(quint16 port, const QByteArray &fingerprint)
    {
        QSslConfiguration config = socket.sslConfiguration();
        config.setProtocol(QSsl::TlsV1_3);
        config.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket.setSslConfiguration(config);
        QObject::connect(&socket, &QSslSocket::encrypted, [this, fingerprint] {
            pinned = socket.peerCertificate().digest(QCryptographicHash::Sha256) == fingerprint;
        });
        QObject::connect(&socket, &QSslSocket::readyRead, [this] {
            reader.Feed(socket.readAll());
            while (const auto record = reader.Next())
                if (!record->startsWith(u"[Hub]"_s)) // the hub's own frames are not the game's
                    got << *record;
        });
        socket.connectToHostEncrypted(u"127.0.0.1"_s, port);
    }
    void Send(const QString &record) { socket.write(Frame::Encode(record)); }

    QSslSocket socket;
    Frame::Reader reader;
    QStringList got;
    bool pinned = false;
};

TEST(HubOverTls, WindowsPinnedToItsFingerprintJoinAndExchangeRecordsLargerThanATlsRecord)
{
    TlsHub h;
    Window ann(h.transport.Port(), h.tls->Fingerprint()), bob(h.transport.Port(), h.tls->Fingerprint());
    ASSERT_TRUE(WaitFor([&] { return ann.pinned && bob.pinned; }, 5000));
    EXPECT_EQ(ann.socket.sessionProtocol(), QSsl::TlsV1_3);
    ann.Send(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, u"Ann"_s));
    ASSERT_TRUE(WaitFor([&] { return ann.got.size() == 1; }, 5000));
    bob.Send(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, u"Bob"_s));
    ASSERT_TRUE(WaitFor([&] { return bob.got.size() == 2; }, 5000));
    const QString big = u"Chat;"_s + QString(50000, u'x') + u"end"_s;
    ann.Send(LinkRecord::Message(u"K"_s, big));
    ann.Send(LinkRecord::Message(u"K"_s, u"Chat;after"_s));
    ASSERT_TRUE(WaitFor([&] { return bob.got.size() == 4; }, 5000));
    EXPECT_EQ(bob.got, QStringList({u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"Annÿ"_s + big, u"AnnÿChat;after"_s}));
    EXPECT_EQ(h.hub.Players(u"K"_s), QStringList({u"Ann"_s, u"Bob"_s}));
}

struct Accepted : Transport::Handler
{
    void Opened(quint64 id) override { ids << id; }
    void Received(quint64, const char *, qsizetype) override {}
    void Closed(quint64) override {}
    QList<quint64> ids;
};

TEST(HubOverTls, AWindowThatPausesReadingGetsEveryByteOnceItGoesOnAndThenTheClose)
{
    QTemporaryDir dir;
    const auto tls = TlsContext::LoadOrCreate(dir.path(), nullptr);
    Accepted opened;
    TcpTransport transport(tls.get());
    transport.SetHandler(opened);
    ASSERT_TRUE(transport.Listen(QHostAddress::LocalHost, 0));
    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket.setReadBufferSize(4096); // it stops taking bytes from the kernel
    socket.connectToHostEncrypted(u"127.0.0.1"_s, transport.Port());
    ASSERT_TRUE(WaitFor([&] { return socket.isEncrypted() && !opened.ids.isEmpty(); }, 5000));
    QByteArray sent;
    for (int i = 0; sent.size() < 4 << 20; ++i)
        sent += QByteArray::number(i) + ' ';
    transport.Send(opened.ids[0], sent);
    transport.Close(opened.ids[0]);
    WaitFor([] { return false; }, 50);
    EXPECT_GT(transport.Queued(opened.ids[0]), 0) << "the hub never had to wait";
    socket.setReadBufferSize(0);
    QByteArray got;
    EXPECT_TRUE(WaitFor([&] {
        got += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    }, 10000));
    EXPECT_TRUE(got == sent) << got.size() << " of " << sent.size() << " bytes";
}

TEST(HubOverTls, ClosesAGarbageHandshakeAtOnceAndAStalledOneAtTheJoinTimeout)
{
    constexpr int JoinTimeoutMs = 1000;
    TlsHub h(JoinTimeoutMs);
    const struct { const char *what; QByteArray bytes; bool atOnce; } table[] = {
        {"a plain window's first record", Frame::Encode(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, u"Old"_s)), true},
        {"text that is no TLS at all", "GET / HTTP/1.1\r\n\r\n", true},
        {"a handshake that stops after its first bytes", QByteArray("\x16\x03\x01\x02\x00\x01", 6), false},
        {"a connection that says nothing", {}, false},
    };
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    std::vector<qint64> closedAfter(std::size(table), -1);
    QElapsedTimer clock;
    clock.start();
    for (size_t i = 0; i < std::size(table); ++i) {
        auto &peer = peers.emplace_back(std::make_unique<QTcpSocket>());
        QObject::connect(peer.get(), &QTcpSocket::disconnected, [&, i] { closedAfter[i] = clock.elapsed(); });
        peer->connectToHost(QHostAddress::LocalHost, h.transport.Port());
        peer->write(table[i].bytes);
    }
    ASSERT_TRUE(WaitFor([&] { return std::count(closedAfter.begin(), closedAfter.end(), -1) == 0; }, 5000));
    for (size_t i = 0; i < std::size(table); ++i) {
        if (table[i].atOnce)
            EXPECT_LT(closedAfter[i], JoinTimeoutMs / 2) << table[i].what;
        else
            EXPECT_GE(closedAfter[i], JoinTimeoutMs - 50) << table[i].what;
    }
    EXPECT_EQ(h.hub.ConnectionCount(), 0);
}

} // namespace
