// SPDX-License-Identifier: GPL-3.0-or-later
// The hub's certificate, and what the hub does with a connection that does not speak TLS.
#include "hub/support/runninghubs.h"
#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "server/tlscontext.h"
#include "server/uniquefd.h"
#include "support/filebytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

TEST(TlsContext, MakesAPrivateKeyOnceAndReusesItEvenWhenItsCertificateIsGone)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"kalumo/hub"_s), key = folder + u"/key.pem"_s;
    QString error;
    const auto first = TlsContext::LoadOrCreate(folder, &error);
    ASSERT_TRUE(first) << error.toStdString();
    EXPECT_EQ(first->Fingerprint().size(), 32);
    const QSslCertificate certificate(FileBytes(folder + u"/cert.pem"_s));
    EXPECT_TRUE(certificate.isSelfSigned());
    EXPECT_EQ(certificate.issuerInfo(QSslCertificate::CommonName), QStringList{u"kalumo-hub"_s});
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(key), 0600u);
    const QByteArray keyBytes = FileBytes(key);
    EXPECT_EQ(TlsContext::LoadOrCreate(folder, &error)->Fingerprint(), first->Fingerprint());
    QFile::remove(folder + u"/cert.pem"_s);
    EXPECT_TRUE(TlsContext::LoadOrCreate(folder, &error)) << error.toStdString();
    EXPECT_EQ(FileBytes(key), keyBytes);
}

TEST(TlsContext, RefusesBrokenOrMismatchedFilesWithTheirNameAndNeverReplacesTheKey)
{
    QTemporaryDir other;
    ASSERT_TRUE(TlsContext::LoadOrCreate(other.path(), nullptr));
    // clang-format off
    const struct { const char *what, *file; std::function<void(const QString &)> spoil; } table[] = {
        {"a key cut short", "key.pem", [](const QString &f) { PutFile(f + u"/key.pem"_s, FileBytes(f + u"/key.pem"_s).left(100)); }},
        {"a certificate of noise", "cert.pem", [](const QString &f) { PutFile(f + u"/cert.pem"_s, "-----BEGIN CERTIFICATE-----\nnoise"); }},
        {"an empty key", "key.pem", [](const QString &f) { PutFile(f + u"/key.pem"_s, {}); }},
        {"a certificate without its key", "cert.pem", [](const QString &f) { QFile::remove(f + u"/key.pem"_s); }},
        {"another hub's key", "key.pem", [&](const QString &f) { PutFile(f + u"/key.pem"_s, FileBytes(other.filePath(u"key.pem"_s))); }},
    };
    // clang-format on
    for (const auto &row : table) {
        QTemporaryDir dir;
        ASSERT_TRUE(TlsContext::LoadOrCreate(dir.path(), nullptr));
        row.spoil(dir.path());
        const QByteArray key = FileBytes(dir.filePath(u"key.pem"_s));
        QString error;
        EXPECT_FALSE(TlsContext::LoadOrCreate(dir.path(), &error)) << row.what;
        EXPECT_TRUE(error.contains(QString::fromLatin1(row.file))) << row.what << ": " << error.toStdString();
        EXPECT_EQ(FileBytes(dir.filePath(u"key.pem"_s)), key) << row.what;
    }
}

TEST(TlsContext, RefusesAtOnceAKeyOthersMayReadAndAnythingButAFileWithTheFix)
{
    const auto pipe = [](const QString &f) { ASSERT_EQ(::mkfifo(QFile::encodeName(f).constData(), 0600), 0); };
    // clang-format off
    const struct { const char *what, *file, *says; std::function<void(const QString &)> spoil; } table[] = {
        {"a key its group may read", "key.pem", "chmod 600", [](const QString &f) { ::chmod(QFile::encodeName(f).constData(), 0640); }},
        {"a key everyone may read", "key.pem", "chmod 600", [](const QString &f) { ::chmod(QFile::encodeName(f).constData(), 0604); }},
        {"a key that is a named pipe", "key.pem", "named pipe", [&](const QString &f) { QFile::remove(f), pipe(f); }},
        {"a certificate that is a named pipe", "cert.pem", "named pipe", [&](const QString &f) { QFile::remove(f), pipe(f); }},
        {"a certificate that is a folder", "cert.pem", "folder", [](const QString &f) { QFile::remove(f), QDir().mkdir(f); }},
    };
    // clang-format on
    for (const auto &row : table) {
        QTemporaryDir dir;
        ASSERT_TRUE(TlsContext::LoadOrCreate(dir.path(), nullptr));
        const QString spoilt = dir.filePath(QString::fromLatin1(row.file));
        row.spoil(spoilt);
        QString error;
        EXPECT_FALSE(TlsContext::LoadOrCreate(dir.path(), &error)) << row.what;
        EXPECT_FALSE(TlsContext::Load(dir.filePath(u"cert.pem"_s), dir.filePath(u"key.pem"_s), nullptr)) << row.what;
        EXPECT_TRUE(error.contains(spoilt) && error.contains(QString::fromLatin1(row.says))) << row.what << ": " << error.toStdString();
    }
}

