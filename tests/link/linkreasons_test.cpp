#include "link/tcpgamelink.h"

#include "link/framecodec.h"
#include "support/qtprinters.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

const QString Y = QStringLiteral("\u00FF");

QByteArray frames(const QStringList &texts)
{
    QByteArray bytes;
    for (const QString &text : texts)
        bytes += Frame::Encode(text);
    return bytes;
}

// A window's link joined to a hub stand-in that the test scripts by hand.
struct Joined
{
    explicit Joined(int silenceMs = 45000)
        : link(QStringLiteral("127.0.0.1"), TcpGameLink::Timing{5000, silenceMs})
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        EXPECT_TRUE(link.JoinGame(1, server.serverPort()));
        EXPECT_TRUE(server.waitForNewConnection(5000));
        hub = server.nextPendingConnection();
    }
    QTcpServer server;
    TcpGameLink link;
    QTcpSocket *hub = nullptr;
};

struct JoinCase
{
    QStringList hubSends;
    bool hubCloses;
    const char *outcome; // empty when the join is confirmed
};

class JoinAnswers : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinAnswers, EndTheWaitWithTheHubsReasonOrTheConfirmation)
{
    Joined j;
    QSignalSpy lost(&j.link, &GameLink::LinkLost);
    QSignalSpy refused(&j.link, &GameLink::Refused);
    j.hub->write(frames(GetParam().hubSends));
    if (GetParam().hubCloses)
        j.hub->disconnectFromHost();
    const std::optional<QString> outcome = j.link.WaitUntilJoined(QStringLiteral("K7"), QStringLiteral("Ann"), 300);
    EXPECT_EQ(outcome.value_or(QString()), QString::fromUtf8(GetParam().outcome));
    EXPECT_EQ(j.link.SendText(QStringLiteral("G\u00ffK7\u00ffC\u00ffChat;x")), !outcome);
    EXPECT_TRUE(lost.isEmpty() && refused.isEmpty()) << "start-up reports it, not the running window";
}

INSTANTIATE_TEST_SUITE_P(Table, JoinAnswers, ::testing::Values(
    JoinCase{{"[Enter]" + Y + "Bob", "[Enter]" + Y + "Ann"}, false, ""},
    JoinCase{{"[Hub]" + Y + "Refused" + Y + "the name \"Ann\" is already taken."}, true,
             "the game refused this window: the name \"Ann\" is already taken."},
    JoinCase{{"[Enter]" + Y + "Bob"}, true, "the game host closed the connection."},
    JoinCase{{"[Enter]" + Y + "Bob"}, false, "the game did not answer within 0.3 s."}));

TEST(LinkJoin, NamesTheAddressAndPortWhereNobodyListens)
{
    quint16 port;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    TcpGameLink link(QStringLiteral("127.0.0.1"));
    ASSERT_FALSE(link.JoinGame(1, port));
    EXPECT_EQ(link.ErrorString(), QStringLiteral("the game hub at 127.0.0.1 port %1 could not be reached: "
                                                 "the connection was refused (is the hub running?).").arg(port));
}

TEST(LinkPing, IsAnsweredWithTheKeyAndThenSilenceIsALostLink)
{
    Joined j(150);
    QSignalSpy received(&j.link, &GameLink::TextReceived);
    QSignalSpy lost(&j.link, &GameLink::LinkLost);
    j.hub->write(frames({"[Enter]" + Y + "Ann"}));
    ASSERT_EQ(j.link.WaitUntilJoined(QStringLiteral("K7"), QStringLiteral("Ann"), 5000), std::nullopt);
    // A hub that has never pinged (an older one) may stay quiet for ever.
    WaitFor([] { return false; }, 300);
    ASSERT_TRUE(lost.isEmpty());

    j.hub->write(frames({"[Hub]" + Y + "Ping", "[Hub]" + Y + "Later" + Y + "x"}));
    Frame::Reader answers;
    ASSERT_TRUE(WaitFor([&] {
        answers.Feed(j.hub->readAll());
        return answers.Next() == "G" + Y + "K7" + Y + "P";
    }, 5000));
    ASSERT_TRUE(WaitFor([&] { return !lost.isEmpty(); }, 5000));
    EXPECT_EQ(lost.first().first().toString(), u"the game stopped answering");
    EXPECT_EQ(received.size(), 1) << "control frames are not deliveries";
}

TEST(LinkRefusal, AfterTheJoinIsReportedAsRefusedNotLost)
{
    Joined j;
    QSignalSpy lost(&j.link, &GameLink::LinkLost);
    QSignalSpy refused(&j.link, &GameLink::Refused);
    j.hub->write(frames({"[Enter]" + Y + "Ann"}));
    ASSERT_EQ(j.link.WaitUntilJoined(QStringLiteral("K7"), QStringLiteral("Ann"), 5000), std::nullopt);
    j.hub->write(frames({"[Hub]" + Y + "Refused" + Y + "too many records."}));
    j.hub->disconnectFromHost();
    ASSERT_TRUE(WaitFor([&] { return !refused.isEmpty(); }, 5000));
    WaitFor([] { return false; }, 50);
    EXPECT_EQ(refused.first().first().toString(), u"too many records.");
    EXPECT_TRUE(lost.isEmpty());
}

} // namespace
