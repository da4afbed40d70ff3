// SPDX-License-Identifier: GPL-3.0-or-later
// What one player's game says, sends and shows as deliveries arrive, players
// come and go, claims are judged and latecomers catch up. Hal hosts.

#include "game/bingogame.h"
#include "game/interval.h"
#include "game/members.h"
#include "support/fakegamelink.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// One game over a fake link, with everything it says written down in order
// as short texts: an announcement as it is, a log line of another kind as
// "<kind>:<line>", "call 7", "start 15", "over", "done", "down", "back" and
// "send <message>" (a command record without its "Comm;").
struct Game
{
    explicit Game(const char *me = "Hal", const QList<Member> &members = {})
    {
        for (const Member &member : members) table.Append(member);
        game.SetNames(QString::fromUtf8(me), QStringLiteral("Hal"));
        QObject::connect(&game, &BingoGame::Log, [this](LogKind kind, const QString &line) {
            events << (kind == LogKind::Announcement ? line : QString::number(int(kind)) + u':' + line);
        });
        QObject::connect(&game, &BingoGame::NumberCalled, [this](int n) { events << QStringLiteral("call %1").arg(n); });
        QObject::connect(&game, &BingoGame::GameStarted, [this](const QString &s) { events << "start " + s; });
        QObject::connect(&game, &BingoGame::RoundOver, [this] { events << QStringLiteral("over"); });
        QObject::connect(&game, &BingoGame::CallingDone, [this] { events << QStringLiteral("done"); });
        QObject::connect(&game, &BingoGame::LinkDown, [this] { events << QStringLiteral("down"); });
        QObject::connect(&game, &BingoGame::LinkBack, [this] { events << QStringLiteral("back"); });
        QObject::connect(&game, &BingoGame::PlayerAway,
                         [this](const QString &name, bool away) { events << (away ? u"list away "_s : u"list here "_s) + name; });
        link.onSend = [this](const QString &sent) { events << u"send "_s + (sent.startsWith(u"Comm;") ? sent.mid(5) : sent); };
    }
    // "+NAME" joins, "-NAME" leaves, "SENDER>DATA" is any delivery, "say ..."
    // is typed into the chat, "tick" is one of the host's calls, "interval
    // ..." is typed into the host's seconds box, "*" calls 1
    // to 100 without listing the calls, "?" lists the numbers called as
    // "kept 7", "lost", "rejoin", "back", "gone", "end", "ended", "away NAME"
    // and "home NAME" are the link's; anything
    // else is a command record from the host, or a claim from its claimant.
    void Run(const std::vector<const char *> &steps)
    {
        for (const QString step : steps) {
            if (step.startsWith(u'+') || step.startsWith(u'-'))
                link.Deliver(step.startsWith(u'+') ? u"[Enter]"_s : u"[Exit]"_s, step.mid(1));
            else if (step.contains(u'>'))
                link.Deliver(step.section(u'>', 0, 0), step.section(u'>', 1));
            else if (step.startsWith(u"say "))
                game.SendChatLine(step.mid(4));
            else if (step == u"tick")
                game.CallNext();
            else if (step.startsWith(u"interval "))
                game.IntervalEdited(step.mid(9));
            else if (step == u"lost")
                emit link.Reconnecting(QStringLiteral("gone"));
            else if (step == u"rejoin")
                emit link.Rejoining();
            else if (step == u"back")
                emit link.Reconnected();
            else if (step == u"gone")
                emit link.LinkLost(QStringLiteral("gone"));
            else if (step.startsWith(u"away ") || step.startsWith(u"home "))
                emit link.PresenceChanged(step.mid(5), step.startsWith(u"away "));
            else if (step == u"end")
                link.ended = true;
            else if (step == u"ended")
                emit link.Ended(QStringLiteral("Hal"));
            else if (step == u"*") { // the calls themselves are left out
                const qsizetype before = events.size();
                for (int n = 1; n <= 100; ++n) link.Deliver(u"Hal"_s, u"Comm;1|%1"_s.arg(n));
                events = events.mid(0, before) + events.mid(before).filter(u"** All"_s);
            } else if (step != u"?")
                link.Deliver(step.startsWith(u"4|") ? step.section(u'|', 1, 1) : u"Hal"_s, u"Comm;"_s + step);
            for (int n = 1; step == u"?" && n <= 100; ++n)
                if (game.Caller().Called(n)) events << QStringLiteral("kept %1").arg(n);
        }
    }

