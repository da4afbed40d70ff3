#include "game/commandrecord.h"

#include <gtest/gtest.h>

namespace {

struct ReadCase
{
    const char *record;
    std::optional<int> kind; // nothing: the record does not read
    int number = 0;
    const char *text = "";
    const char *name = "";
    QStringList items = {};
};

void PrintTo(const ReadCase &c, std::ostream *out) { *out << '"' << c.record << '"'; }

class ReadingARecord : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingARecord, KeepsWhatItsKindNeedsAndRefusesWhatTheProgramNeverSends)
{
    const ReadCase &c = GetParam();
    const auto read = CommandRecord::Read(QString::fromUtf8(c.record));
    ASSERT_EQ(read.has_value(), c.kind.has_value()) << c.record;
    if (!read)
        return;
    EXPECT_EQ(read->kind, *c.kind);
    EXPECT_EQ(read->number, c.number);
    EXPECT_EQ(read->text, QString::fromUtf8(c.text));
    EXPECT_EQ(read->name, QString::fromUtf8(c.name));
    EXPECT_EQ(read->items, c.items);
}

INSTANTIATE_TEST_SUITE_P(Table, ReadingARecord, ::testing::Values(
    ReadCase{"1|42", 1, 42, "42"},
    ReadCase{"1|07", 1, 7, "07"},
    ReadCase{"1|100", 1, 100, "100"},
    ReadCase{"01|5", 1, 5, "5"},
    ReadCase{"1|0", std::nullopt},
    ReadCase{"1|101", std::nullopt},
    ReadCase{"1|-3", std::nullopt},
    ReadCase{"1|7.5", std::nullopt},
    ReadCase{"1|x", std::nullopt},
    ReadCase{"1|", std::nullopt},
    ReadCase{"1", std::nullopt},
    ReadCase{"2|ResetMe|10", 2, 0, "10"},
    ReadCase{"2|ResetMe|ab", 2, 0, "ab"},
    ReadCase{"2|ResetMe|", 2, 0, ""},
    ReadCase{"2|ResetMe", std::nullopt},
    ReadCase{"3|Ann|2", 3, 0, "2", "Ann"},
    ReadCase{"3|Ann", std::nullopt},
    ReadCase{"4|Ann|12@3@77@40@9", 4, 0, "", "Ann", {"12", "3", "77", "40", "9"}},
    ReadCase{"4|Ann|", 4, 0, "", "Ann", {""}},
    ReadCase{"4|Ann", std::nullopt},
    ReadCase{"1.5|7", std::nullopt},
    ReadCase{"x|7", std::nullopt},
    ReadCase{"5|7", std::nullopt},
    ReadCase{"0|7", std::nullopt},
    ReadCase{"", std::nullopt}));

TEST(MakingARecord, GivesTheTextsThatTravelOnTheLink)
{
    EXPECT_EQ(CommandRecord::Called(42), u"1|42");
    EXPECT_EQ(CommandRecord::StartGame(QStringLiteral("1.5")), u"2|ResetMe|1.5");
    EXPECT_EQ(CommandRecord::Won(QStringLiteral("Ann"), 2), u"3|Ann|2");
    EXPECT_EQ(CommandRecord::MakeClaim(QStringLiteral("Ann"), {"5", "17", "33", "48", "62"}),
              u"4|Ann|5@17@33@48@62");
}

} // namespace
