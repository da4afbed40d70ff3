#include "card/ctlcard.h"
#include "game/bingogame.h"
#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <vector>

namespace {

// Hal hosts; Ann and Bob play.
const QString HostLine = QStringLiteral("x 7001 K1 Hal Hal");
const QString PlayerLine = QStringLiteral("x 7001 K1 Ann Hal");

using Delivery = std::pair<const char *, const char *>; // sender, data
using Line = std::pair<const char *, int>;            // text, kind

struct EvalCase
{
    const char *what;
    bool host;
    std::vector<Delivery> deliveries;
    std::vector<Line> log;
    std::set<int> green;
    const char *seconds = "10";
    bool inProgress = false;
    bool won = false; // calling stopped, BINGO! disabled
    qint16 forced = 0;
};

// Each case's test is named after its description.
const auto caseName = [](const auto &info) {
    std::string name = info.param.what;
    std::replace_if(name.begin(), name.end(), [](char ch) { return !std::isalnum(uchar(ch)); }, '_');
    return name;
};

// What a card shows: its 25 numbers, then "x" for each marked cell.
QStringList cardFace(const QWidget &card)
{
    QStringList face;
    for (int i = 0; i < 25; ++i) {
        face << card.findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i))->text();
        if (!card.findChild<QWidget *>(QStringLiteral("shpMarker%1").arg(i))->isHidden())
            face << QStringLiteral("x");
    }
    return face;
}

void deliver(WindowFixture &fixture, const std::vector<Delivery> &deliveries)
{
    for (const Delivery &d : deliveries)
        fixture.link.Deliver(QString::fromUtf8(d.first), QString::fromUtf8(d.second));
}

const char *const NumberSeven = "** The Number (7) Has Been Called.";
const char *const NewGame = "** A New Game Has Been Started.";
const char *const AnnWins = "** Ann Has Won The Game! 2 Total Win(s)! **";
const char *const NextRound = "** Click 'New Game' To Begin The Next Round.";

class CommandEvaluation : public ::testing::TestWithParam<EvalCase> {};

