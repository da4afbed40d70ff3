// SPDX-License-Identifier: GPL-3.0-or-later
// What one player's game says, sends and shows as deliveries arrive, players
// come and go, claims are judged and latecomers catch up. Hal hosts.

#include "card/seededdeal.h"
#include "game/announcer.h"
#include "game/bingogame.h"
#include "game/interval.h"
#include "game/members.h"
#include "game/plan.h"
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
        QObject::connect(&game, &BingoGame::RemoveAsked, [this](const QString &name) { events << u"ask to remove "_s + name; });
        QObject::connect(&game, &BingoGame::PlayerAway,
                         [this](const QString &name, bool away) { events << (away ? u"list away "_s : u"list here "_s) + name; });
        // A player's word that it deals from the seed follows each own join; its test looks for it.
        link.onSend = [this](const QString &sent) {
            if (showDeals || !sent.startsWith(u"Comm;9|")) events << u"send "_s + (sent.startsWith(u"Comm;") ? sent.mid(5) : sent);
        };
    }
    // "+NAME" joins, "-NAME" leaves, "SENDER>DATA" is any delivery, "say ..."
    // is typed into the chat, "tick" is one of the host's calls, "interval
    // ..." is typed into the host's seconds box, "*" calls 1
    // to 100 without listing the calls, "?" lists the numbers called as
    // "kept 7", "lost", "rejoin", "back", "gone", "end", "ended", "away NAME",
    // "home NAME" and "room [VERB [NAME]]" are the link's; anything
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
            else if (step.startsWith(u"room")) // the hub's word on the room: "room" alone starts its account
                link.runsRoom = true, emit link.RoomChanged(step.section(u' ', 1, 1), step.section(u' ', 2));
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
    bool showDeals = false;
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
const QString Commands = u"the commands are /call N, /repeat, /pause, /resume, /lock, /unlock, /mute NAME, /unmute NAME and /remove NAME."_s;

