// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/tcpgamelink.h"

#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "support/qtprinters.h"
#include "support/waitfor.h"

#include <QFile>
#include <QSignalSpy>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A window's link, connected to a hub stand-in that the test scripts by hand,
// or, when nobody listens, refused.
struct Connected
{
    explicit Connected(int silenceMs, bool listening = true, int retryForMs = 0)
        : link(u"127.0.0.1"_s, {1000, silenceMs, 1, 1, retryForMs})
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        port = server.serverPort();
        if (!listening) server.close();
        EXPECT_EQ(link.Connect(port), listening);
        hub = server.waitForNewConnection(5000) ? server.nextPendingConnection() : nullptr;
    }
    // The hub sends `texts` as frames, then `bytes`, and closes if told; the link waits for its join.
    std::optional<QString> join(const QStringList &texts, const QByteArray &bytes, bool hubCloses, int timeoutMs)
    {
        for (const QString &text : texts) hub->write(Frame::Encode(text));
        hub->write(bytes);
        if (hubCloses) hub->disconnectFromHost();
        return link.Join({u"K7"_s, u"Ann"_s}, timeoutMs);
    }
    QTcpServer server;
    TcpGameLink link;
    quint16 port = 0;
    QTcpSocket *hub = nullptr;
    QSignalSpy received{&link, &GameLink::TextReceived};
    QSignalSpy lost{&link, &GameLink::LinkLost};
    QSignalSpy refused{&link, &GameLink::Refused};
};

TEST(LinkJoin, EndsWithTheConfirmationOrTheReasonAndLeavesReportingToStartUp)
{
    // No frames sent: nobody listens, and the outcome is why the join failed, the port shown as "P".
    // clang-format off
    const struct { QStringList hubSends; bool hubCloses; QString outcome; } table[] = {
        {{u"[Enter]ÿBob"_s, u"[Enter]ÿAnn"_s}, false, {}},
        {{u"[Hub]ÿRefusedÿthe name \"Ann\" is already taken."_s}, true,
         u"the game refused this window: the name \"Ann\" is already taken."_s},
        {{u"[Enter]ÿBob"_s}, true, u"the game host closed the connection."_s},
        {{u"[Enter]ÿBob"_s}, false, u"the game did not answer within 0.2 s."_s},
        {{}, false,
         u"the game hub at 127.0.0.1 port P could not be reached: the connection was refused (is the hub running?)."_s},
    };
    // clang-format on
    for (const auto &c : table) {
        Connected j(45000, !c.hubSends.isEmpty());
        std::optional<QString> outcome = j.hub ? j.join(c.hubSends, {}, c.hubCloses, 200) : j.link.ErrorString();
        EXPECT_EQ(outcome.value_or(QString()).replace(QString::number(j.port), u"P"_s), c.outcome);
        EXPECT_TRUE(j.link.SendMessage(u"Chat;x"_s) == !outcome && j.lost.isEmpty() && j.refused.isEmpty()) << c.outcome.toStdString();
    }
}

TEST(LinkAfterTheJoin, DeliversFramesAnswersPingsAndEndsOnceOnSilenceRefusalCloseOrABrokenFrame)
{
    // clang-format off
    const struct { QByteArray bytes; bool hubCloses, refusal; QString reason; } table[] = {
        {Frame::Encode(u"[Hub]ÿPing"_s), false, false, u"the game stopped answering"_s}, // then nothing more
        {Frame::Encode(u"[Hub]ÿRefusedÿtoo many records."_s), false, true, u"too many records."_s},
        {{}, true, false, u"the game host closed the connection"_s},
        {Frame::Encode(u"no separator"_s), false, false, u"protocol error: delivery without a sender"_s},
        {QByteArray("\x00\x00\x00\x02\xc3\x28", 6), false, false, u"protocol error: "_s}, // not UTF-8
    };
    // clang-format on
    for (const auto &c : table) {
        Connected j(150);
        ASSERT_EQ(j.join({u"[Enter]ÿAnn"_s, u"[Hub]ÿLaterÿx"_s, u"AnnÿChat;aÿb"_s}, c.bytes, c.hubCloses, 5000), std::nullopt);
        ASSERT_TRUE(WaitFor([&] { return j.lost.size() + j.refused.size() > 0; }, 5000));
        QTest::qWait(20);
        EXPECT_EQ(j.lost.size() + j.refused.size(), 1) << c.reason.toStdString();
        EXPECT_TRUE((c.refusal ? j.refused : j.lost).value(0).value(0).toString().startsWith(c.reason)) << c.reason.toStdString();
        EXPECT_TRUE(j.received.size() == 2 && j.received[1] == QVariantList({"Ann", u"Chat;aÿb"_s})) << "control frames are not deliveries";
        EXPECT_FALSE(j.link.SendMessage(u"Chat;x"_s));
        EXPECT_EQ(j.hub->readAll().contains(Frame::Encode(u"GÿK7ÿP"_s)), c.bytes.contains("Ping")) << c.reason.toStdString();
        EXPECT_TRUE(WaitFor([&] { return j.hub->state() == QAbstractSocket::UnconnectedState; }, 5000)) << "the link closed its end";
    }
}

