// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/hubdialer.h"

#include "support/waitfor.h"

#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Places an invitation may name, all on loopback: the hub with the test
// certificate, a port that takes connections and never says a word, and a
// port nobody listens on.
struct Places
{
    Places()
    {
        QFile pem(QStringLiteral(KALUMO_TEST_HUB_PEM));
        EXPECT_TRUE(pem.open(QIODevice::ReadOnly));
        const QByteArray bytes = pem.readAll();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(bytes));
        configuration.setPrivateKey(QSslKey(bytes, QSsl::Ec));
        tls.setSslConfiguration(configuration);
        fingerprint = QSslCertificate(bytes).digest(QCryptographicHash::Sha256);
        QTcpServer unused;
        EXPECT_TRUE(tls.listen(QHostAddress::LocalHost, 0) && silent.listen(QHostAddress::LocalHost, 0)
                    && unused.listen(QHostAddress::LocalHost, 0));
        nobodyPort = unused.serverPort();
    }
    Invitation::Endpoint hub() const { return {u"127.0.0.1"_s, tls.serverPort()}; }
    Invitation::Endpoint quiet() const { return {u"127.0.0.1"_s, silent.serverPort()}; }
    Invitation::Endpoint nobody() const { return {u"127.0.0.1"_s, nobodyPort}; }

    QSslServer tls;
    QTcpServer silent;
    quint16 nobodyPort = 0;
    QByteArray fingerprint;
};

TEST(HubDialer, TakesThePlaceThatProvesToBeTheHubThoughOthersComeFirstAndClosesThem)
{
    Places places;
    HubDialer dialer({places.nobody(), places.quiet(), places.hub()}, places.fingerprint, {50, 5000});
    EXPECT_EQ(dialer.Dial(), std::optional(places.hub()));
    QTcpSocket *held = places.silent.nextPendingConnection();
    ASSERT_NE(held, nullptr) << "the silent place was tried before the hub answered";
    EXPECT_TRUE(WaitFor([&] { return held->state() == QAbstractSocket::UnconnectedState; }))
        << "the losing attempt was closed";
}

TEST(HubDialer, GivesUpInTimeNamingEachPlaceTriedTheLikelyCauseAndTheFix)
{
    Places places;
    const QByteArray otherFingerprint(32, '\x01');
    const struct
    {
        QList<Invitation::Endpoint> to;
        QByteArray fingerprint;
        QString tried, cause;
    } cases[] = {
        {{places.nobody()}, places.fingerprint, u"(refused)"_s, u"nothing listens there"_s},
        {{{u"localhost"_s, places.nobodyPort}},
         places.fingerprint,
         u"127.0.0.1, this machine: refused)"_s,
         u"leads to this very machine"_s},
        {{places.quiet()},
         places.fingerprint,
         u"(accepted but never answered as a game hub)"_s,
         u"not this game's hub"_s},
        {{places.hub()}, otherFingerprint, u"(another certificate)"_s, u"something other than this game's hub"_s},
        {{{u"nosuch.invalid"_s, 1}},
         places.fingerprint,
         u"nosuch.invalid:1 (no such name)"_s,
         u"knows none of these names"_s},
        {{places.quiet(), places.nobody()}, otherFingerprint, u"(refused)"_s, u"not this game's hub"_s},
    };
    for (const auto &c : cases) {
        HubDialer dialer(c.to, c.fingerprint, {50, 1500});
        EXPECT_FALSE(dialer.Dial());
        const QString problem = dialer.Problem();
        EXPECT_TRUE(problem.contains(c.tried) && problem.contains(c.cause)) << problem.toStdString();
        EXPECT_TRUE(problem.contains(Invitation::EndpointText(c.to.first()))) << problem.toStdString();
    }
}

} // namespace
