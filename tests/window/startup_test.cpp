#include "support/windowfixture.h"

#include "link/linkrecord.h"
#include "support/qtprinters.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTextEdit>
#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *line;
    const char *key, *name, *host;
    bool isHost;
    int errorBoxes;
};

class StartupReadsTheCommandLine : public ::testing::TestWithParam<Case> {};

TEST_P(StartupReadsTheCommandLine, IntoItsFieldsAndTheHostTest)
{
    const Case &c = GetParam();
    WindowFixture f(QString::fromUtf8(c.line));
    EXPECT_EQ(f.window->Startup(), std::nullopt);
    EXPECT_EQ(f.window->GameKey(), QString::fromUtf8(c.key));
    EXPECT_EQ(f.window->MyName(), QString::fromUtf8(c.name));
    EXPECT_EQ(f.window->HostName(), QString::fromUtf8(c.host));
    EXPECT_EQ(f.window->IsHost(), c.isHost);
    EXPECT_EQ(f.Control<QPushButton>("cmdNewGame")->isEnabled(), c.isHost);
    EXPECT_EQ(f.boxes.shown.size(), c.errorBoxes);
    ASSERT_EQ(f.link.joinCalls.size(), 1);
    EXPECT_EQ(f.link.joinCalls.first().second, 77);
}

INSTANTIATE_TEST_SUITE_P(Lines, StartupReadsTheCommandLine, ::testing::Values(
    Case{"x 77 K7 Ann Ann", "K7", "Ann", "Ann", true, 0},
    Case{"x 77 K7 Ann Bob Smith", "K7", "Ann", "Bob Smith", false, 0},
    Case{"x 77 K7 ann Ann", "K7", "ann", "Ann", false, 0},
    Case{"x 77 K7 Bob Smith Bob Smith", "K7", "Bob", "Smith Bob Smith", false, 0},
    Case{"x 77 K7", "K7", "", "", true, 2},
    Case{"x 77.4 K7 Ann Bo", "K7", "Ann", "Bo", false, 0}));

TEST(Startup, AnnouncesTheWindowAndGreetsThePlayer)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    ASSERT_EQ(f.link.sent.size(), 2);
    EXPECT_EQ(f.link.sent[0], LinkRecord::Identify(QStringLiteral("K7"), f.link.joinCalls.first().first));
    EXPECT_EQ(f.link.sent[1], LinkRecord::Announce(QStringLiteral("K7"), frmMain::Caption, QStringLiteral("Ann")));
    EXPECT_EQ(f.Control<QTextEdit>("rtbChatIn")->toPlainText().trimmed(), QStringLiteral("Thank You For Choosing Kalumo Bingo."));
}

struct FailedJoin
{
    const char *line;
    bool joinAnswer;
    int joinCalls;
    int boxesBefore; // error boxes before the "ERROR!" box
};

class StartupWithAFailedJoin : public ::testing::TestWithParam<FailedJoin> {};

TEST_P(StartupWithAFailedJoin, SaysSoShutsDownAndSendsNothing)
{
    WindowFixture f(QString::fromUtf8(GetParam().line));
    f.link.joinAnswer = GetParam().joinAnswer;
    QSignalSpy shutDown(f.window.get(), &frmMain::ShutDown);
    EXPECT_EQ(f.window->Startup(), 1);
    EXPECT_EQ(f.link.joinCalls.size(), GetParam().joinCalls);
    EXPECT_TRUE(f.link.sent.isEmpty());
    EXPECT_EQ(shutDown.size(), 1);
    ASSERT_EQ(f.boxes.shown.size(), GetParam().boxesBefore + 1);
    EXPECT_EQ(f.boxes.shown.last().kind, ShownBox::Information);
    EXPECT_EQ(f.boxes.shown.last().title, QStringLiteral("ERROR!"));
    EXPECT_EQ(f.boxes.shown.last().text, QStringLiteral("Error, Please Restart The Game!"));
    EXPECT_TRUE(f.Control<QTextEdit>("rtbChatIn")->toPlainText().trimmed().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Joins, StartupWithAFailedJoin, ::testing::Values(
    FailedJoin{"x 77 K7 Ann Ann", false, 1, 0},
    FailedJoin{"x", true, 0, 4},                  // pieces 2, 3, 4 and 1 missing
    FailedJoin{"x seven K7 Ann Ann", true, 0, 1},
    FailedJoin{"x 2147483648 K7 Ann Ann", true, 0, 1}));

TEST(Startup, WithAnEmptyCommandLineEndsWithoutJoining)
{
    WindowFixture f{QString()};
    EXPECT_EQ(f.window->Startup(), 0);
    EXPECT_TRUE(f.link.joinCalls.isEmpty());
}

} // namespace
