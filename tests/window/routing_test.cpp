#include "window/routing.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

using Routing::Action;

struct Case
{
    const char *sender;
    const char *data;
    Action action;
    const char *text;
    int logType;
};

class RouteOfADelivery : public ::testing::TestWithParam<Case> {};

TEST_P(RouteOfADelivery, FollowsTheFirstRuleThatHolds)
{
    const Case &c = GetParam();
    const Routing::Route route = Routing::RouteDelivery(QString::fromUtf8(c.sender), QString::fromUtf8(c.data));
    EXPECT_EQ(route.action, c.action) << c.sender << " / " << c.data;
    EXPECT_EQ(route.text, QString::fromUtf8(c.text)) << c.sender << " / " << c.data;
    EXPECT_EQ(route.logType, c.logType);
}

INSTANTIATE_TEST_SUITE_P(Deliveries, RouteOfADelivery, ::testing::Values(
    Case{"[Enter]", "Ann", Action::AddPlayer, "Ann", 1},
    Case{"[Exit]", "Ann", Action::RemovePlayer, "Ann", 2},
    Case{"[Enter]", "Chat;hi", Action::AddPlayer, "Chat;hi", 1},
    Case{"Ann", "Chat;hello", Action::Log, "Ann:           hello", 3},
    Case{"Ann", "Chat;", Action::Log, "Ann:           ", 3},
    Case{"Ann", "Chat;\\waves", Action::Log, "*Ann waves", 5},
    Case{"Ann", "Chat;\\", Action::Log, "*Ann ", 5},
    Case{"A:nn", "Chat;\\waves", Action::Log, "*A waves", 5},
    Case{"Alexandra-Jones", "Chat;hi", Action::Log, "Alexandra-Joneshi", 3},
    Case{"Alexandra-Jones-Smith", "Chat;\\waves", Action::Log, "*Alexandra-Jones waves", 5},
    Case{"Ann", "Chat;/call 7", Action::ChatCommand, "call 7", 0},
    Case{"Ann", "x;Chat;y", Action::Log, "Ann:           Chat;y", 3},
    Case{"Ann", "Comm;1|42", Action::Command, "1|42", 0},
    Case{"Ann", "Comm;Chat;x", Action::Log, "Ann:           Chat;x", 3},
    Case{"Ann", "chat;hi", Action::Ignore, "", 0},
    Case{"Ann", "", Action::Ignore, "", 0}));

TEST(RoutingMessages, ChatDropsEverySemicolonAndCommandKeepsItsRecord)
{
    EXPECT_EQ(Routing::ChatMessage(QStringLiteral("a;b;c")), QStringLiteral("Chat;abc"));
    EXPECT_EQ(Routing::ChatMessage(QString()), QStringLiteral("Chat;"));
    EXPECT_EQ(Routing::CommandMessage(QStringLiteral("2|ResetMe|ab")), QStringLiteral("Comm;2|ResetMe|ab"));
}

} // namespace
