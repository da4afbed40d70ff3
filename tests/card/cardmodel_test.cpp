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

// A card whose cell i holds 100 - i.
CardModel card()
{
    CardModel model;
    CardModel::Numbers numbers{};
    for (int i = 0; i < CardCells::Count; ++i)
        numbers[i] = 100 - i;
    model.SetNumbers(numbers);
    return model;
}

// The first complete line's numbers with the cells of the given lines marked, but for one left out.
QList<int> firstComplete(const std::vector<int> &lineIndexes, int leftOut = -1)
{
    CardModel model = card();
    for (int index : lineIndexes)
        for (int cell : Lines[index])
            model.SetMarked(cell, cell != leftOut);
    const QList<QList<int>> complete = model.CompleteLines();
    return complete.value(0);
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
    for (int index = 0; index < int(std::size(Lines)); ++index) {
        EXPECT_EQ(firstComplete({index}), numbersOf(Lines[index])) << index;
        for (int cell : Lines[index])
            EXPECT_EQ(firstComplete({index}, cell), QList<int>()) << index << " without " << cell;
    }
    const std::pair<std::vector<int>, int> several[] = {{{3, 1}, 1}, {{5, 4}, 4}, {{11, 9}, 9}, {{11, 10}, 10}};
    for (const auto &[complete, reported] : several)
        EXPECT_EQ(firstComplete(complete), numbersOf(Lines[reported])) << "line " << reported;
}

TEST(CardModel, CompletesAnyPatternOfCellsButAnEmptyOne)
{
    CardModel model = card();
    const CardCells::Set corners = CardCells::Cell(0) | CardCells::Cell(4) | CardCells::Cell(20) | CardCells::Cell(24);
    for (int cell : {24, 0, 20})
        model.SetMarked(cell, true);
    const CardCells::Set patterns[] = {corners, 0, CardCells::Cell(0)};
    EXPECT_EQ(model.Complete(patterns), QList<CardCells::Set>{CardCells::Cell(0)});
    model.SetMarked(4, true);
    EXPECT_EQ(model.Complete(patterns), (QList<CardCells::Set>{corners, CardCells::Cell(0)}));
    EXPECT_EQ(model.NumbersIn(corners), (QList<int>{100, 96, 80, 76}));
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
