#include "game/routing.h"

#include <gtest/gtest.h>

namespace {

using Routing::Action;

TEST(RouteDelivery, TakesTheFirstRuleThatHolds)
{
    const struct { const char *what, *sender, *data; Action action; const char *text; int logType; } cases[] = {
        {"enter", "[Enter]", "Ann", Action::AddPlayer, "Ann", 1},
        {"exit", "[Exit]", "Ann", Action::RemovePlayer, "Ann", 2},
        {"enter wins over markers", "[Enter]", "Chat;x", Action::AddPlayer, "Chat;x", 1},
        {"chat", "Ann", "Chat;hello", Action::Log, "Ann:           hello", 3},
        {"empty chat line", "Ann", "Chat;", Action::Log, "Ann:           ", 3},
        {"chat command", "Ann", "Chat;/call 7", Action::ChatCommand, "call 7", 0},
        {"emote", "Ann", "Chat;\\waves", Action::Log, "*Ann waves", 5},
        {"bare emote", "Ann", "Chat;\\", Action::Log, "*Ann ", 5},
        {"15-character sender", "Alexandra-Jones", "Chat;hi", Action::Log, "Alexandra-Joneshi", 3},
        {"long sender is cut", "Alexandra-Jones-Smith", "Chat;hi", Action::Log, "Alexandra-Joneshi", 3},
        {"emote of a 15-character sender", "Alexandra-Jones", "Chat;\\waves", Action::Log, "*Alexandra-Jones waves", 5},
        {"emote of a sender with a colon", "A:nn", "Chat;\\waves", Action::Log, "*A waves", 5},
        {"both markers are chat", "Ann", "Comm;1|7Chat;x", Action::Log, "Ann:           1|7Chat;x", 3},
        {"body after the first semicolon", "Ann", "xx;Chat;hi", Action::Log, "Ann:           Chat;hi", 3},
        {"command record", "Ann", "Comm;1|42", Action::Command, "1|42", 0},
        {"no marker", "Ann", "hello", Action::Ignore, "", 0},
        {"case counts", "Ann", "chat;hello", Action::Ignore, "", 0}};
    for (const auto &c : cases) {
        const Routing::Route route = Routing::RouteDelivery(QString::fromUtf8(c.sender), QString::fromUtf8(c.data));
        EXPECT_EQ(route.action, c.action) << c.what;
        EXPECT_EQ(route.text, QString::fromUtf8(c.text)) << c.what;
        EXPECT_EQ(route.logType, c.logType) << c.what;
    }
}

TEST(RouteDelivery, LetsOnlyTheHostSteerTheGameAndAPlayerClaimOnlyInTheirOwnName)
{
    // Bob's deliveries in Hal's game; Hal may send every one of them.
    const struct { const char *data; bool bobMay; } cases[] = {
        {"Comm;1|8", false}, {"Comm;2|ResetMe|15", false}, {"Comm;3|Bob|1", false}, {"Comm;5|Bob|15|7@3", false},
        {"Comm;6|Bob|taken|", false}, {"Chat;/call 9", false}, {"Comm;4|Ann|1@2@3@4@5", false},
        {"Comm;4|Bob|1@2@3@4@5", true}, {"Comm;9|x", true}, {"Chat;hello", true}};
    for (const auto &c : cases) {
        const QString data = QString::fromUtf8(c.data);
        EXPECT_EQ(Routing::SenderMayAct(Routing::RouteDelivery("Bob", data), "Bob", "Hal"), c.bobMay) << c.data;
        EXPECT_TRUE(Routing::SenderMayAct(Routing::RouteDelivery("Hal", data), "Hal", "Hal") || data.startsWith(u"Comm;4|")) << c.data;
    }
}

TEST(SendingChat, StripsEverySemicolonAndSendsEmptyLinesToo)
{
    EXPECT_EQ(Routing::ChatMessage(QStringLiteral("a;b;c")), u"Chat;abc");
    EXPECT_EQ(Routing::ChatMessage(QString()), u"Chat;");
}

} // namespace
