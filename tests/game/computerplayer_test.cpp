// SPDX-License-Identifier: GPL-3.0-or-later
// A computer player against a fake link: its pauses wait until the test ends
// them, and what it sends comes back as the hub would hand it to everyone.

#include "card/seededdeal.h"
#include "computer/computerplayer.h"
#include "support/fakegamelink.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Me = QStringLiteral("Computer 1");

struct Table
{
    explicit Table(const QString &host = QStringLiteral("Hal"), const QString &seconds = QStringLiteral("10"))
        : host(host)
    {
        player.SetNames(QStringLiteral("K"), Me, host, seconds);
        player.SetScheduler([this](int ms, std::function<void()> action) {
            lengths << ms;
            pauses << std::move(action);
        });
        link.Deliver(QStringLiteral("[Enter]"), host); // twice when it hosts: harmless
        link.Deliver(QStringLiteral("[Enter]"), Me);
    }
    void Host(const QString &record) { link.Deliver(host, QStringLiteral("Comm;") + record); }
    // Ends the pauses taken so far; returns the message texts sent meanwhile.
    QStringList Run()
    {
        lengths.clear();
        for (auto &pause : std::exchange(pauses, {})) pause();
        return Echo();
    }
    QStringList Echo()
    {
        const QStringList texts = std::exchange(link.sent, {});
        for (const QString &text : texts) link.Deliver(Me, text);
        return texts;
    }
    QString host;
    FakeGameLink link;
    RandomGenerator random{11, [] { return quint64(5); }};
    ComputerPlayer player{link, random};
    QList<std::function<void()>> pauses;
    QList<int> lengths; // of the pauses, in ms
};

TEST(ComputerPlayer, MarksACalledNumberOnItsCardsOnlyAfterAHumanPauseWithinTheRoundItWasCalledIn)
{
    Table t;
    t.Run();
    t.Host(QStringLiteral("2|ResetMe|10"));
    const auto &a = t.player.Card(0).AllNumbers(), &b = t.player.Card(1).AllNumbers();
    auto onCards = [&](int n) { return std::count(a.begin(), a.end(), n) + std::count(b.begin(), b.end(), n); };
    int neither = 1;
    while (onCards(neither) > 0) ++neither;
    QList<int> called;
    for (int n : {a[0], a[12], b[24], neither, b[3], a[0]}) {
        t.Host(QStringLiteral("1|%1").arg(n));
        EXPECT_EQ(t.pauses.size(), called.contains(n) ? 0 : onCards(n)) << n;
        for (int ms : t.lengths) EXPECT_TRUE(ms >= 700 && ms <= 2500) << ms;
        called << n;
        t.Run();
    }
    for (int c : {0, 1})
        for (int cell = 0; cell < 25; ++cell) EXPECT_EQ(t.player.Card(c).IsMarked(cell), called.contains(t.player.Card(c).Number(cell))) << c << " " << cell;

    t.Host(QStringLiteral("1|%1").arg(a[1]));
    t.Host(QStringLiteral("2|ResetMe|10")); // before the pause ends
    t.Run();
    EXPECT_EQ(t.player.Card(0).Marks(), 0u);
}

TEST(ComputerPlayer, ClaimsOnceWithTheLineOfItsCardsThatWasCalled)
{
    // clang-format off
    const struct { const char *what; int card; std::array<int, 5> cells; bool othersWinFirst; } cases[] = {
        {"a row of the first card", 0, {5, 6, 7, 8, 9}, false},
        {"a column of the second card", 1, {2, 7, 12, 17, 22}, false},
        {"another player wins during its pause", 1, {0, 1, 2, 3, 4}, true},
    };
    // clang-format on
    for (const auto &c : cases) {
        Table t;
        QStringList claims, line;
        t.Host(QStringLiteral("2|ResetMe|10"));
        for (int cell : c.cells) {
            line << QString::number(t.player.Card(c.card).Number(cell));
            t.Host(u"1|"_s + line.last());
            claims += t.Run().filter(QStringLiteral("Comm;4|"));
        }
        EXPECT_EQ(claims, QStringList()) << c.what << ": not before the last mark's pause ends";
        if (c.othersWinFirst) t.Host(QStringLiteral("3|Ann|1"));
        claims = t.Run().filter(QStringLiteral("Comm;4|"));
        t.Host(u"1|"_s + QString::number(t.player.Card(c.card).Number(24))); // on none of these lines
        claims += t.Run().filter(QStringLiteral("Comm;4|"));
        claims += t.Run().filter(QStringLiteral("Comm;4|"));
        EXPECT_EQ(claims, c.othersWinFirst ? QStringList() : QStringList{u"Comm;4|Computer 1|"_s + line.join(u'@') + u"|1"_s}) << c.what;
    }
}