    FakeGameLink link;
    MemberTable table;
    RandomGenerator random{3, [] { return quint64(1000); }};
    BingoGame game{link, table, random};
    QStringList events;
};

struct Case
{
    const char *me;
    std::vector<const char *> steps;
    QStringList events;
    bool inProgress = false;
};

void expectEvents(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        Game g(c.me);
        g.Run(c.steps);
        EXPECT_EQ(g.events, c.events) << "case " << &c - cases.data();
        EXPECT_EQ(g.game.InProgress(), c.inProgress) << "case " << &c - cases.data();
    }
}

const char *const NewGame = "3:** A New Game Has Been Started.";
const char *const Seven = "** The Number (7) Has Been Called.";
const char *const AnnWins = "** Ann Has Won The Game! 2 Total Win(s)! **";
const char *const NextRound = "** Click 'New Game' To Begin The Next Round.";

TEST(BingoGame, AcceptsOneClaimPerRoundWhenItsLineWasCalledAndSendsTheWinnersTotal)
{
    const char *annsLine = "4|Ann|12@3@77@40@9";
    // clang-format off
    const struct { const char *what, *me; QList<Member> members; std::vector<const char *> claims; QStringList events; } cases[] = {
        {"Ann's first win", "Hal", {}, {annsLine}, {"send 3|Ann|1"}}, {"in a player's game", "Zed", {}, {annsLine}, {}},
        {"Ann's second win", "Hal", {{"Ann", 1}}, {annsLine}, {"send 3|Ann|2"}},
        {"a total at its top stays there", "Hal", {{"Ann", 32767}}, {annsLine}, {"send 3|Ann|32767"}},
        {"five different numbers among six", "Hal", {}, {"4|Ann|12@3@77@40@9@12"}, {"send 3|Ann|1"}},
        {"numbers not called", "Hal", {}, {"4|Ann|12@3@17@42@9"}, {"send 6|Ann|uncalled|17@42"}},
        {"four numbers", "Hal", {}, {"4|Ann|12@3@77@40"}, {"send 6|Ann|uncalled|"}},
        {"a number that is not whole", "Hal", {}, {"4|Ann|12@3@77@40@9.2"}, {"send 6|Ann|uncalled|9.2"}},
        {"a second press of BINGO!", "Hal", {}, {annsLine, annsLine}, {"send 3|Ann|1", "send 6|Ann|taken|"}},
        {"a rival's line after the accepted one", "Hal", {}, {annsLine, "4|Bob|5@9@40@77@3"}, {"send 3|Ann|1", "send 6|Bob|taken|"}},
        {"a claim in another's name", "Hal", {}, {"Bob>Comm;4|Ann|12@3@77@40@9"}, {}},
        {"a claim between rounds", "Hal", {}, {"3|Bob|1", annsLine}, {"over", "send 6|Ann|over|"}}};
    // clang-format on
    for (const auto &c : cases) {
        Game g(c.me, c.members);
        g.Run({"2|ResetMe|10", "1|12", "1|3", "1|77", "1|40", "1|9", "1|5"});
        g.events.clear();
        g.Run(c.claims);
        // Judging shows nothing: the answer is shown when its record comes back.
        g.events.removeIf([](const QString &e) { return e.startsWith(u"**"); });
        EXPECT_EQ(g.events, c.events) << c.what;
    }
}