TEST(LinkAfterTheJoin, JoinsAfreshWhenTheConnectionDropsAndSendsWhatTheHubNeverGot)
{
    Connected j(45000, true, 10000);
    ASSERT_EQ(j.join({u"[Enter]ÿAnn"_s}, {}, false, 5000), std::nullopt);
    QSignalSpy away(&j.link, &GameLink::Reconnecting), rejoining(&j.link, &GameLink::Rejoining), back(&j.link, &GameLink::Reconnected);
    j.hub->abort();
    ASSERT_TRUE(WaitFor([&] { return away.size() == 1; }, 5000));
    EXPECT_TRUE(j.link.SendMessage(u"Chat;meanwhile"_s)) << "kept until the link is back";
    ASSERT_TRUE(WaitFor([&] { return j.server.hasPendingConnections(); }, 5000));
    QTcpSocket *again = j.server.nextPendingConnection();
    const QByteArray joinRecords
        = Frame::Encode(LinkRecord::Identify(u"K7"_s, 0)) + Frame::Encode(LinkRecord::Announce(u"K7"_s, LinkRecord::Caption, u"Ann"_s));
    QByteArray heard;
    ASSERT_TRUE(WaitFor([&] { return (heard += again->readAll()).size() >= joinRecords.size(); }, 5000));
    again->write(Frame::Encode(u"[Enter]ÿAnn"_s));
    ASSERT_TRUE(WaitFor([&] { return back.size() == 1; }, 5000));
    const QByteArray resent = Frame::Encode(LinkRecord::Message(u"K7"_s, u"Chat;meanwhile"_s));
    ASSERT_TRUE(WaitFor([&] { return (heard += again->readAll()).size() >= joinRecords.size() + resent.size(); }, 5000));
    EXPECT_TRUE(heard == joinRecords + resent && rejoining.size() == 1);
    // Back in the game, deliveries keep it there: no wait for the hub's answer runs out.
    again->write(Frame::Encode(u"BobÿChat;hi"_s));
    EXPECT_FALSE(WaitFor([&] { return away.size() > 1; }, 1500));
}

TEST(LinkAfterTheJoin, TakesSilenceForHalfAgainTheHubsHeartbeatAsALostLinkBeatsWhenAskedAndReportsWhoIsAway)
{
    // Over a second of silence from the hub: whether the link is lost, and how many beats it wrote.
    // clang-format off
    const struct { const char *what; QStringList heartbeat; bool lost; int beats; } table[] = {
        {"a hub that writes at least every 100 ms", {u"[Hub]ÿHeartbeatÿ100"_s}, true, 0},
        {"one that listens for a beat every 200 ms, and pings seldom", {u"[Hub]ÿHeartbeatÿ100"_s, u"[Hub]ÿBeatÿ200"_s}, false, 5},
        {"one that asks for beats too seldom to notice an away window", {u"[Hub]ÿHeartbeatÿ100"_s, u"[Hub]ÿBeatÿ4500"_s}, true, 0},
        {"a hub of an earlier release, which pings seldom", {}, false, 0},
    };
    // clang-format on
    const QByteArray beat = Frame::Encode(LinkRecord::Beat(u"K7"_s));
    for (const auto &row : table) {
        Connected j(45000);
        QSignalSpy presence(&j.link, &GameLink::PresenceChanged);
        const QStringList frames = row.heartbeat + QStringList{u"[Enter]ÿAnn"_s, u"[Hub]ÿAwayÿBob"_s, u"[Hub]ÿAway"_s, u"[Hub]ÿBackÿBob"_s};
        ASSERT_EQ(j.join(frames, {}, false, 5000), std::nullopt);
        j.hub->readAll(); // the join
        EXPECT_EQ(WaitFor([&] { return !j.lost.isEmpty(); }, 1000), row.lost) << row.what;
        const qsizetype beats = j.hub->readAll().count(beat);
        EXPECT_TRUE(beats >= row.beats && beats <= row.beats * 3 / 2) << row.what << ": " << beats;
        EXPECT_TRUE(presence.size() == 2 && presence[0] == QVariantList({u"Bob"_s, true}) && presence[1] == QVariantList({u"Bob"_s, false})) << row.what;
    }
}

