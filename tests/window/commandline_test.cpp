#include "window/commandline.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *line;
    QStringList pieces;
};

class CommandLinePieces : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLinePieces, CutsAtSingleSpacesIntoAtMostFive)
{
    const CommandLine line(QString::fromUtf8(GetParam().line));
    QStringList pieces;
    for (int i = 0; line.Piece(i); ++i)
        pieces << *line.Piece(i);
    EXPECT_EQ(pieces, GetParam().pieces) << GetParam().line;
    EXPECT_EQ(line.PieceCount(), GetParam().pieces.size());
    EXPECT_EQ(line.Piece(-1), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Lines, CommandLinePieces, ::testing::Values(
    Case{"", {}},
    Case{"x", {"x"}},
    Case{"x 77 K7 Ann Ann", {"x", "77", "K7", "Ann", "Ann"}},
    Case{"x 77 K7 Ann Bob Smith", {"x", "77", "K7", "Ann", "Bob Smith"}},
    Case{"x 77 K7 Bob Smith Bob Smith", {"x", "77", "K7", "Bob", "Smith Bob Smith"}},
    Case{"x  K7", {"x", "", "K7"}},
    Case{" ", {"", ""}},
    Case{"x 77 K7 Ann ", {"x", "77", "K7", "Ann", ""}}));

TEST(CommandLineFromArguments, GivesTheSameLineForOneArgumentOrMany)
{
    EXPECT_EQ(CommandLine::FromArguments({"x", "77", "K7", "Ann", "Bob Smith"}),
              CommandLine::FromArguments({"x 77 K7 Ann Bob Smith"}));
    EXPECT_TRUE(CommandLine(CommandLine::FromArguments({})).IsEmpty());
}

} // namespace