TEST(BingoGame, CallsEachNumberOnceAndStopsCallingAfterTheHundredth)
{
    Game g;
    g.Run({"Hal>Chat;/call 7", "Bob>Chat;/call 8"});
    for (int tick = 1; tick <= 101; ++tick) g.Run({"tick"});
    // 100 calls, the host's forced one first, then "done"; a tick already on
    // its way after that sends nothing.
    ASSERT_EQ(g.events.size(), 102);
    EXPECT_EQ(g.events.first(), "send 1|7");
    EXPECT_EQ(QSet<QString>(g.events.begin(), g.events.begin() + 100).size(), 100);
    EXPECT_EQ(g.events.mid(100), QStringList({"done", "done"}));
}

TEST(BingoGame, CarriesOutTheHostsRecordsAndNothingElse)
{
    // clang-format off
    expectEvents({
        {"Ann", {"1|07", "?"}, {"** The Number (07) Has Been Called.", "call 7", "kept 7"}},
        {"Hal", {"1|7", "2|ResetMe|15", "?"}, {Seven, "call 7", "start 15", NewGame, "** A number will be called every 15 seconds."}, true},
        {"Ann", {"2|ResetMe|ab"}, {"start ab", NewGame}, true},
        {"Hal", {"2|ResetMe|10", "3|Ann|2"}, {"start 10", NewGame, "** A number will be called every 10 seconds.", AnnWins, NextRound, "over"}},
        {"Ann", {"2|ResetMe|10", "3|Ann|2", "1|7", "?"}, {"start 10", NewGame, AnnWins, "over", Seven, "call 7", "kept 7"}},
        {"Ann", {"2|ResetMe|10", "*", "1|5"}, {"start 10", NewGame, "** All 100 numbers have been called and nobody has won yet.",
                                               "** The Number (5) Has Been Called.", "call 5"}, true},
        // Records the program never sends, and records from a player who may not send them.
        {"Hal", {"5|7", "1|0", "1|101", "1|x", "1|7.5", "1", "2|ResetMe", "3|Ann", "x|7", "1.5|7", "7|7", "4|Hal", "", "?"}, {}},
        {"Ann", {"Bob>Comm;1|8", "Bob>Comm;2|ResetMe|15", "Bob>Comm;3|Bob|1", "Bob>Comm;5|Ann|15|7", "Bob>Comm;6|Ann|over|", "?"}, {}},
        {"Ann", {"7|Bob", "Bob>Comm;7|Ann", "7", "7|Ann"}, {"** Hal is back: the round goes on."}},
    });
    // clang-format on
}

TEST(BingoGame, ShowsChatLinesAndEmotesAndSendsTypedLinesUnlessTheLinkEnded)
{
    // clang-format off
    expectEvents({
        {"Ann", {"Bob>Chat;<b>hi</b>", "Bob>Chat;\\waves", "Bob>Chat;/call 7", "Bob>Hello"}, {"3:Bob:           <b>hi</b>", "5:*Bob waves"}},
        {"Ann", {"say a;b;c", "say ", "end", "say lost"}, {"send Chat;abc", "send Chat;", "2:** Not sent: this window is no longer linked to the game."}},
        {"Hal", {"say /call 7", "say /dance", "say /call x"},
         {"send Chat;/call 7", "** /dance was not run: the one command is /call followed by a number.",
          "** /call x was not run: the one command is /call followed by a number."}},
        {"Ann", {"say /call 7"}, {"** /call 7 was not run: only the host, Hal, can give commands."}},
    });
    // clang-format on
}

TEST(BingoGame, ListsPlayersAndSaysWhenTheHostIsMissingOrLeavesDuringARound)
{
    const char *const halHere = "1:Hal has joined the game.", *const annHere = "1:Ann has joined the game.";
    // clang-format off
    expectEvents({
        {"Ann", {"+Bob", "+hal", "+Ann", "+Hal"},
         {"1:Bob has joined the game.", "1:hal has joined the game.", annHere,
          "** Hal, who hosts this game, is not here: no numbers will be called until Hal joins. hal is here: did you mean hal?", halHere}},
        {"Ann", {"+Ann"}, {annHere, "** Hal, who hosts this game, is not here: no numbers will be called until Hal joins."}},
        {"Ann", {"+Hal", "+Ann", "-Hal", "+Ann"}, {halHere, annHere, "2:Hal has left the game.", annHere}},
        {"Ann", {"+Hal", "+Ann", "2|ResetMe|10", "-Bob", "-Hal", "-Hal"},
         {halHere, annHere, "start 10", NewGame, "2:Hal has left the game.", "** The round is over: Hal, who hosts this game, has left.", "over"}},
        {"Ann", {"+Hal", "+Ann", "2|ResetMe|10", "ended"},
         {halHere, annHere, "start 10", NewGame, "over", "2:** Hal ended the game: you may close the window.", "down"}, false},
    });
    // clang-format on
}