TEST(LinkLeaving, SaysGoodbyeToAHubThatGaveASeatAndEndsTheGameWhenTheHostEndsIt)
{
    // What the hub reads last, until the window has gone.
    const QByteArray goodbye = Frame::Encode(LinkRecord::Leave(u"K7"_s)), end = Frame::Encode(LinkRecord::EndGame(u"K7"_s));
    // clang-format off
    const struct { const char *what; bool seat, ends; QByteArray read; } table[] = {
        {"a window with a seat that leaves", true, false, goodbye},
        {"the host's window, with a seat, ending the game", true, true, end + goodbye},
        {"a window of a hub that keeps no seats, leaving", false, false, {}},
        {"the host's window of such a hub, ending the game", false, true, end},
    };
    // clang-format on
    for (const auto &row : table) {
        Connected j(45000);
        const QStringList frames{u"[Hub]ÿSeatÿs3cret"_s, u"[Enter]ÿAnn"_s};
        ASSERT_EQ(j.join(row.seat ? frames : frames.mid(1), {}, false, 5000), std::nullopt);
        row.ends ? j.link.EndGame() : j.link.Leave();
        QByteArray read; // from the join on
        EXPECT_TRUE(WaitFor([&] { return (read += j.hub->readAll()), j.hub->state() != QAbstractSocket::ConnectedState; }, 2000)) << row.what;
        read += j.hub->readAll();
        EXPECT_TRUE(read.endsWith(row.read) && read.count(goodbye) == row.read.count(goodbye) && read.count(end) == row.read.count(end)) << row.what;
    }
}

TEST(DeadPeers, AreWatchedWithShortKeepaliveProbesAndAUserTimeout)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_TRUE(HubControl::WatchForDeadPeer(fd));
    const auto option = [fd](int level, int name) {
        int value = 0;
        socklen_t size = sizeof value;
        return ::getsockopt(fd, level, name, &value, &size) == 0 ? value : -1;
    };
    EXPECT_EQ(QList<int>({option(SOL_SOCKET, SO_KEEPALIVE), option(IPPROTO_TCP, TCP_KEEPIDLE), option(IPPROTO_TCP, TCP_KEEPINTVL),
                          option(IPPROTO_TCP, TCP_KEEPCNT), option(IPPROTO_TCP, TCP_USER_TIMEOUT)}),
              QList<int>({1, 20, 5, 4, HubControl::SilenceMs}));
    ASSERT_TRUE(HubControl::GiveUpUnacknowledgedAfter(fd, 2000)); // a window that beats
    EXPECT_EQ(option(IPPROTO_TCP, TCP_USER_TIMEOUT), 2000);
    ::close(fd);
    EXPECT_FALSE(HubControl::WatchForDeadPeer(fd) || HubControl::GiveUpUnacknowledgedAfter(fd, 2000)) << "a closed socket takes no option";
}

TEST(LinkConnect, TakesEveryPortFromOneTo65535AndNoOther)
{
    for (const auto &[number, port] : {std::pair{0, false}, {-1, false}, {65536, false}, {1, true}, {65535, true}}) {
        TcpGameLink link(u"127.0.0.1"_s); // nobody listens on either port: refused, but tried
        link.Connect(number);
        EXPECT_EQ(!link.ErrorString().contains(u"is not a port"_s), port) << number;
    }
}

TEST(LinkPinning, ConnectsOnlyToTheHubWhoseCertificateHasTheGivenFingerprint)
{
    QFile pem(QStringLiteral(KALUMO_TEST_HUB_PEM));
    ASSERT_TRUE(pem.open(QIODevice::ReadOnly));
    const QByteArray bytes = pem.readAll();
    const QSslCertificate certificate(bytes);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(certificate);
    configuration.setPrivateKey(QSslKey(bytes, QSsl::Ec));
    QSslServer hub;
    hub.setSslConfiguration(configuration);
    ASSERT_TRUE(hub.listen(QHostAddress::LocalHost, 0));
    const QByteArray right = certificate.digest(QCryptographicHash::Sha256);
    const auto changed = [&](int byte) { return QByteArray(right).replace(byte, 1, QByteArray(1, char(right[byte] ^ 1))); };
    // clang-format off
    const struct { const char *what; QByteArray fingerprint; bool connects; } cases[] = {
        {"its own", right, true}, {"another in its last byte", changed(31), false},
        {"another in its first byte", changed(0), false}, {"half of its own", right.left(16), false}};
    // clang-format on
    for (const auto &c : cases) {
        TcpGameLink link(u"127.0.0.1"_s);
        link.SetFingerprint(QString::fromLatin1(c.fingerprint.toHex()));
        EXPECT_EQ(link.Connect(hub.serverPort()), c.connects) << c.what;
        EXPECT_EQ(link.ErrorString().contains(u"is not the one in the invitation"), !c.connects && c.fingerprint.size() == 32) << c.what;
    }
    QTcpServer silent; // takes the connection and never answers the handshake
    TcpGameLink link(u"127.0.0.1"_s, {300, 1000, 1, 1, 0});
    link.SetFingerprint(QString::fromLatin1(right.toHex()));
    EXPECT_TRUE(silent.listen(QHostAddress::LocalHost, 0) && !link.Connect(silent.serverPort())
                && link.ErrorString().contains(u"did not set up an encrypted link"))
        << link.ErrorString().toStdString();
}

} // namespace
