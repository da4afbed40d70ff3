#include "game/routing.h"
#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupRefusal, ANameOrKeyThatCannotJoinIsRefusedWithAnErrorBeforeAnyConnection)
{
    for (const QString &line : {QStringLiteral("x 77 K7 [Exit] Ann"), QStringLiteral("x 77 K7  Ann"),
                                QStringLiteral(u"x 77 K\u00FF7 Ann Ann"), "x 77 " + QString(70000, u'K') + " Ann Ann"}) {
        WindowFixture f(line);
        EXPECT_EQ(f.window->Startup(), 1);
        EXPECT_TRUE(f.boxes.shown.size() == 1 && f.boxes.shown[0].kind == ShownBox::Error);
        EXPECT_TRUE(f.link.joinCalls.isEmpty() && f.link.sent.isEmpty());
    }
}

TEST(ChatLines, AreCutWithAMarkWhenSentAndWhenShownAndTheLogKeepsTheNewest)
{
    const QString x400(400, u'x'), cut = QString(396, u'x') + QStringLiteral(u" [\u2026]");
    const QString pairsAtTheCut = QString(395, u'x') + QStringLiteral(u"\U0001F600\U0001F600\U0001F600");
    for (const auto &[line, shown] : {std::pair{x400, x400}, {x400 + u'y', cut}, {QString(60000, u'x'), cut},
                                      {cut, cut}, {pairsAtTheCut, QString(395, u'x') + QStringLiteral(u" [\u2026]")}}) {
        EXPECT_EQ(Routing::ChatMessage(line), "Chat;" + shown);
        EXPECT_EQ(Routing::RouteDelivery(QStringLiteral("Bob"), "Chat;" + line).text, "Bob:           " + shown);
    }

    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    for (int n = 0; n < 100; ++n) // a hundred lines that took a second each to lay out
        f.link.Deliver(QStringLiteral("Bob"), QString::fromLatin1(n % 2 ? "Chat;" : "Chat;\\") + QString(60000, u'x'));
    for (const ChatLine &line : ChatLines(*f.window))
        ASSERT_LE(line.text.size(), Routing::SenderFieldWidth + Routing::MaxChatLength);
    for (int n = 1; n <= ChatLog::MaxLines; ++n)
        f.window->AddText(3, QString::number(n));
    const QList<ChatLine> lines = ChatLines(*f.window);
    EXPECT_TRUE(lines.size() == ChatLog::MaxLines && lines.first().text == u"1");
}

} // namespace
