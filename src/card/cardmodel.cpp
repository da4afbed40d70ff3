// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/cardmodel.h"

#include "card/deal.h"

static_assert(CardCells::Row(1) == 0b11111'00000);
static_assert(CardCells::Column(4)
              == (CardCells::Cell(4) | CardCells::Cell(9) | CardCells::Cell(14) | CardCells::Cell(19)
                  | CardCells::Cell(24)));

void CardModel::Deal(const std::function<int()> &draw) { m_numbers = CardDeal::Deal(draw); }

void CardModel::SetMarked(int cell, bool marked)
{
    if (marked)
        m_marks |= CardCells::Cell(cell);
    else
        m_marks &= ~CardCells::Cell(cell);
}

CardCells::Set CardModel::CellsHolding(int n) const
{
    CardCells::Set holding = 0;
    for (int cell = 0; cell < CardCells::Count; ++cell) {
        if (m_numbers[cell] == n)
            holding |= CardCells::Cell(cell);
    }
    return holding;
}

CardCells::Set CardModel::MarkNumber(int n)
{
    const CardCells::Set holding = CellsHolding(n);
    const CardCells::Set newly = holding & ~m_marks;
    m_marks |= holding;
    return newly;
}

QList<CardCells::Set> CardModel::Complete(std::span<const CardCells::Set> patterns) const
{
    QList<CardCells::Set> complete;
    for (const CardCells::Set cells : patterns) {
        // An empty set would be complete on every card: it is no pattern.
        if (cells != 0 && (cells & m_marks) == cells)
            complete << cells;
    }
    return complete;
}

QList<int> CardModel::NumbersIn(CardCells::Set cells) const
{
    QList<int> numbers;
    for (int cell = 0; cell < CardCells::Count; ++cell) {
        if (CardCells::Holds(cells, cell))
            numbers << m_numbers[cell];
    }
    return numbers;
}

QList<QList<int>> CardModel::CompleteLines(std::span<const CardCells::Set> patterns) const
{
    QList<QList<int>> lines;
    for (const CardCells::Set cells : Complete(patterns))
        lines << NumbersIn(cells);
    return lines;
}
