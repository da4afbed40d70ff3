#include "game/bingogame.h"

#include "game/members.h"
#include "support/randomgenerator.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(WinTotals, StopAt32767AndAreAnnouncedThere)
{
    MemberTable members;
    members.Append({QStringLiteral("Ann"), 32766});
    RandomGenerator random(1, [] { return quint64(1000); });
    BingoGame game(members, random);
    game.SetHost(true);
    QSignalSpy sent(&game, &BingoGame::Send);

    for (int round = 0; round < 2; ++round) {
        game.EvalCommand(QStringLiteral("2|ResetMe|10"));
        for (int n = 1; n <= 5; ++n)
            game.EvalCommand(QStringLiteral("1|%1").arg(n));
        game.EvalCommand(QStringLiteral("4|Ann|1@2@3@4@5"));
    }

    ASSERT_EQ(sent.count(), 2);
    EXPECT_EQ(sent.at(0).at(0).toString(), u"3|Ann|32767");
    EXPECT_EQ(sent.at(1).at(0).toString(), u"3|Ann|32767");
    EXPECT_EQ(members.At(0).Wins, 32767);
}

} // namespace