TEST_P(CommandEvaluation, ShowsAndChangesWhatTheRecordSays)
{
    const EvalCase &c = GetParam();
    WindowFixture fixture(c.host ? HostLine : PlayerLine);
    ASSERT_FALSE(fixture.window->Startup());
    // Calling and BINGO! as they are in the middle of a game.
    if (c.host)
        fixture.window->HostTimer()->start(60000);
    fixture.window->EnableBingo();
    const qsizetype logBefore = ChatLines(*fixture.window).size();
    QTest::mouseClick(fixture.window->Card(1)->findChild<QLabel *>(QStringLiteral("lblMyNum0")), Qt::LeftButton);
    const std::array<QStringList, 2> facesBefore = {cardFace(*fixture.window->Card(0)), cardFace(*fixture.window->Card(1))};

    deliver(fixture, c.deliveries);

    QList<ChatLine> expectedLog;
    for (const Line &line : c.log)
        expectedLog.append({QString::fromUtf8(line.first), ChatLog::ColourOf(line.second)});
    EXPECT_EQ(ChatLines(*fixture.window).mid(logBefore), expectedLog);

    const NumberCaller &caller = fixture.window->Game().Caller();
    for (int n = 1; n <= 100; ++n) {
        const bool green = c.green.count(n) > 0;
        const QColor colour = fixture.Control<QLabel>(QStringLiteral("lblItm%1").arg(n))->palette().color(QPalette::WindowText);
        EXPECT_EQ(colour, green ? QColor(0, 255, 0) : QColor(255, 255, 255)) << "cell " << n;
        EXPECT_EQ(caller.Called(n), green) << "cell " << n;
    }
    EXPECT_EQ(fixture.Control<QLineEdit>(QStringLiteral("txtSec"))->text(), QString::fromUtf8(c.seconds));
    EXPECT_EQ(fixture.window->ClaimAllowed(), c.inProgress);
    EXPECT_EQ(fixture.window->HostTimer()->isActive(), c.host && !c.won);
    EXPECT_EQ(fixture.Control<QPushButton>(QStringLiteral("cmdBingo"))->isEnabled(), !c.won);
    EXPECT_EQ(caller.ForcedNumber(), c.forced);
    EXPECT_TRUE(fixture.SentMessages().isEmpty());

    // A new game deals both cards afresh without marks; a win stops their checks.
    const bool dealt = std::any_of(c.log.begin(), c.log.end(), [](const Line &l) { return QString::fromUtf8(l.first) == QString::fromUtf8(NewGame); });
    for (int i : {0, 1}) {
        const ctlCard *card = fixture.window->Card(i);
        const QStringList face = cardFace(*card);
        EXPECT_EQ(face != facesBefore[i], dealt) << "card " << i;
        EXPECT_EQ(face.contains(QStringLiteral("x")), i == 1 && !dealt) << "card " << i;
        EXPECT_EQ(card->findChild<QTimer *>(QStringLiteral("tmrWinner"))->isActive(), !c.won) << "card " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CommandEvaluation, ::testing::Values(
    EvalCase{"a call in the host's window", true, {{"Hal", "Comm;1|7"}}, {{NumberSeven, 4}}, {7}},
    EvalCase{"a call in a player's window", false, {{"Hal", "Comm;1|7"}}, {{NumberSeven, 4}}, {7}},
    EvalCase{"a call shows the number as sent", false, {{"Hal", "Comm;1|07"}},
             {{"** The Number (07) Has Been Called.", 4}}, {7}},
    EvalCase{"a new game in the host's window", true, {{"Hal", "Comm;1|7"}, {"Hal", "Comm;2|ResetMe|15"}},
             {{NumberSeven, 4}, {NewGame, 3}, {"** A number will be called every 15 seconds.", 4}}, {}, "15", true},
    EvalCase{"a new game in a player's window", false, {{"Hal", "Comm;1|7"}, {"Hal", "Comm;2|ResetMe|ab"}},
             {{NumberSeven, 4}, {NewGame, 3}}, {}, "ab", true},
    EvalCase{"a win in the host's window", true, {{"Hal", "Comm;2|ResetMe|10"}, {"Hal", "Comm;3|Ann|2"}},
             {{NewGame, 3}, {"** A number will be called every 10 seconds.", 4}, {AnnWins, 4}, {NextRound, 4}}, {}, "10",
             false, true},
    EvalCase{"a win in a player's window", false, {{"Hal", "Comm;2|ResetMe|10"}, {"Hal", "Comm;3|Ann|2"}},
             {{NewGame, 3}, {AnnWins, 4}}, {}, "10", false, true},
    EvalCase{"a call after the win", false, {{"Hal", "Comm;3|Ann|2"}, {"Hal", "Comm;1|7"}},
             {{AnnWins, 4}, {NumberSeven, 4}}, {7}, "10", false, true},
    EvalCase{"records the program never sends", true,
             {{"Hal", "Comm;5|7"}, {"Hal", "Comm;1|0"}, {"Hal", "Comm;1|101"}, {"Hal", "Comm;1|x"},
              {"Hal", "Comm;1|7.5"}, {"Hal", "Comm;1"}, {"Hal", "Comm;2|ResetMe"}, {"Hal", "Comm;3|Ann"},
              {"Hal", "Comm;x|7"}, {"Hal", "Comm;1.5|7"}, {"Hal", "Comm;4|Hal"}},
             {}, {}},
    EvalCase{"the host's records sent by a player, in the host's window", true,
             {{"Bob", "Comm;1|7"}, {"Bob", "Comm;2|ResetMe|15"}, {"Bob", "Comm;3|Bob|1"}}, {}, {}},
    EvalCase{"the host's records sent by a player, in a player's window", false,
             {{"Hal", "Comm;2|ResetMe|10"}, {"Bob", "Comm;1|7"}, {"Bob", "Comm;2|ResetMe|15"}, {"Bob", "Comm;3|Bob|1"}},
             {{NewGame, 3}}, {}, "10", true},
    EvalCase{"a call command from the host", false, {{"Hal", "Chat;/call 7"}}, {}, {}, "10", false, false, 7},
    EvalCase{"a call command from a player", true, {{"Bob", "Chat;/call 7"}}, {}, {}}),
    caseName);

struct ClaimCase
{
    const char *what;
    bool host;
    std::vector<const char *> earlierWinners; // each has one win counted already
    std::vector<Delivery> claims;
    std::vector<const char *> sent;
};

class ClaimJudgement : public ::testing::TestWithParam<ClaimCase> {};

TEST_P(ClaimJudgement, AnswersAnAcceptedClaimWithTheWinnersTotal)
{
    const ClaimCase &c = GetParam();
    WindowFixture fixture(c.host ? HostLine : PlayerLine);
    ASSERT_FALSE(fixture.window->Startup());
    for (const char *winner : c.earlierWinners)
        fixture.RecordWin(QString::fromUtf8(winner));
    // A round from the host with 12, 3, 77, 40, 9 and 5 called.
    deliver(fixture, {{"Hal", "Comm;2|ResetMe|10"}, {"Hal", "Comm;1|12"}, {"Hal", "Comm;1|3"}, {"Hal", "Comm;1|77"},
                      {"Hal", "Comm;1|40"}, {"Hal", "Comm;1|9"}, {"Hal", "Comm;1|5"}});
    const qsizetype sentBefore = fixture.SentMessages().size();
    const qsizetype logBefore = ChatLines(*fixture.window).size();

    deliver(fixture, c.claims);

    QStringList expected;
    for (const char *message : c.sent)
        expected << QString::fromUtf8(message);
    EXPECT_EQ(fixture.SentMessages().mid(sentBefore), expected);
    // Judging shows nothing: the win is shown when its record comes back.
    EXPECT_EQ(ChatLines(*fixture.window).size(), logBefore);
}

const char *const AnnsLine = "Comm;4|Ann|12@3@77@40@9";

INSTANTIATE_TEST_SUITE_P(Table, ClaimJudgement, ::testing::Values(
    ClaimCase{"Ann's first win", true, {}, {{"Ann", AnnsLine}}, {"Comm;3|Ann|1"}},
    ClaimCase{"Ann's second win", true, {"Ann"}, {{"Ann", AnnsLine}}, {"Comm;3|Ann|2"}},
    ClaimCase{"ann is another member", true, {"Ann"}, {{"ann", "Comm;4|ann|12@3@77@40@9"}}, {"Comm;3|ann|1"}},
    ClaimCase{"six called numbers", true, {}, {{"Ann", "Comm;4|Ann|12@3@77@40@9@5"}}, {"Comm;3|Ann|1"}},
    ClaimCase{"a number not called", true, {}, {{"Ann", "Comm;4|Ann|12@3@77@40@8"}}, {"Comm;6|Ann|uncalled|8"}},
    ClaimCase{"four numbers", true, {}, {{"Ann", "Comm;4|Ann|12@3@77@40"}}, {"Comm;6|Ann|uncalled|"}},
    ClaimCase{"a zero", true, {}, {{"Ann", "Comm;4|Ann|12@3@77@40@0"}}, {"Comm;6|Ann|uncalled|0"}},
    ClaimCase{"a number that is not whole", true, {}, {{"Ann", "Comm;4|Ann|12@3@77@40@9.2"}}, {"Comm;6|Ann|uncalled|9.2"}},
    ClaimCase{"one number five times", true, {}, {{"Ann", "Comm;4|Ann|5@5@5@5@5"}}, {"Comm;6|Ann|uncalled|"}},
    ClaimCase{"four different numbers", true, {}, {{"Ann", "Comm;4|Ann|12@12@3@77@40"}}, {"Comm;6|Ann|uncalled|"}},
    ClaimCase{"five different numbers among six", true, {}, {{"Ann", "Comm;4|Ann|12@3@77@40@9@12"}}, {"Comm;3|Ann|1"}},
    ClaimCase{"a claim in a player's window", false, {}, {{"Ann", AnnsLine}}, {}},
    ClaimCase{"a claim in another player's name", true, {}, {{"Bob", AnnsLine}}, {}},
    ClaimCase{"a second press of BINGO!", true, {}, {{"Ann", AnnsLine}, {"Ann", AnnsLine}}, {"Comm;3|Ann|1", "Comm;6|Ann|taken|"}},
    ClaimCase{"a rival's line after the accepted one", true, {},
              {{"Ann", AnnsLine}, {"Bob", "Comm;4|Bob|5@9@40@77@3"}}, {"Comm;3|Ann|1", "Comm;6|Bob|taken|"}}),
    caseName);

} // namespace
