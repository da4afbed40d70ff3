#include "support/commandline.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, JoinsArgumentsWithSingleSpacesWhetherGivenWholeOrInPieces)
{
    EXPECT_EQ(CommandLine::FromArguments({QStringLiteral("x 77 K7 Ann Bob Smith")}),
              CommandLine::FromArguments({QStringLiteral("x"), QStringLiteral("77"), QStringLiteral("K7"),
                                          QStringLiteral("Ann"), QStringLiteral("Bob"), QStringLiteral("Smith")}));
    EXPECT_EQ(CommandLine::FromArguments({}), QString());
}

struct Case
{
    const char *line;
    QStringList pieces;
};

class CommandLinePieces : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLinePieces, CutsAtSingleSpacesIntoAtMostFivePieces)
{
    const CommandLine line(QString::fromUtf8(GetParam().line));
    QStringList pieces;
    for (int i = 0; line.Piece(i); ++i)
        pieces << *line.Piece(i);
    EXPECT_EQ(pieces, GetParam().pieces);
    EXPECT_EQ(line.PieceCount(), GetParam().pieces.size());
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLinePieces, ::testing::Values(
    Case{"x 77 K7 Ann Ann", {"x", "77", "K7", "Ann", "Ann"}},
    Case{"x 77 K7 Ann Bob Smith", {"x", "77", "K7", "Ann", "Bob Smith"}},
    Case{"x 77 K7 Bob Smith Bob Smith", {"x", "77", "K7", "Bob", "Smith Bob Smith"}},
    Case{"x 77  Ann Ann", {"x", "77", "", "Ann", "Ann"}},
    Case{"x 77 K7", {"x", "77", "K7"}},
    Case{"x", {"x"}},
    Case{" ", {"", ""}},
    Case{"x 77 K7 Ann Ann ", {"x", "77", "K7", "Ann", "Ann "}}));

TEST(CommandLine, AnEmptyLineIsARegistrationRunAndHasNoPieces)
{
    const CommandLine line{QString()};
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_FALSE(line.Piece(0));
}

} // namespace