TEST(BingoGame, ListsAfterAFreshJoinOnlyWhoCameAndWhoLeftMeanwhile)
{
    // clang-format off
    expectEvents({
        {"Ann", {"+Hal", "+Ann", "+Bob", "lost", "rejoin", "+Hal", "+Cy", "+Ann", "back", "lost", "back"},
         {"1:Hal has joined the game.", "1:Ann has joined the game.", "1:Bob has joined the game.",
          "2:** The link to the game was lost (gone); reconnecting\u2026", "down", "1:Cy has joined the game.",
          "2:Bob has left the game.", "back", "2:** Back in the game.",
          "2:** The link to the game was lost (gone); reconnecting\u2026", "down", "back", "2:** Back in the game."}},
    });
    // clang-format on
}

TEST(BingoGame, IsolatesARightToLeftNameInEveryLineItShowsInButNotInWhatItSends)
{
    for (const QString &name : {u"سارة"_s, u"שרון"_s}) {
        const QString n = u'\u2068' + name + u'\u2069';
        Game g("Hal");
        for (const char *step : {"+N", "N>Chat;hi", "N>Chat;\\waves", "away N", "2|ResetMe|10", "+N", "3|N|2", "-N"})
            g.Run({QString::fromUtf8(step).replace(u'N', name).toUtf8().constData()});
        EXPECT_EQ(g.events, QStringList({u"1:"_s + n + u" has joined the game."_s, u"3:"_s + n + u":          hi"_s, u"5:*"_s + n + u" waves"_s,
            u"list away "_s + name, u"2:"_s + n + u" is away: reconnecting"_s, u"start 10"_s, NewGame, u"** A number will be called every 10 seconds."_s,
            u"1:"_s + n + u" has joined the game."_s, u"send 5|"_s + name + u"|10|"_s, u"** "_s + n + u" Has Won The Game! 2 Total Win(s)! **"_s,
            NextRound, u"over"_s, u"2:"_s + n + u" has left the game."_s}));
        EXPECT_EQ(g.game.View().winner, n + u" wins, with 2 wins"_s);
    }
}

TEST(BingoGame, SaysOnceARoundThatAnIntervalTypedDuringItAppliesFromTheNextGame)
{
    const char *const note = "** The new interval applies from the next game: this round keeps the pace it began with.";
    const char *const every10 = "** A number will be called every 10 seconds.";
    // clang-format off
    expectEvents({
        {"Hal", {"interval 5", "2|ResetMe|10", "interval 10", "interval 1", "interval 15", "3|Ann|1", "interval 2"},
         {"start 10", NewGame, every10, note, "** Ann Has Won The Game! 1 Total Win(s)! **", NextRound, "over"}},
        {"Hal", {"2|ResetMe|10", "interval 1", "2|ResetMe|10", "interval 1"}, {"start 10", NewGame, every10, note, "start 10", NewGame, every10, note}, true},
    });
    // clang-format on
}

