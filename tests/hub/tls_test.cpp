// The hub's certificate, and what the hub does with a connection that does not speak TLS.
#include "hub/support/runninghubs.h"
#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "server/tlscontext.h"
#include "support/filebytes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSslCertificate>
#include <QTcpSocket>
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
    const struct { const char *what, *file; std::function<void(const QString &)> spoil; } table[] = {
        {"a key cut short", "key.pem", [](const QString &f) { PutFile(f + u"/key.pem"_s, FileBytes(f + u"/key.pem"_s).left(100)); }},
        {"a certificate of noise", "cert.pem", [](const QString &f) { PutFile(f + u"/cert.pem"_s, "-----BEGIN CERTIFICATE-----\nnoise"); }},
        {"an empty key", "key.pem", [](const QString &f) { PutFile(f + u"/key.pem"_s, {}); }},
        {"a certificate without its key", "cert.pem", [](const QString &f) { QFile::remove(f + u"/key.pem"_s); }},
        {"another hub's key", "key.pem", [&](const QString &f) { PutFile(f + u"/key.pem"_s, FileBytes(other.filePath(u"key.pem"_s))); }},
    };
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

TEST(HubOverTls, ClosesAGarbageHandshakeAtOnceAndAStalledOneAtTheJoinTimeout)
{
    constexpr int JoinTimeoutMs = 1000;
    QTemporaryDir dir;
    const auto tls = TlsContext::LoadOrCreate(dir.path(), nullptr);
    LoopbackHub h({.joinTimeoutMs = JoinTimeoutMs}, tls.get());
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