int openDescriptors() { return int(QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size()); }

// A peer that connects, says nothing and never closes, as a crowd's do.
struct SilentPeer
{
    explicit SilentPeer(quint16 port)
        : fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0))
    {
        const sockaddr_in hub = {AF_INET, htons(port), {htonl(INADDR_LOOPBACK)}, {}};
        ::connect(fd.Get(), reinterpret_cast<const sockaddr *>(&hub), sizeof hub);
    }
    // Whether the hub has closed its side; what it sent meanwhile lands in received.
    bool Ended()
    {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0) received.append(buffer, got);
        return got == 0 || (errno != EAGAIN && errno != EINPROGRESS && errno != ENOTCONN);
    }
    UniqueFd fd;
    QByteArray received;
};

TEST(HubAtItsAddressLimit, RefusesAsItAcceptsWithoutAHandshakeOrAHeldDescriptorCountingThoseInTheirHandshake)
{
    QTemporaryDir dir;
    const auto context = TlsContext::LoadOrCreate(dir.path(), nullptr);
    for (TlsContext *tls : {static_cast<TlsContext *>(nullptr), context.get()}) {
        LoopbackHub h({.maxPerAddress = 2}, tls);
        auto first = std::make_unique<SilentPeer>(h.Port());
        SilentPeer second(h.Port()); // over TLS both are in their handshake
        ASSERT_TRUE(WaitFor([&] { return h.hub.ConnectionCount() == 2; }));
        const int descriptors = openDescriptors();
        SilentPeer refused(h.Port());
        ASSERT_TRUE(WaitFor([&] { return refused.Ended(); })) << "TLS " << bool(tls);
        EXPECT_EQ(openDescriptors(), descriptors + 1) << "the hub holds a refused connection, TLS " << bool(tls);
        EXPECT_EQ(refused.received.contains("Refused"), !tls) << "TLS " << bool(tls);
        QSslSocket window; // over TLS, one that hurries into its handshake
        window.setPeerVerifyMode(QSslSocket::VerifyNone);
        window.connectToHostEncrypted(u"127.0.0.1"_s, h.Port());
        if (tls) {
            ASSERT_TRUE(WaitFor([&] { return window.state() == QAbstractSocket::UnconnectedState; }));
            EXPECT_TRUE(window.peerCertificate().isNull()) << "the hub went into a handshake it was to refuse";
        }
        first.reset();
        ASSERT_TRUE(WaitFor([&] { return h.hub.ConnectionCount() == 1; }));
        if (tls) {
            window.connectToHostEncrypted(u"127.0.0.1"_s, h.Port()); // the place is free again
            EXPECT_TRUE(WaitFor([&] { return window.isEncrypted(); }));
        }
    }
}

TEST(HubOverTls, ClosesAGarbageHandshakeAtOnceAndAStalledOneAtTheJoinTimeout)
{
    constexpr int JoinTimeoutMs = 1000;
    QTemporaryDir dir;
    const auto tls = TlsContext::LoadOrCreate(dir.path(), nullptr);
    LoopbackHub h({.joinTimeoutMs = JoinTimeoutMs}, tls.get());
    // clang-format off
    const struct { const char *what; QByteArray bytes; bool atOnce; } table[] = {
        {"a plain window's first record", Frame::Encode(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, u"Old"_s)), true},
        {"text that is no TLS at all", "GET / HTTP/1.1\r\n\r\n", true},
        {"a handshake that stops after its first bytes", QByteArray("\x16\x03\x01\x02\x00\x01", 6), false},
        {"a connection that says nothing", {}, false},
    };
    // clang-format on
    std::vector<std::unique_ptr<QTcpSocket>> peers;
    std::vector<qint64> closedAfter(std::size(table), -1);
    QElapsedTimer clock;
    clock.start();
    for (size_t i = 0; i < std::size(table); ++i) {
        auto &peer = peers.emplace_back(std::make_unique<QTcpSocket>());
        QObject::connect(peer.get(), &QTcpSocket::disconnected, [&, i] { closedAfter[i] = clock.elapsed(); });
        peer->connectToHost(QHostAddress::LocalHost, h.Port());
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
