#include "game/members.h"

#include "game/bingogame.h"
#include "support/randomgenerator.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(MemberTable, CountsWinsAndGivesBackEveryEntryInPlace)
{
    const struct {
        const char *what;
        QStringList loaded;  // the entries of the tally file
        QStringList winners; // claims accepted during the run, in order
        QList<qint16> totals;
        QStringList saved;
        bool changed;
    } cases[] = {
        {"first run, nobody wins", {}, {}, {}, {"@0"}, false},
        {"first run, Ann wins", {}, {"Ann"}, {1}, {"@0", "Ann@1"}, true},
        {"Ann wins again in a later run", {"@0", "Ann@1"}, {"Ann"}, {2}, {"@0", "Ann@2"}, true},
        {"ann and Ann are two members", {"@0", "Ann@1"}, {"ann", "Ann"}, {1, 2}, {"@0", "Ann@2", "ann@1"}, true},
        {"a name twice: only the first is raised", {"Ann@1", "Bob@4", "Ann@7"}, {"Ann"}, {2},
         {"Ann@2", "Bob@4", "Ann@7"}, true},
        {"text after a second @ is not part of the count", {"Ann@3@7"}, {"Ann"}, {4}, {"Ann@4"}, true},
        {"a fraction rounds half to even", {"Ann@2.5", "Bob@3.5"}, {"Ann"}, {3}, {"Ann@3", "Bob@4"}, true},
        {"negative counts count on", {"Ann@-3"}, {"Ann"}, {-2}, {"Ann@-2"}, true},
        {"unreadable entries stay in place and never win", {"junk", "Ann@x", "@0", "", "Ann@", "Ann@40000", "Ann@1"},
         {"Ann", ""}, {2, 1}, {"junk", "Ann@x", "@1", "", "Ann@", "Ann@40000", "Ann@2"}, true},
        {"an empty claimant counts on the blank entry", {}, {""}, {1}, {"@1"}, true},
        {"an empty claimant never takes an unreadable entry", {"junk"}, {""}, {1}, {"junk", "@1"}, true},
        {"a count at its top stays there and changes nothing", {"Ann@32767"}, {"Ann"}, {32767}, {"Ann@32767"}, false}};
    for (const auto &c : cases) {
        MemberTable table;
        table.LoadTallyEntries(c.loaded);
        table.AddBlankEntryIfEmpty();
        QList<qint16> totals;
        for (const QString &winner : c.winners)
            totals.append(table.RecordWin(winner));
        EXPECT_EQ(totals, c.totals) << c.what;
        EXPECT_EQ(table.TallyEntries(), c.saved) << c.what;
        EXPECT_EQ(table.ChangedThisRun(), c.changed) << c.what;
    }
}

TEST(WinTotals, StopAt32767AndAreAnnouncedThere)
{
    MemberTable members;
    members.Append({QStringLiteral("Ann"), 32766});
    RandomGenerator random(1, [] { return quint64(1000); });
    BingoGame game(members, random);
    game.SetHost(true);
    QSignalSpy sent(&game, &BingoGame::Send);
    for (int round = 0; round < 2; ++round) {
        for (const char *record : {"2|ResetMe|10", "1|1", "1|2", "1|3", "1|4", "1|5", "4|Ann|1@2@3@4@5"})
            game.EvalCommand(QString::fromUtf8(record));
    }
    ASSERT_EQ(sent.count(), 2);
    EXPECT_EQ(sent.at(0).at(0).toString(), u"3|Ann|32767");
    EXPECT_EQ(sent.at(1).at(0).toString(), u"3|Ann|32767");
    EXPECT_EQ(members.At(0).Wins, 32767);
}

} // namespace
