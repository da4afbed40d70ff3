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
        const QByteArray bytes = pem.open(QIODevice::ReadOnly) ? pem.readAll() : QByteArray();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(bytes));
        configuration.setPrivateKey(QSslKey(bytes, QSsl::Ec));
        tls.setSslConfiguration(configuration);
        QTcpServer unused;
        EXPECT_TRUE(tls.listen(QHostAddress::LocalHost, 0) && silent.listen(QHostAddress::LocalHost, 0) && unused.listen(QHostAddress::LocalHost, 0));
        hub = {u"127.0.0.1"_s, tls.serverPort()}, quiet = {u"127.0.0.1"_s, silent.serverPort()}, nobody = {u"127.0.0.1"_s, unused.serverPort()};
        fingerprint = QSslCertificate(bytes).digest(QCryptographicHash::Sha256);
    }
    QSslServer tls;
    QTcpServer silent;
    Invitation::Endpoint hub, quiet, nobody;
    QByteArray fingerprint;
};

TEST(HubDialer, TakesThePlaceThatProvesToBeTheHubThoughOthersComeFirstElseSaysWhyNoneDid)
{
    Places places;
    HubDialer dialer({places.nobody, places.quiet, places.hub}, places.fingerprint, {50, 5000});
    EXPECT_EQ(dialer.Dial(), std::optional(places.hub));
    QTcpSocket *held = places.silent.nextPendingConnection();
    EXPECT_TRUE(held && WaitFor([&] { return held->state() == QAbstractSocket::UnconnectedState; })) << "the silent place was tried, then closed";

    // Else it gives up in time, naming each place tried, the likely cause and the fix.
    // clang-format off
    const struct { QList<Invitation::Endpoint> to; QByteArray fingerprint; QString tried, cause; } cases[] = {
        {{places.nobody}, places.fingerprint, u"(refused)"_s, u"nothing listens there"_s},
        {{{u"localhost"_s, places.nobody.port}}, places.fingerprint, u"127.0.0.1, this machine: refused)"_s, u"leads to this very machine"_s},
        {{places.quiet}, places.fingerprint, u"(accepted but never answered as a game hub)"_s, u"not this game's hub"_s},
        {{places.hub}, QByteArray(32, 1), u"(another certificate)"_s, u"something other than this game's hub"_s},
        {{{u"nosuch.invalid"_s, 1}}, places.fingerprint, u"nosuch.invalid:1 (no such name)"_s, u"knows none of these names"_s},
        {{places.quiet, places.nobody}, QByteArray(32, 1), u"(refused)"_s, u"not this game's hub"_s},
    };
    // clang-format on
    for (const auto &c : cases) {
        HubDialer dialer(c.to, c.fingerprint, {50, 1500});
        EXPECT_FALSE(dialer.Dial());
        const QString problem = dialer.Problem();
        EXPECT_TRUE(problem.contains(Invitation::EndpointText(c.to.first())) && problem.contains(c.tried) && problem.contains(c.cause))
            << problem.toStdString();
    }
}

} // namespace
