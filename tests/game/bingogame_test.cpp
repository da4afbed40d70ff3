#include "game/bingogame.h"

#include "game/members.h"
#include "support/randomgenerator.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

// A host's game with 1 to 5 called.
struct HostGame
{
    HostGame()
    {
        game.SetHost(true);
        game.EvalCommand(QStringLiteral("2|ResetMe|10"));
        for (int n = 1; n <= 5; ++n)
            game.EvalCommand(QStringLiteral("1|%1").arg(n));
    }
    QStringList claim(const QString &record)
    {
        QSignalSpy sent(&game, &BingoGame::Send);
        game.EvalCommand(record);
        QStringList records;
        for (const auto &args : sent)
            records << args.at(0).toString();
        return records;
    }

    MemberTable members;
    RandomGenerator random{1, [] { return quint64(1000); }};
    BingoGame game{members, random};
};

TEST(WinTotals, StopAt32767AndAreAnnouncedThere)
{
    HostGame host;
    host.members.Append({QStringLiteral("Ann"), 32766});
    EXPECT_EQ(host.claim(QStringLiteral("4|Ann|1@2@3@4@5")), QStringList{"3|Ann|32767"});
    host.game.EvalCommand(QStringLiteral("2|ResetMe|10"));
    for (int n = 1; n <= 5; ++n)
        host.game.EvalCommand(QStringLiteral("1|%1").arg(n));
    EXPECT_EQ(host.claim(QStringLiteral("4|Ann|1@2@3@4@5")), QStringList{"3|Ann|32767"});
    EXPECT_EQ(host.members.At(0).Wins, 32767);
}

TEST(HostJudgement, AcceptsOneClaimPerGame)
{
    HostGame host;
    EXPECT_EQ(host.claim(QStringLiteral("4|Ann|1@2@3@4@5")), QStringList{"3|Ann|1"});
    // A second press of BINGO!, and a rival's line, before the win comes back.
    EXPECT_TRUE(host.claim(QStringLiteral("4|Ann|1@2@3@4@5")).isEmpty());
    EXPECT_TRUE(host.claim(QStringLiteral("4|Bob|5@4@3@2@1")).isEmpty());
    host.game.EvalCommand(QStringLiteral("3|Ann|1"));
    EXPECT_TRUE(host.claim(QStringLiteral("4|Bob|5@4@3@2@1")).isEmpty());
    EXPECT_EQ(host.members.Size(), 1);
}

TEST(HostCalling, StopsAfterTheHundredthCall)
{
    HostGame host;
    host.game.EvalCommand(QStringLiteral("2|ResetMe|10"));
    QSignalSpy sent(&host.game, &BingoGame::Send);
    QSignalSpy done(&host.game, &BingoGame::CallingDone);
    for (int i = 0; i < 99; ++i)
        host.game.CallNext();
    EXPECT_EQ(done.count(), 0);
    host.game.CallNext();
    EXPECT_EQ(sent.count(), 100);
    EXPECT_EQ(done.count(), 1);
}

} // namespace
