#include "link/tcpgamelink.h"

#include "link/framecodec.h"
#include "support/qtprinters.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A window's link, connected to a hub stand-in that the test scripts by hand.
struct Connected
{
    explicit Connected(int silenceMs = 45000) : link(u"127.0.0.1"_s, {5000, silenceMs})
    {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0) && link.JoinGame(1, server.serverPort()));
        EXPECT_TRUE(server.waitForNewConnection(5000));
        hub = server.nextPendingConnection();
    }
    std::optional<QString> join(const QStringList &hubSends, bool hubCloses = false, int timeoutMs = 5000)
    {
        for (const QString &text : hubSends)
            hub->write(Frame::Encode(text));
        if (hubCloses)
            hub->disconnectFromHost();
        return link.WaitUntilJoined(u"K7"_s, u"Ann"_s, timeoutMs);
    }
    QTcpServer server;
    TcpGameLink link;
    QTcpSocket *hub = nullptr;
    QSignalSpy lost{&link, &GameLink::LinkLost};
    QSignalSpy refused{&link, &GameLink::Refused};
};

TEST(LinkJoin, EndsWithTheConfirmationOrTheReasonAndLeavesReportingToStartUp)
{
    const struct { QStringList hubSends; bool hubCloses; QString outcome; } table[] = {
        {{u"[Enter]ÿBob"_s, u"[Enter]ÿAnn"_s}, false, {}},
        {{u"[Hub]ÿRefusedÿthe name \"Ann\" is already taken."_s}, true,
         u"the game refused this window: the name \"Ann\" is already taken."_s},
        {{u"[Enter]ÿBob"_s}, true, u"the game host closed the connection."_s},
        {{u"[Enter]ÿBob"_s}, false, u"the game did not answer within 0.2 s."_s},
    };
    for (const auto &c : table) {
        Connected j;
        const std::optional<QString> outcome = j.join(c.hubSends, c.hubCloses, 200);
        EXPECT_EQ(outcome.value_or(QString()), c.outcome);
        EXPECT_EQ(j.link.SendText(u"GÿK7ÿCÿChat;x"_s), !outcome) << c.outcome.toStdString();
        EXPECT_TRUE(j.lost.isEmpty() && j.refused.isEmpty()) << c.outcome.toStdString();
    }
}

TEST(LinkAfterTheJoin, AnswersPingsItselfAndEndsOnSilenceOrARefusalWithTheReason)
{
    const struct { QString hubSends; QString lost, refused; } table[] = {
        {u"[Hub]ÿPing"_s, u"the game stopped answering"_s, {}}, // then nothing more
        {u"[Hub]ÿRefusedÿtoo many records."_s, {}, u"too many records."_s},
    };
    for (const auto &c : table) {
        Connected j(150);
        QSignalSpy received(&j.link, &GameLink::TextReceived);
        ASSERT_EQ(j.join({u"[Enter]ÿAnn"_s, u"[Hub]ÿLaterÿx"_s, c.hubSends}), std::nullopt);
        ASSERT_TRUE(WaitFor([&] { return j.lost.size() + j.refused.size() > 0; }, 5000));
        EXPECT_EQ(j.lost.value(0).value(0).toString() + j.refused.value(0).value(0).toString(), c.lost + c.refused);
        EXPECT_EQ(j.hub->readAll().contains(Frame::Encode(u"GÿK7ÿP"_s)), c.refused.isEmpty());
        EXPECT_EQ(received.size(), 1) << "control frames are not deliveries";
    }
}

} // namespace