TEST(ComputerPlayer, GreetsOnceAfterJoiningAndCongratulatesEachOtherWinnerOnce)
{
    Table t;
    EXPECT_TRUE(t.lengths.size() == 1 && t.lengths[0] >= 1000 && t.lengths[0] <= 4000);
    const QStringList greeting = t.Run().filter(u"Chat;"_s);
    EXPECT_TRUE(greeting.size() == 1 && greeting[0].startsWith(u"Chat;") && greeting[0].contains(u"computer player"));
    const struct
    {
        const char *winner;
        int words;
    } rounds[] = {{"Ann", 1}, {"Computer 1", 0}, {"Hal", 1}};
    for (const auto &round : rounds) {
        t.Host(QStringLiteral("2|ResetMe|10"));
        t.Host(QStringLiteral("3|%1|1").arg(QString::fromUtf8(round.winner)));
        t.Host(QStringLiteral("3|%1|1").arg(QString::fromUtf8(round.winner)));
        const QStringList said = t.Run().filter(QStringLiteral("Chat;"));
        EXPECT_TRUE(said.size() == round.words && said.filter(QString::fromUtf8(round.winner)).size() == round.words) << round.winner;
    }
}

TEST(ComputerPlayer, AsHostStartsARoundCallsAtItsIntervalJudgesAClaimAndStartsTheNextRoundOnce)
{
    Table t(Me, QStringLiteral("1"));
    t.link.Deliver(u"[Enter]"_s, u"Ann"_s);
    t.link.Deliver(u"Ann"_s, u"Comm;9|Ann"_s); // Ann deals from the seed
    const QStringList started = t.Run();
    EXPECT_TRUE(started.contains(QStringLiteral("Comm;2|ResetMe|1")));
    // The host forces the calls of Ann's top row, dealt from the round's seed.
    const QString seed = started.filter(u"Comm;8|"_s).value(0).mid(7);
    const CardModel::Numbers annsCard = SeededDeal::Card(seed, u"Ann"_s, 0);
    QStringList calls;
    while (calls.size() < 5) {
        EXPECT_TRUE(t.lengths.contains(1000)) << calls.join(u'|').toStdString();
        t.link.Deliver(Me, u"Chat;/call %1"_s.arg(annsCard[calls.size()]));
        calls += t.Run().filter(QStringLiteral("Comm;1|")).replaceInStrings(QStringLiteral("Comm;1|"), QString());
    }
    t.link.Deliver(QStringLiteral("Ann"), u"Comm;4|Ann|"_s + calls.join(u'@'));
    EXPECT_EQ(t.Echo().filter(QStringLiteral("Comm;3|")), QStringList{QStringLiteral("Comm;3|Ann|1|1")});
    QStringList sent;
    for (int i = 0; i < 4; ++i) sent += t.Run();
    // No more calls in the won round, then one new round, called at the interval.
    const QStringList steps = sent.filter(QRegularExpression(QStringLiteral("^Comm;[12]\\|")));
    EXPECT_TRUE(steps.size() > 1 && steps[0] == u"Comm;2|ResetMe|1" && steps.count(steps[0]) == 1) << sent.join(u'|').toStdString();
}

} // namespace
