// SPDX-License-Identifier: GPL-3.0-or-later
// A card's numbers, marks and complete patterns.

#include "card/cardmodel.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// The 12 lines as cell lists, in the order the card reports them: rows,
// columns, the diagonal from the top left, then the one from the top right.
const std::vector<int> Lines[] = {
    {0, 1, 2, 3, 4}, {5, 6, 7, 8, 9}, {10, 11, 12, 13, 14}, {15, 16, 17, 18, 19}, {20, 21, 22, 23, 24},
    {0, 5, 10, 15, 20}, {1, 6, 11, 16, 21}, {2, 7, 12, 17, 22}, {3, 8, 13, 18, 23}, {4, 9, 14, 19, 24},
    {0, 6, 12, 18, 24}, {4, 8, 12, 16, 20}};

// A card whose cell i holds 100 - i, with the given cells marked.
CardModel card(const std::vector<int> &marked = {})
{
    CardModel model;
    model.Deal([n = 100]() mutable { return n--; });
    for (int cell : marked)
        model.SetMarked(cell, true);
    return model;
}

QList<int> numbersOf(const std::vector<int> &cells)
{
    QList<int> numbers;
    for (int cell : cells)
        numbers << 100 - cell;
    return numbers;
}

TEST(CardModel, FindsEachLineButNeverFourOfItsCellsAndOfSeveralTheFirstInOrder)
{
    ASSERT_EQ(std::size(Lines), CardCells::Lines.size());
    for (const std::vector<int> &line : Lines) {
        EXPECT_EQ(card(line).CompleteLines(), QList<QList<int>>{numbersOf(line)}) << line[0] << "-" << line[4];
        for (std::size_t leftOut = 0; leftOut < line.size(); ++leftOut) {
            std::vector<int> four = line;
            four.erase(four.begin() + leftOut);
            EXPECT_TRUE(card(four).CompleteLines().isEmpty()) << line[0] << "-" << line[4] << " without " << line[leftOut];
        }
    }
    // Of two lines the first in order, whichever was marked first: rows, a row and a column, the diagonals.
    for (const auto &[first, second] : {std::pair{1, 3}, {4, 5}, {10, 11}}) {
        std::vector<int> both = Lines[second];
        both.insert(both.end(), Lines[first].begin(), Lines[first].end());
        EXPECT_EQ(card(both).CompleteLines().value(0), numbersOf(Lines[first])) << first;
    }
}

TEST(CardModel, CompletesAnyPatternOfCellsButAnEmptyOne)
{
    const CardCells::Set corners = CardCells::Cell(0) | CardCells::Cell(4) | CardCells::Cell(20) | CardCells::Cell(24);
    const CardCells::Set patterns[] = {corners, 0, CardCells::Cell(0)};
    EXPECT_EQ(card({24, 0, 20}).Complete(patterns), QList<CardCells::Set>{CardCells::Cell(0)});
    EXPECT_EQ(card({24, 0, 20, 4}).Complete(patterns), (QList<CardCells::Set>{corners, CardCells::Cell(0)}));
    EXPECT_EQ(card().NumbersIn(corners), (QList<int>{100, 96, 80, 76}));
}

TEST(CardModel, MarksEveryCellOfANumberOnceAndKeepsMarksApartFromNumbers)
{
    CardModel model = card();
    EXPECT_EQ(model.MarkNumber(88), CardCells::Cell(12));
    EXPECT_EQ(model.MarkNumber(88), 0u) << "already marked";
    EXPECT_EQ(model.MarkNumber(1), 0u) << "not on the card";
    model.SetMarked(3, true);
    model.SetMarked(12, false);
    EXPECT_EQ(model.Marks(), CardCells::Cell(3));
    model.Deal([] { return 7; });
    EXPECT_TRUE(model.IsMarked(3) && model.Number(0) == 7 && model.Number(1) == 8);
    model.ClearMarks();
    EXPECT_EQ(model.Marks(), 0u);
}

} // namespace
