#include "game/members.h"

#include <gtest/gtest.h>

namespace {

struct TallyCase
{
    const char *what;
    QStringList loaded;  // the entries of the tally file
    QStringList winners; // claims accepted during the run, in order
    QList<qint16> totals;
    QStringList saved;
    bool changed;
};
void PrintTo(const TallyCase &c, std::ostream *os) { *os << c.what; }

class MemberTableRun : public ::testing::TestWithParam<TallyCase> {};

TEST_P(MemberTableRun, CountsWinsAndGivesBackEveryEntryInPlace)
{
    const TallyCase &c = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Table, MemberTableRun, ::testing::Values(
    TallyCase{"first run, nobody wins", {}, {}, {}, {"@0"}, false},
    TallyCase{"first run, Ann wins", {}, {"Ann"}, {1}, {"@0", "Ann@1"}, true},
    TallyCase{"Ann wins again in a later run", {"@0", "Ann@1"}, {"Ann"}, {2}, {"@0", "Ann@2"}, true},
    TallyCase{"ann and Ann are two members", {"@0", "Ann@1"}, {"ann", "Ann"}, {1, 2}, {"@0", "Ann@2", "ann@1"}, true},
    TallyCase{"a name twice: only the first is raised", {"Ann@1", "Bob@4", "Ann@7"}, {"Ann"}, {2},
              {"Ann@2", "Bob@4", "Ann@7"}, true},
    TallyCase{"text after a second @ is not part of the count", {"Ann@3@7"}, {"Ann"}, {4}, {"Ann@4"}, true},
    TallyCase{"a fraction rounds half to even", {"Ann@2.5", "Bob@3.5"}, {"Ann"}, {3}, {"Ann@3", "Bob@4"}, true},
    TallyCase{"negative counts count on", {"Ann@-3"}, {"Ann"}, {-2}, {"Ann@-2"}, true},
    TallyCase{"unreadable entries stay in place and never win",
              {"junk", "Ann@x", "@0", "", "Ann@", "Ann@40000", "Ann@1"}, {"Ann", ""}, {2, 1},
              {"junk", "Ann@x", "@1", "", "Ann@", "Ann@40000", "Ann@2"}, true},
    TallyCase{"an empty claimant counts on the blank entry", {}, {""}, {1}, {"@1"}, true},
    TallyCase{"an empty claimant never takes an unreadable entry", {"junk"}, {""}, {1}, {"junk", "@1"}, true},
    TallyCase{"a count at its top stays there and changes nothing", {"Ann@32767"}, {"Ann"}, {32767},
              {"Ann@32767"}, false}));

} // namespace
