// What one hostile or unlucky player cannot do to a window: start it under a
// name or key that cannot join, freeze it with endless chat lines, or grow
// its chat log without end.

#include "game/routing.h"
#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(StartupRefusal, ANameOrKeyThatCannotJoinIsRefusedWithAnErrorBeforeAnyConnection)
{
    for (const QString &line : {QStringLiteral("x 77 K7 [Exit] Ann"), QStringLiteral("x 77 K7 Zed@30000 Zed@30000"),
                                QStringLiteral("x 77 K7  Ann"), QStringLiteral(u"x 77 K\u00FF7 Ann Ann"),
                                QStringLiteral("x 77 %1 Ann Ann").arg(QString(70000, u'K'))}) {
        WindowFixture f(line);
        EXPECT_EQ(f.window->Startup(), 1) << line.left(40).toStdString();
        ASSERT_EQ(f.boxes.shown.size(), 1);
        EXPECT_EQ(f.boxes.shown[0].kind, ShownBox::Error);
        EXPECT_TRUE(f.link.joinCalls.isEmpty() && f.link.sent.isEmpty());
    }
}

TEST(ChatLines, LongerThanTheLimitAreCutWithAMarkWhenSentAndWhenShown)
{
    const QString x400(400, u'x'), cut = QString(396, u'x') + QStringLiteral(u" [\u2026]");
    const QString pair = QStringLiteral(u"\U0001F600");
    const struct {
        QString line, sent;
    } cases[] = {{x400, x400},
                 {x400 + u'y', cut},
                 {QString(60000, u'x'), cut},
                 {cut, cut},
                 {QString(395, u'x') + pair.repeated(3), QString(395, u'x') + QStringLiteral(u" [\u2026]")}};
    for (const auto &c : cases) {
        EXPECT_EQ(Routing::ChatMessage(c.line), QStringLiteral("Chat;") + c.sent);
        EXPECT_EQ(Routing::RouteDelivery(QStringLiteral("Bob"), QStringLiteral("Chat;") + c.line).text,
                  Routing::SenderField(QStringLiteral("Bob")) + c.sent);
    }
}

TEST(ChatLog, KeepsTheNewestLinesOfAFloodAndNoneLongerThanTheLimit)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    for (int n = 0; n < 100; ++n)
        f.link.Deliver(QStringLiteral("Bob"), QString::fromLatin1(n % 2 ? "Chat;" : "Chat;\\") + QString(60000, u'x'));
    for (const ChatLine &line : ChatLines(*f.window))
        ASSERT_LE(line.text.size(), Routing::SenderField({}).size() + Routing::MaxChatLength);
    for (int n = 1; n <= ChatLog::MaxLines; ++n)
        f.window->AddText(3, QString::number(n));
    const QList<ChatLine> lines = ChatLines(*f.window);
    ASSERT_EQ(lines.size(), ChatLog::MaxLines);
    EXPECT_EQ(lines.first().text, u"1");
    EXPECT_EQ(lines.last().text, QString::number(ChatLog::MaxLines));
}

} // namespace