TEST(BingoGame, AcceptsOneClaimPerRoundWhenItsLineWasCalledAndSendsTheWinnersTotal)
{
    const char *annsLine = "4|Ann|12@3@77@40@9";
    // clang-format off
    const struct { const char *what, *me; QList<Member> members; std::vector<const char *> claims; QStringList events; } cases[] = {
        {"Ann's first win", "Hal", {}, {annsLine}, {"send 3|Ann|1|1|unchecked"}}, {"in a player's game", "Zed", {}, {annsLine}, {}},
        {"Ann's second win", "Hal", {{"Ann", 1}}, {annsLine}, {"send 3|Ann|2|1|unchecked"}},
        {"a total at its top stays there", "Hal", {{"Ann", 32767}}, {annsLine}, {"send 3|Ann|32767|1|unchecked"}},
        {"five different numbers among six", "Hal", {}, {"4|Ann|12@3@77@40@9@12"}, {"send 3|Ann|1|1|unchecked"}},
        {"numbers not called", "Hal", {}, {"4|Ann|12@3@17@42@9"}, {"send 6|Ann|uncalled|17@42"}},
        {"four numbers", "Hal", {}, {"4|Ann|12@3@77@40"}, {"send 6|Ann|pattern|"}},
        {"a number that is not whole", "Hal", {}, {"4|Ann|12@3@77@40@9.2"}, {"send 6|Ann|uncalled|9.2"}},
        {"a second press of BINGO!", "Hal", {}, {annsLine, annsLine}, {"send 3|Ann|1|1|unchecked", "send 6|Ann|taken|"}},
        {"a rival's line before the next call ties", "Hal", {}, {annsLine, "4|Bob|5@9@40@77@3"}, {"send 3|Ann|1|1|unchecked", "send 3|Bob|1|1|unchecked"}},
        {"a rival's line after the next call", "Hal", {}, {annsLine, "1|50", "4|Bob|5@9@40@77@3"}, {"send 3|Ann|1|1|unchecked", "call 50", "send 6|Bob|taken|"}},
        {"a stage the plan has not got", "Hal", {}, {"4|Ann|12@3@77@40@9|2"}, {"send 6|Ann|stage|"}},
        {"a claim in another's name", "Hal", {}, {"Bob>Comm;4|Ann|12@3@77@40@9"}, {}},
        {"a claim between rounds", "Hal", {}, {"3|Bob|1", annsLine}, {"over", "send 6|Ann|over|"}}};
    // clang-format on
    for (const auto &c : cases) {
        Game g(c.me, c.members);
        // A round without a seed checks no card, whatever the host's option: the calls alone decide.
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
         {"send Chat;/call 7", "** /dance was not run: " + Commands, "** /call x was not run: " + Commands}},
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

TEST(BingoGame, TheHostRunsTheRoomThroughTheHubAndEveryWindowSaysOnceWhatChanged)
{
    // clang-format off
    expectEvents({
        // Names as the list has them; the host's word takes effect when the hub says so.
        {"Hal", {"+Hal", "+Ann", "room", "say /lock", "room lock", "say /mute ANN", "room mute Ann", "say /remove Ann", "say /remove Zed",
                 "say /pause", "room pause", "say /resume", "room unpause", "say /unmute Bob", "say /mute"},
         {"1:Hal has joined the game.", "1:Ann has joined the game.", "send room lock", "Hal locked the game: nobody new may join",
          "send room mute Ann", "Hal muted Ann's chat", "ask to remove Ann", "** /remove Zed was not run: Zed is not a player here you could do that to.",
          "send room pause", "Hal paused the calling", "send room unpause", "Hal resumed the calling",
          "** /unmute Bob was not run: Bob is not a player here you could do that to.", "** /mute was not run: " + Commands}},
        // A player's window asks nothing; an account after a break says only what is new.
        {"Ann", {"+Hal", "+Ann", "room", "room muted Ann", "room locked", "say /lock", "lost", "back", "room", "room locked", "room paused",
                 "room remove Ann"},
         {"1:Hal has joined the game.", "1:Ann has joined the game.", "Hal muted your chat: the others do not see what you write",
          "The game is locked: nobody new may join", "** /lock was not run: only the host, Hal, can give commands.",
          "2:** The link to the game was lost (gone); reconnecting\u2026", "down", "back", "2:** Back in the game.", "Calling is paused",
          "over", "2:** Hal removed you from the game: you may close the window.", "down"}},
        // A hub of an earlier release: the host's own calling still pauses; "/repeat" runs in every window once a number is called.
        {"Hal", {"+Hal", "say /lock", "say /pause", "say /pause", "say /repeat", "1|7", "say /repeat", "Hal>Chat;/repeat", "Ann>Chat;/repeat"},
         {"1:Hal has joined the game.", "** Not done: this game's hub cannot do that (it is of an earlier release, or the link is away).",
          "** Calling is paused.", "** /repeat was not run: no number has been called yet.", Seven, "call 7", "send Chat;/repeat",
          "** Once more: the number (7)."}},
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
    g.Run({"Bob>Chat;hi", "Ann>Chat;hi", "Ann>Comm;4|Ann|1@2@3@4@5|1", "say again", "gone"});
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

TEST(BingoGame, JudgesEachClaimAgainstTheStageItNamesAndLetsClaimsForTheStageJustWonTieUntilTheNextCall)
{
    Game g;
    g.game.SetPlan(*Plan::FromText(u"line@corners@full"_s));
    g.Run({"+Hal", "2|ResetMe|10", "1|12", "1|3", "1|77", "1|40", "1|9", "1|5"});
    g.Run({"4|Ann|12@3@77@40@9|1", "4|Bob|5@9@40@77@3|1", "4|Bob|5@9@40@77@3|1", "4|Cy|12@3@77@40|3", "1|50", "4|Cy|5@9@40@77@3|1",
           "4|Cy|12@3@77@40@9|2", "4|Cy|12@3@77@40|2", "4|Cy|12@3@77@40@9@5@50|3", "4|Dee|40@77@3@12|2", "1|60", "4|Eve|40@77@3@12|2",
           "4|Old|12@3@77@40@9", "4|Old|12@3@77@40@9", "4|Eve|12@3@77@40@9|x"});
    EXPECT_EQ(g.events.filter(u"send"_s),
              QStringList({"send 10|1|line@corners@full", "send 3|Ann|1|1|unchecked", "send 3|Bob|1|1|unchecked", "send 6|Bob|taken|", "send 6|Cy|stage|",
                           "send 6|Cy|taken|", "send 6|Cy|pattern|", "send 3|Cy|1|2|unchecked", "send 6|Cy|pattern|", "send 3|Dee|1|2|unchecked",
                           "send 6|Eve|taken|", "send 6|Old|taken|", "send 6|Old|taken|", "send 6|Eve|stage|"}));
    EXPECT_EQ(g.events.filter(u"earlier release"_s).size(), 1) << "said once, at the first claim naming no stage";
}

TEST(BingoGame, PlaysTheAnnouncedPlanStageByStageAndSaysWhoWonOrSharedEach)
{
    const char *const firstWon = "** Ann Has Won the first stage (Any line)! 1 Total Win(s)! **";
    // clang-format off
    expectEvents({
        {"Zed", {"2|ResetMe|10", "10|1|line@bogus", "10|4|line@corners@full", "10|1|line@corners@full", "10|1|line@corners@full", "3|Ann|1|1",
                 "3|Bob|2|1", "3|Bob|2|1", "3|Cy|1|2", "3|Dee|1|3", "3|Eve|1|3"},
         {"start 10", NewGame, "** Now playing stage 1 of 3, Any line.", firstWon, "** Now playing stage 2 of 3, Four corners.",
          "** Ann and Bob share the first stage! Bob: 2 Total Win(s)! **", "** Cy Has Won the second stage (Four corners)! 1 Total Win(s)! **",
          "** Now playing stage 3 of 3, The full card.", "** Dee Has Won the third stage (The full card)! 1 Total Win(s)! **", "over",
          "** Dee and Eve share the third stage! Eve: 1 Total Win(s)! **"}},
        // A host of an earlier release names no stage: its win ends the round.
        {"Zed", {"2|ResetMe|10", "10|1|line@corners", "3|Ann|1"}, {"start 10", NewGame, "** Now playing stage 1 of 2, Any line.",
                                                                  "** Ann Has Won The Game! 1 Total Win(s)! **", "over"}},
        {"Zed", {"2|ResetMe|10", "10|1|line@corners", "3|Ann|1|1", "2|ResetMe|10", "3|Bob|1|1"}, {"start 10", NewGame,
         "** Now playing stage 1 of 2, Any line.", "** Ann Has Won the first stage (Any line)! 1 Total Win(s)! **",
         "** Now playing stage 2 of 2, Four corners.", "start 10", NewGame, "** Bob Has Won The Game! 1 Total Win(s)! **", "over"}},
    });
    // clang-format on
    Game g("Zed");
    std::vector<std::size_t> shapes;
    QObject::connect(&g.game, &BingoGame::StageChanged, [&] { shapes.push_back(g.game.StageShapes().size()); });
    g.Run({"2|ResetMe|10", "10|1|2lines@x", "3|Ann|1|1", "3|Bob|1|1"});
    EXPECT_EQ(shapes, (std::vector<std::size_t>{12, 66, 1})) << "the cards look for the stage played";
    EXPECT_EQ(g.game.View().winner, u"Ann and Bob share the first stage"_s);
}

TEST(BingoGame, ClaimsWithACalledLineTheLastReportedOneFirst)
{
    // The complete lines of the cards, the line reported last, and the claim sent.
    // clang-format off
    const struct { QList<QList<int>> complete; QList<int> last; const char *claim; } cases[] = {
        {{{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, {6, 7, 8, 9, 10}, "send 4|Hal|6@7@8@9@10|1"},
        {{{1, 2, 3, 4, 5}, {6, 7, 8, 9, 11}}, {6, 7, 8, 9, 11}, "send 4|Hal|1@2@3@4@5|1"},
        {{{6, 7, 8, 9, 11}, {1, 2, 3, 4, 5}}, {1, 2, 3, 9, 10}, "send 4|Hal|1@2@3@4@5|1"},
        {{{6, 7, 8, 9, 11}}, {6, 7, 8, 9, 11}, "send 4|Hal|6@7@8@9@11|1"},
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
    first.Run({"+Bob", "+Hal", "+Cy", "8|5eed", "2|ResetMe|1", "tick", "tick", "Hal>Chat;/call 42", "-Cy"});
    const QList<int> called = first.game.Caller().Order();
    again.game.KeepRoundIn(&store);
    ASSERT_TRUE(again.game.ResumeRound());
    EXPECT_TRUE(again.game.Caller().Order() == called && again.game.InProgress());
    // Bob, listed before Hal's own arrival, is caught up with his seed, then told the round goes on; Cy, who had
    // left, is not, and is dealt anew.
    again.Run({"+Bob", "+Hal", "+Cy", "tick"});
    const QString calls = u"%1@%2"_s.arg(called[0]).arg(called[1]);
    EXPECT_EQ(again.events,
              QStringList({"1:Bob has joined the game.", "send 5|Bob|1|" + calls + "|5eed", "1:Hal has joined the game.", "** Hal is back: the round goes on.",
                           "send 7|Bob", "1:Cy has joined the game.", "send 5|Cy|1|" + calls + "|" + again.events.value(6).section(u'|', 4), "send 1|42"}));
    EXPECT_NE(again.events.value(6).section(u'|', 4), u"5eed"_s);
}

// The numbers of `cells` on card `index` of `name` dealt from `seed`, as a claim lists them.
QString onCard(const QString &seed, const char *name, int index, CardCells::Set cells)
{
    QStringList numbers;
    const CardModel::Numbers card = SeededDeal::Card(seed, QString::fromUtf8(name), index);
    for (int cell = 0; cell < CardCells::Count; ++cell)
        if (CardCells::Holds(cells, cell)) numbers << QString::number(card[cell]);
    return numbers.join(u'@');
}

TEST(BingoGame, TheHostWinsOnlyAClaimThatIsALineOnTheClaimantsOwnSeededCard)
{
    const QString seed = u"5eed"_s, row = onCard(seed, "Ann", 0, CardCells::Row(0));
    QStringList onNeither; // called, since every number is, and on neither of Ann's cards
    const auto annsCards = SeededDeal::PlayerCards(seed, u"Ann"_s);
    for (int n = 1; onNeither.size() < 5; ++n)
        if (std::ranges::count(annsCards[0], n) + std::ranges::count(annsCards[1], n) == 0) onNeither << QString::number(n);
    // clang-format off
    const struct { const char *what, *claimant; QString claim; bool onlyChecked; QString answer; } cases[] = {
        {"a row of the first card", "Ann", row, true, u"3|Ann|1|1"_s},
        {"a diagonal of the second card", "Ann", onCard(seed, "Ann", 1, CardCells::DiagonalFromTopRight), true, u"3|Ann|1|1"_s},
        {"called numbers on neither card", "Ann", onNeither.join(u'@'), true, u"6|Ann|notoncard|"_s + onNeither.join(u'@')},
        {"another player's line", "Ann", onCard(seed, "Bob", 0, CardCells::Row(0)), true, u"6|Ann|notoncard|"_s},
        {"four of a row and one more of the card", "Ann", onCard(seed, "Ann", 0, CardCells::Row(0) ^ CardCells::Cell(4) ^ CardCells::Cell(5)), true, u"6|Ann|noline|"_s},
        {"a row and one more of the card", "Ann", onCard(seed, "Ann", 0, CardCells::Row(0) | CardCells::Cell(5)), true, u"6|Ann|pattern|"_s},
        {"half a line on each card", "Ann", row.section(u'@', 0, 2) + u'@' + onCard(seed, "Ann", 1, CardCells::Cell(3) | CardCells::Cell(4)), true, u"6|Ann|notoncard|"_s},
        {"an old window while only checked cards win", "Cy", onNeither.join(u'@'), true, u"6|Cy|unchecked|"_s},
        {"an old window judged on its calls", "Cy", onNeither.join(u'@'), false, u"3|Cy|1|1|unchecked"_s},
        {"a latecomer's pick from the round's seed", "Dan", onCard(seed, "Dan", 0, CardCells::Row(0)), true, u"6|Dan|notoncard|"_s},
        {"a latecomer's own line called before it came", "Dan", u"?"_s, true, u"6|Dan|early|"_s},
    };
    // clang-format on
    for (const auto &c : cases) {
        Game g;
        g.game.SetOnlyCheckedCardsWin(c.onlyChecked);
        g.Run({"+Hal", "+Ann", "+Bob", "+Cy", "Ann>Comm;9|Ann", "Bob>Comm;9|Bob", "8|5eed", "2|ResetMe|10", "*", "+Dan", "Dan>Comm;9|Dan"});
        const QString dans = g.events.filter(u"send 5|Dan|"_s).value(0).section(u'|', 4); // Dan's own seed
        const QString claim = c.claim == u"?" ? onCard(dans, "Dan", 1, CardCells::Column(2)) : c.claim;
        g.events.clear();
        g.link.Deliver(QString::fromUtf8(c.claimant), u"Comm;4|%1|%2"_s.arg(QString::fromUtf8(c.claimant), claim));
        ASSERT_EQ(g.events.size(), 1) << c.what;
        EXPECT_TRUE(g.events[0].startsWith(u"send "_s + c.answer)) << c.what << ": " << g.events[0].toStdString();
    }
}

TEST(BingoGame, TheHostDealsEachLatecomerAFreshSeedKeptUntilTheyLeaveAndEvenAfterItsOwnFreshJoin)
{
    Game g;
    g.Run({"+Hal", "+Ann", "8|5eed", "2|ResetMe|10", "1|7", "+Dan", "Dan>Comm;9|Dan"});
    const QString dans = g.events.filter(u"send 5|Dan|10|7|"_s).value(0).section(u'|', 4);
    ASSERT_TRUE(SeededDeal::IsSeed(dans) && dans != u"5eed") << g.events.join(u'|').toStdString();
    g.events.clear();
    g.Run({"rejoin", "+Ann", "+Dan", "-Ann", "+Ann"});
    const QString annsAgain = g.events.filter(u"send 5|Ann|"_s).value(1).section(u'|', 4);
    EXPECT_EQ(g.events.filter(u"send 5|"_s).mid(0, 2), QStringList({"send 5|Ann|10|7|5eed", "send 5|Dan|10|7|" + dans}));
    EXPECT_TRUE(SeededDeal::IsSeed(annsAgain) && annsAgain != u"5eed" && annsAgain != dans) << "a seat given up is dealt anew";
    const QString dansRow = onCard(dans, "Dan", 0, CardCells::Row(0));
    for (const QString &n : dansRow.split(u'@')) g.link.Deliver(u"Hal"_s, u"Comm;1|"_s + n);
    g.events.clear();
    g.link.Deliver(u"Dan"_s, u"Comm;4|Dan|"_s + dansRow);
    EXPECT_EQ(g.events.filter(u"send "_s), QStringList{u"send 3|Dan|1|1"_s}) << "Dan wins with his own card";
}

TEST(BingoGame, APlayersWindowDealsFromTheSeedOfItsRoundOrOfItsCatchUpAndSaysSoAtEachJoin)
{
    const auto cards = [](const char *seed) { return SeededDeal::PlayerCards(QString::fromUtf8(seed), u"Ann"_s); };
    // clang-format off
    const struct { const char *what; std::vector<const char *> steps; QList<QList<CardModel::Numbers>> dealt; } cases[] = {
        {"the round's seed", {"8|5eed", "2|ResetMe|10"}, {cards("5eed")}},
        {"a seed serves one round", {"8|5eed", "2|ResetMe|10", "3|Bob|1", "2|ResetMe|10"}, {cards("5eed")}},
        {"a host of an earlier release", {"2|ResetMe|10", "5|Ann|10|7"}, {}},
        {"a latecomer's own seed", {"5|Ann|10|7|abc"}, {cards("abc")}},
        {"a fresh seed after a lost seat", {"8|5eed", "2|ResetMe|10", "5|Ann|10||5eed", "5|Ann|10||abc"}, {cards("5eed"), cards("abc")}},
        {"not a seed", {"8|5EED", "2|ResetMe|10", "5|Ann|10|7|x"}, {}},
    };
    // clang-format on
    for (const auto &c : cases) {
        Game g("Ann");
        g.showDeals = true;
        QList<QList<CardModel::Numbers>> dealt;
        QObject::connect(&g.game, &BingoGame::CardsDealt, [&](const QList<CardModel::Numbers> &d) { dealt << d; });
        g.Run({"+Ann", "+Hal", "rejoin", "+Hal", "+Ann"}); // told when the host comes, and at a fresh join
        EXPECT_EQ(g.events.filter(u"send 9|Ann"_s).size(), 2) << c.what;
        g.Run(c.steps);
        EXPECT_TRUE(dealt == c.dealt) << c.what;
    }
}

TEST(BingoGame, TheHostSaysOnceThatAnOldWindowsClaimsCannotBeChecked)
{
    Game g;
    g.Run({"+Hal", "+Cy", "+Ann", "Ann>Comm;9|Ann", "tick", "tick", "tick", "tick"});
    const QStringList said = g.events.filter(u"cannot check"_s);
    EXPECT_TRUE(said.size() == 1 && said[0].startsWith(u"** Cy "_s)) << "once, and not of Ann, who deals from the seed";
}

TEST(RoundStore, KeepsARoundWholeAndPrivateAndRefusesAFileThatIsNotOne)
{
    QTemporaryDir dir;
    const RoundStore store(dir.path() + u"/state"_s, u"key/../x"_s);
    const RoundState round{u"7"_s, {5, 99, 1}, true, true, u"Bob"_s, u"3"_s, 42, {u"Bob"_s, u"Hal"_s}, {QList<int>(25, 9), QList<int>(25, 0)},
                           u"5eed"_s, {{u"bob"_s, u"5eed"_s}, {u"cy"_s, u"c0ffee"_s}}, {u"bob"_s}, u"line@full"_s, 2};
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

TEST(Announcer, TellsEachPieceOfNewsOnceAndOnlyTheTopicsThePlayerChose)
{
    const char *const lost = "The link to the game was lost (gone); reconnecting\u2026";
    // clang-format off
    const struct { const char *what; std::vector<const char *> steps; QStringList heard; bool calls = true, chat = true; } cases[] = {
        {"a call once a round, not a catch-up", {"1|7", "1|07", "2|ResetMe|10", "1|7", "5|Ann|10|8@9"}, {"7 called", "7 called"}},
        {"a win once a round", {"3|Bob|2", "3|Bob|2"}, {"BINGO! Bob wins, with 2 wins"}},
        {"a refusal with its reason", {"6|Ann|uncalled|17@42"}, {"Your claim did not win: 17 and 42 have not been called."}},
        {"others' chat, not the player's own", {"Bob>Chat;hi", "Ann>Chat;mine", "Bob>Chat;\\waves"}, {"Bob: hi", "Bob waves"}},
        {"others coming and going", {"+Bob", "+Ann", "-Bob"}, {"Bob has joined the game.", "Bob has left the game."}},
        {"the link's changes only", {"lost", "lost", "rejoin", "back", "back", "lost", "gone"},
         {lost, "Back in the game.", lost, "The link to the game could not be restored (gone). You may close the window."}},
        {"calls and chat switched off", {"1|7", "Bob>Chat;hi", "+Bob"}, {"Bob has joined the game."}, false, false},
    };
    // clang-format on
    for (const auto &c : cases) {
        Game g("Ann");
        Announcer announcer(g.game);
        announcer.SetTold(Announcer::Calls, c.calls);
        announcer.SetTold(Announcer::Chat, c.chat);
        QStringList heard;
        QObject::connect(&announcer, &Announcer::Announce, [&heard](const QString &text) { heard << text; });
        g.Run(c.steps);
        EXPECT_EQ(heard, c.heard) << c.what;
    }
}

TEST(Announcer, TellsBingoLightingUpOnceAndTheCardStateEveryTimeItIsAsked)
{
    Game g("Ann");
    Announcer announcer(g.game);
    QStringList heard;
    QObject::connect(&announcer, &Announcer::Announce, [&heard](const QString &text) { heard << text; });
    for (bool lit : {true, true, false, true})
        announcer.SetBingoLit(lit);
    announcer.TellCardState(0);
    g.Run({"1|7"});
    announcer.TellCardState(2);
    announcer.TellCardState(2);
    const QString state = u"Last call 7; 2 called numbers on your cards are not marked."_s;
    EXPECT_EQ(heard, QStringList({"BINGO! is lit: Ctrl+B claims.", "BINGO! is lit: Ctrl+B claims.",
                                  "No number called yet.", "7 called", state, state}));
}