TEST(BingoGame, SaysOnceWhoIsAwayAndBackAndThatCallingWaitsForAnAwayHost)
{
    const char *const bobAway = "2:Bob is away: reconnecting";
    // clang-format off
    expectEvents({
        {"Hal", {"+Hal", "+Bob", "away Bob", "away Bob", "away Zed", "away Hal", "home Bob", "home Bob"},
         {"1:Hal has joined the game.", "1:Bob has joined the game.", "list away Bob", bobAway, "list here Bob", "1:Bob is back"}},
        {"Ann", {"+Hal", "+Ann", "2|ResetMe|10", "away Hal", "-Hal"},
         {"1:Hal has joined the game.", "1:Ann has joined the game.", "start 10", NewGame, "list away Hal", "2:Hal is away: reconnecting",
          "** Calling is paused until Hal is back.", "2:Hal has left the game.", "** The round is over: Hal, who hosts this game, has left.", "over"}},
        // Back from its own break, the game hears again who is away: news only about whoever was not before.
        {"Hal", {"+Hal", "+Bob", "away Bob", "lost", "back", "away Bob", "Bob>Chat;x", "home Bob", "away Bob"},
         {"1:Hal has joined the game.", "1:Bob has joined the game.", "list away Bob", bobAway,
          "2:** The link to the game was lost (gone); reconnecting\u2026", "down", "list here Bob", "back", "2:** Back in the game.",
          "list away Bob", "3:Bob:           x", "list here Bob", "1:Bob is back", "list away Bob", bobAway}},
    });
    // clang-format on
}

TEST(BingoGame, HoldsEachSentChatLineAndClaimAsPendingUntilItComesBackAndSaysWhichWereNeverSent)
{
    Game g("Ann");
    QList<QStringList> pending;
    QObject::connect(&g.game, &BingoGame::PendingChanged, [&](const QStringList &lines) { pending << lines; });
    const QString hi = u"Ann:           hi"_s, claim = u"BINGO! (your claim)"_s;
    g.Run({"+Hal", "+Ann", "say hi", "say \\waves"});
    g.game.Claim({}, {1, 2, 3, 4, 5});
    g.Run({"Bob>Chat;hi", "Ann>Chat;hi", "Ann>Comm;4|Ann|1@2@3@4@5", "say again", "gone"});
    EXPECT_EQ(pending,
              QList<QStringList>({{hi}, {hi, u"*Ann waves"_s}, {hi, u"*Ann waves"_s, claim}, {u"*Ann waves"_s, claim}, {}, {u"Ann:           again"_s}, {}}));
    EXPECT_EQ(g.events.filter(u"Not sent"_s), QStringList{u"2:** Not sent: Ann:           again"_s});
}

TEST(BingoGame, CatchesUpALatecomerOnTheCallsOfTheRoundInProgress)
{
    // clang-format off
    expectEvents({
        {"Ann", {"5|Bob|15|1", "5|Ann|15|7@3@x@101@9", "5|Ann|15|7@4@9@3"},
         {"start 15", "call 7", "call 3", "call 9", "** You joined a round in progress: 3 number(s) had been called before you came.", "call 4"}, true},
        {"Ann", {"2|ResetMe|10", "1|7", "5|Ann|15|7@3"}, {"start 10", NewGame, Seven, "call 7", "call 3"}, true},
        // Still in an earlier round: it joins this one.
        {"Ann", {"2|ResetMe|10", "1|5", "5|Ann|15|7@3"}, {"start 10", NewGame, "** The Number (5) Has Been Called.", "call 5", "start 15",
         "call 7", "call 3", "** You joined a round in progress: 2 number(s) had been called before you came."}, true},
        {"Hal", {"+Hal", "2|ResetMe|15", "1|7", "1|3", "+Bob", "3|Ann|1", "+Ben"},
         {"1:Hal has joined the game.", "start 15", NewGame, "** A number will be called every 15 seconds.", Seven, "call 7",
          "** The Number (3) Has Been Called.", "call 3", "1:Bob has joined the game.", "send 5|Bob|15|7@3",
          "** Ann Has Won The Game! 1 Total Win(s)! **", NextRound, "over", "1:Ben has joined the game."}},
    });
    // clang-format on
}

