// SPDX-License-Identifier: GPL-3.0-or-later
// A card's deal, numbers, marks and complete patterns.

#include "card/cardmodel.h"
#include "card/deal.h"
#include "card/seededdeal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

// The 12 lines as cell lists, in the order the card reports them: rows,
// columns, the diagonal from the top left, then the one from the top right.
// clang-format off
const std::vector<int> Lines[] = {
    {0, 1, 2, 3, 4}, {5, 6, 7, 8, 9}, {10, 11, 12, 13, 14}, {15, 16, 17, 18, 19}, {20, 21, 22, 23, 24},
    {0, 5, 10, 15, 20}, {1, 6, 11, 16, 21}, {2, 7, 12, 17, 22}, {3, 8, 13, 18, 23}, {4, 9, 14, 19, 24},
    {0, 6, 12, 18, 24}, {4, 8, 12, 16, 20}};
// clang-format on

// A card whose cell i holds 100 - i, with the given cells marked.
CardModel card(const std::vector<int> &marked = {})
{
    CardModel model;
    model.Deal([n = 100]() mutable { return n--; });
    for (int cell : marked) model.SetMarked(cell, true);
    return model;
}

QList<int> numbersOf(const std::vector<int> &cells)
{
    QList<int> numbers;
    for (int cell : cells) numbers << 100 - cell;
    return numbers;
}

TEST(CardModel, FindsEachLineButNeverFourOfItsCellsAndOfSeveralTheFirstInOrder)
{
    ASSERT_EQ(std::size(Lines), CardCells::Lines.size());
    for (const std::vector<int> &line : Lines) {
        EXPECT_EQ(card(line).CompleteLines(), QList<QList<int>>{numbersOf(line)}) << line[0] << "-" << line[4];
        for (std::size_t leftOut = 0; leftOut < line.size(); ++leftOut) {
            std::vector<int> four = line;
            four.erase(four.begin() + std::ptrdiff_t(leftOut));
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

TEST(CardDeal, PlacesEachDrawOnTheNextFreeNumberAndKeepsTheCardWhole)
{
    // The first draws, in cell order, every later draw, and the first cells' numbers.
    // clang-format off
    const struct { const char *what; std::vector<int> draws; int thenDraw; std::vector<int> expected; } cases[] = {
        {"a free draw stays", {7, 42, 1}, 50, {7, 42, 1, 50, 51}},
        {"a taken 99 moves to 100", {99, 99}, 1, {99, 100, 1, 2}},
        {"99 and 100 taken wrap to the lowest free", {1, 2, 99, 99, 99}, 50, {1, 2, 99, 100, 3}},
        {"a taken number moves up, never down", {50, 49, 52, 50, 50, 50}, 1, {50, 49, 52, 51, 53, 54}},
        {"draws alike fill upward then wrap", {}, 99, {99, 100, 1, 2, 3}},
        {"draws outside the range are brought in", {0, -5, 150, 100}, 1, {1, 2, 100, 3}}};
    // clang-format on
    for (const auto &c : cases) {
        std::size_t next = 0;
        const auto numbers = CardDeal::Deal([&] { return next < c.draws.size() ? c.draws[next++] : c.thenDraw; });
        EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + c.expected.size()), c.expected) << c.what;
        const std::set<int> distinct(numbers.begin(), numbers.end());
        EXPECT_EQ(distinct.size(), 25u) << c.what;
        EXPECT_TRUE(*distinct.begin() >= 1 && *distinct.rbegin() <= 100) << c.what;
    }
}

// The browser player deals from the same table (tests/web/rules.test.js).
TEST(SeededDeal, DealsTheCardsOfTheTableSharedWithTheBrowserPlayer)
{
    QFile file(QStringLiteral(KALUMO_SEEDED_CARDS));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray rows = QJsonDocument::fromJson(file.readAll()).array();
    ASSERT_FALSE(rows.isEmpty());
    for (const auto &row : rows) {
        const CardModel::Numbers card = SeededDeal::Card(row[u"seed"].toString(), row[u"name"].toString(), row[u"index"].toInt());
        QJsonArray numbers;
        for (int n : card) numbers.append(n);
        EXPECT_EQ(numbers, row[u"numbers"].toArray()) << row[u"name"].toString().toStdString();
    }
}

} // namespace
