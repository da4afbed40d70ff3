#include "support/commandline.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, CutsAtSingleSpacesIntoAtMostFivePiecesWhetherGivenWholeOrInPieces)
{
    const struct { const char *line; QStringList pieces; } cases[] = {
        {"x 77 K7 Ann Ann", {"x", "77", "K7", "Ann", "Ann"}}, {"x 77  Ann Ann", {"x", "77", "", "Ann", "Ann"}},
        {"x 77 K7 Ann Bob Smith", {"x", "77", "K7", "Ann", "Bob Smith"}}, {"x 77 K7", {"x", "77", "K7"}},
        {"x 77 K7 Bob Smith Bob Smith", {"x", "77", "K7", "Bob", "Smith Bob Smith"}}, {"x", {"x"}}, {" ", {"", ""}},
        {"x 77 K7 Ann Ann ", {"x", "77", "K7", "Ann", "Ann "}}, {"", {}}}; // "": a registration run
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.line);
        const CommandLine line(text);
        QStringList pieces;
        for (int i = 0; line.Piece(i); ++i)
            pieces << *line.Piece(i);
        EXPECT_EQ(pieces, c.pieces) << c.line;
        EXPECT_EQ(line.PieceCount(), c.pieces.size()) << c.line;
        EXPECT_FALSE(line.Piece(-1));
        // The chat host may pass the line as one argument or in pieces.
        EXPECT_EQ(CommandLine::FromArguments({text}), text) << c.line;
        EXPECT_EQ(CommandLine::FromArguments(text.split(u' ', Qt::SkipEmptyParts)), text.simplified()) << c.line;
    }
}

} // namespace
