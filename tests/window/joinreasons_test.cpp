#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <gtest/gtest.h>

namespace {

struct ReasonCase
{
    bool connects;
    const char *connectError;
    std::optional<QString> refusal;
    const char *boxText;
};

class JoinFailureReason : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(JoinFailureReason, StandsUnderTheErrorBoxText)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    f.link.joinAnswer = GetParam().connects;
    f.link.joinError = QString::fromUtf8(GetParam().connectError);
    f.link.joinRefusal = GetParam().refusal;

    EXPECT_EQ(f.window->Startup(), 1);
    ASSERT_FALSE(f.boxes.shown.isEmpty());
    EXPECT_EQ(f.boxes.shown.last().title, u"ERROR!");
    EXPECT_EQ(f.boxes.shown.last().text, QString::fromUtf8(GetParam().boxText));
}

INSTANTIATE_TEST_SUITE_P(Table, JoinFailureReason, ::testing::Values(
    ReasonCase{false, "the game hub at h port 77 could not be reached: no such host.", std::nullopt,
               "Error, Please Restart The Game!\n\nThe game hub at h port 77 could not be reached: no such host."},
    ReasonCase{true, "", QStringLiteral("the game did not answer within 10 s."),
               "Error, Please Restart The Game!\n\nThe game did not answer within 10 s."}));

TEST(JoinedWindowRefused, SaysWhyInTheChatLog)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    emit f.link.Refused(QStringLiteral("the name \"Ann\" is already taken."));
    EXPECT_EQ(ChatLines(*f.window).last().text, u"** The game refused this window: the name \"Ann\" is already taken.");
}

} // namespace