TEST(BingoGame, SaysWhyTheClaimOfItsOwnPlayerDidNotWin)
{
    // clang-format off
    expectEvents({
        {"Ann", {"6|Ann|uncalled|17@42", "6|Ann|uncalled|17", "6|Ann|over|", "6|Ann|taken|", "6|Ann|uncalled|", "6|Bob|over|", "6|Ann|over"},
         {"** Your claim did not win: 17 and 42 have not been called.", "** Your claim did not win: 17 has not been called.",
          "** Your claim did not win: the round is over.", "** Your claim did not win: this round has already been won.",
          "** Your claim did not win: its line does not hold five called numbers."}},
    });
    // clang-format on
}

TEST(BingoGame, SaysLiveCallsAndWinsShowsTheCallersDisplayAndAsksForMarksWhileAutoMarking)
{
    // "auto" switches auto-marking on; the display is "last | before | count | winner".
    // clang-format off
    const struct { const char *me; std::vector<const char *> steps; QStringList said, marks; const char *view; } cases[] = {
        {"Ann", {"2|ResetMe|10", "1|1", "1|13", "1|20", "1|42", "1|99", "1|100", "1|7"},
         {"One", "Thirteen", "Twenty", "Forty-two", "Ninety-nine", "One hundred", "Seven"}, {},
         "7 | 100  99  42  20  13 | 7 numbers called | "},
        {"Ann", {"2|ResetMe|10", "1|5", "3|Ann|3", "1|6"}, {"Five", "Ann wins, with 3 wins", "Six"}, {},
         "6 | 5 | 2 numbers called | Ann wins, with 3 wins"},
        {"Ann", {"2|ResetMe|10", "1|5", "3|Bob|1", "2|ResetMe|10"}, {"Five", "Bob wins, with 1 win"}, {},
         " |  | No number called yet | "},
        // A latecomer's display and marks follow the catch-up, which is not said.
        {"Ann", {"auto", "5|Ann|15|7@3@9", "1|4"}, {"Four"}, {"7", "3", "9", "4"}, "4 | 9  3  7 | 4 numbers called | "},
        {"Hal", {"2|ResetMe|10", "1|8", "auto", "1|2", "auto"}, {"Eight", "Two"}, {"8", "2"}, "2 | 8 | 2 numbers called | "}};
    // clang-format on
    for (const auto &c : cases) {
        Game g(c.me);
        QStringList said, marks;
        QObject::connect(&g.game, &BingoGame::Speak, [&](const QString &words) { said << words; });
        QObject::connect(&g.game, &BingoGame::MarkOnCards, [&](int n) { marks << QString::number(n); });
        for (const char *step : c.steps) {
            if (qstrcmp(step, "auto") == 0)
                g.game.SetAutoMark(true);
            else
                g.Run({step});
        }
        const CallerText::View view = g.game.View();
        EXPECT_EQ(said, c.said) << "case " << &c - cases;
        EXPECT_EQ(marks, c.marks) << "case " << &c - cases;
        EXPECT_EQ(QStringList({view.last, view.before, view.count, view.winner}).join(QStringLiteral(" | ")), c.view) << "case " << &c - cases;
    }
}

