// SPDX-License-Identifier: GPL-3.0-or-later
// Patterns on a card, and plans as the host keeps and sends them.

#include "game/plan.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

CardCells::Set cellsOf(std::initializer_list<int> cells)
{
    CardCells::Set set = 0;
    for (int cell : cells) set |= CardCells::Cell(cell);
    return set;
}

TEST(Pattern, ACardHoldsEachPatternOnlyOnceEveryCellOfOneOfItsSetsIsMarked)
{
    using K = Pattern::Kind;
    const CardCells::Set frame = CardCells::Row(0) | CardCells::Row(4) | CardCells::Column(0) | CardCells::Column(4);
    // clang-format off
    const struct { K kind; CardCells::Set marked; bool holds; } cases[] = {
        {K::AnyLine, CardCells::Column(3), true}, {K::AnyLine, CardCells::Column(3) & ~CardCells::Cell(8), false},
        {K::TwoLines, CardCells::Row(0) | CardCells::Row(3), true}, {K::TwoLines, CardCells::Row(1) | CardCells::DiagonalFromTopLeft, true},
        {K::TwoLines, CardCells::Row(2) | cellsOf({0, 6, 18}), false},
        {K::FourCorners, cellsOf({0, 4, 20, 24}), true}, {K::FourCorners, cellsOf({0, 4, 20, 23}), false},
        {K::X, CardCells::DiagonalFromTopLeft | CardCells::DiagonalFromTopRight, true}, {K::X, CardCells::DiagonalFromTopLeft, false},
        {K::OuterFrame, frame, true}, {K::OuterFrame, frame & ~CardCells::Cell(24), false},
        {K::FullCard, AllCells, true}, {K::FullCard, AllCells & ~CardCells::Cell(12), false},
    };
    // clang-format on
    for (const auto &c : cases) {
        CardModel card;
        for (int cell = 0; cell < CardCells::Count; ++cell) card.SetMarked(cell, CardCells::Holds(c.marked, cell));
        const Pattern pattern = Pattern::Of(c.kind);
        EXPECT_EQ(!card.Complete(pattern.Shapes()).isEmpty(), c.holds) << pattern.Name().toStdString() << " " << c.marked;
    }
    EXPECT_EQ(Pattern::Of(K::TwoLines).Shapes().size(), 66) << "every pair of the twelve lines once";
}

TEST(Plan, EveryPlanReadsBackFromItsTextAndAnyOtherTextIsNoPlan)
{
    for (const Plan::Preset &preset : Plan::Presets()) {
        const Plan plan = Plan::OfPreset(preset);
        EXPECT_EQ(Plan::FromText(plan.Text()), plan) << plan.Text().toStdString();
    }
    const Plan drawn = *Plan::Of({Pattern::Of(Pattern::Kind::X), *Pattern::Drawn(cellsOf({0, 24})), Pattern::Of(Pattern::Kind::FullCard)});
    EXPECT_EQ(drawn.Text(), u"x@d1000001@full"_s);
    EXPECT_EQ(Plan::FromText(drawn.Text()), drawn);
    EXPECT_EQ(Plan().Text(), u"line"_s) << "what a host that sends no plan plays";
    // Empty, an empty stage, a token unknown, a drawn set empty, beyond the card, not seven digits, upper-case, signed; eleven stages.
    for (const QString &text : {u""_s, u"line@@full"_s, u"line@lines"_s, u"d0000000"_s, u"d2000000"_s, u"d100001"_s, u"d100000A"_s, u"d+100000"_s,
                                u"line@line@line@line@line@line@line@line@line@line@line"_s})
        EXPECT_FALSE(Plan::FromText(text)) << text.toStdString();
}

} // namespace
