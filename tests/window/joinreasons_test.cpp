#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <gtest/gtest.h>

namespace {

TEST(JoinReasons, StandUnderTheErrorBoxTextAndARefusalAfterTheJoinReachesTheChatLog)
{
    WindowFixture failed(QStringLiteral("x 77 K7 Ann Ann"));
    failed.link.joinRefusal = QStringLiteral("the game did not answer within 10 s.");
    EXPECT_EQ(failed.window->Startup(), 1);
    ASSERT_FALSE(failed.boxes.shown.isEmpty());
    EXPECT_EQ(failed.boxes.shown.last().text, u"Error, Please Restart The Game!\n\nThe game did not answer within 10 s.");

    WindowFixture joined(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(joined.window->Startup(), std::nullopt);
    emit joined.link.Refused(QStringLiteral("the name \"Ann\" is already taken."));
    EXPECT_EQ(ChatLines(*joined.window).last(), u"2:** The game refused this window: the name \"Ann\" is already taken.");
}

} // namespace