TEST(BingoGame, ClaimsWithACalledLineTheLastReportedOneFirst)
{
    // The complete lines of the cards, the line reported last, and the claim sent.
    // clang-format off
    const struct { QList<QList<int>> complete; QList<int> last; const char *claim; } cases[] = {
        {{{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, {6, 7, 8, 9, 10}, "send 4|Hal|6@7@8@9@10"},
        {{{1, 2, 3, 4, 5}, {6, 7, 8, 9, 11}}, {6, 7, 8, 9, 11}, "send 4|Hal|1@2@3@4@5"},
        {{{6, 7, 8, 9, 11}, {1, 2, 3, 4, 5}}, {1, 2, 3, 9, 10}, "send 4|Hal|1@2@3@4@5"},
        {{{6, 7, 8, 9, 11}}, {6, 7, 8, 9, 11}, "send 4|Hal|6@7@8@9@11"},
    };
    // clang-format on
    for (const auto &c : cases) {
        Game g;
        g.Run({"2|ResetMe|10", "1|1", "1|2", "1|3", "1|4", "1|5", "1|6", "1|7", "1|8", "1|9", "1|10"});
        g.events.clear();
        g.game.Claim(c.complete, c.last);
        EXPECT_EQ(g.events, QStringList(c.claim)) << c.claim;
    }
}

TEST(BingoGame, TheHostsWindowStartedAgainTakesUpItsKeptRoundWithoutANewDealAndSaysItIsBack)
{
    QTemporaryDir dir;
    const RoundStore store(dir.path(), u"key"_s);
    Game first, again; // the first dies after two calls and a forced third, its round kept
    first.game.KeepRoundIn(&store);
    first.Run({"+Bob", "+Hal", "+Cy", "2|ResetMe|1", "tick", "tick", "Hal>Chat;/call 42", "-Cy"});
    const QList<int> called = first.game.Caller().Order();
    again.game.KeepRoundIn(&store);
    ASSERT_TRUE(again.game.ResumeRound());
    EXPECT_TRUE(again.game.Caller().Order() == called && again.game.InProgress());
    // Bob, listed before Hal's own arrival, is caught up, then told the round goes on; Cy, who had left, is not.
    again.Run({"+Bob", "+Hal", "+Cy", "tick"});
    const QString calls = u"%1@%2"_s.arg(called[0]).arg(called[1]);
    EXPECT_EQ(again.events,
              QStringList({"1:Bob has joined the game.", "send 5|Bob|1|" + calls, "1:Hal has joined the game.", "** Hal is back: the round goes on.",
                           "send 7|Bob", "1:Cy has joined the game.", "send 5|Cy|1|" + calls, "send 1|42"}));
}

TEST(RoundStore, KeepsARoundWholeAndPrivateAndRefusesAFileThatIsNotOne)
{
    QTemporaryDir dir;
    const RoundStore store(dir.path() + u"/state"_s, u"key/../x"_s);
    const RoundState round{u"7"_s, {5, 99, 1}, true, true, u"Bob"_s, u"3"_s, 42, {u"Bob"_s, u"Hal"_s}, {QList<int>(25, 9), QList<int>(25, 0)}};
    ASSERT_EQ(store.Save(round), QString());
    EXPECT_EQ(store.Load().state, round);
    const QFileInfoList files = QDir(dir.path() + u"/state"_s).entryInfoList(QDir::Files);
    ASSERT_TRUE(files.size() == 1 && (files[0].permissions() & 0x0077) == 0) << "one file, readable by its user only";
    // Not JSON, not an object, a number called twice, one off the board, a card short of a number, a forced
    // number beyond 16 bits.
    for (const char *text : {"{\"called\": [1, 2", "[1]", "{\"called\": [4, 4]}", "{\"called\": [101]}", "{\"called\": [], \"cards\": [[1, 2]]}",
                             "{\"called\": [], \"forced\": 40000}"}) {
        QFile file(files[0].filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) > 0);
        file.close();
        EXPECT_TRUE(!store.Load().state && !store.Load().problem.isEmpty()) << text;
    }
}

TEST(CallingInterval, ComesFromUpToTwoCharactersOfWholeSecondsAndIsDescribedToTheHost)
{
    // clang-format off
    const struct { const char *text; int milliseconds; const char *described; } cases[] = {
        {"10", 10000, "every 10 seconds."}, {"99", 99000, "every 99 seconds."}, {".6", 1000, "every second."},
        {"7.", 7000, "every 7 seconds."}, {"0", 0, "No numbers will"}, {".5", 0, "No numbers will"},
        {"-5", 10000, "\"-5\" is not"}, {"100", 10000, "\"100\" is not"}, {"1.5", 10000, "every 10 seconds: \"1.5\" is not"},
        {"", 10000, "is not"}, {"ab", 10000, "\"ab\" is not"}, {" ", 10000, "is not"}};
    // clang-format on
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(Interval::Milliseconds(text), c.milliseconds) << '"' << c.text << '"';
        EXPECT_TRUE(Interval::Describe(text).contains(QString::fromUtf8(c.described))) << '"' << c.text << '"';
    }
}

} // namespace
