// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bingo card without a window: 25 numbers, row by row, and the cells the
// player has marked. A card wins with a pattern whose cells are all marked.
//
// A set of cells is a 25-bit mask, bit 5 × row + column for each cell; a
// pattern is one such set, and a game's patterns are a list of them. The
// twelve lines (five rows, five columns, two diagonals) are the patterns of
// this game. The numbers of a set are always handed on in cell order, which
// for a line is left to right, top to bottom.

#include <QList>
#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace CardCells {

using Set = std::uint32_t;

inline constexpr int Side = 5;
inline constexpr int Count = Side * Side;

constexpr Set Cell(int index) { return Set(1) << index; }

constexpr bool Holds(Set cells, int index) { return (cells & Cell(index)) != 0; }

constexpr Set Row(int row)
{
    Set cells = 0;
    for (int column = 0; column < Side; ++column)
        cells |= Cell(row * Side + column);
    return cells;
}

constexpr Set Column(int column)
{
    Set cells = 0;
    for (int row = 0; row < Side; ++row)
        cells |= Cell(row * Side + column);
    return cells;
}

inline constexpr Set DiagonalFromTopLeft = Cell(0) | Cell(6) | Cell(12) | Cell(18) | Cell(24);
inline constexpr Set DiagonalFromTopRight = Cell(4) | Cell(8) | Cell(12) | Cell(16) | Cell(20);

// The winning lines in the order a card reports them when several are
// complete: rows top to bottom, columns left to right, then the diagonal
// from the top left and the one from the top right.
inline constexpr std::array<Set, 12> Lines = {
    Row(0),
    Row(1),
    Row(2),
    Row(3),
    Row(4),
    Column(0),
    Column(1),
    Column(2),
    Column(3),
    Column(4),
    DiagonalFromTopLeft,
    DiagonalFromTopRight,
};

} // namespace CardCells

class CardModel
{
public:
    using Numbers = std::array<int, CardCells::Count>;

    // Deals 25 new numbers (see CardDeal::Deal); the marks stay as they are.
    void Deal(const std::function<int()> &draw);
    void SetNumbers(const Numbers &numbers) { m_numbers = numbers; }

    const Numbers &AllNumbers() const { return m_numbers; }
    int Number(int cell) const { return m_numbers[cell]; }
    CardCells::Set Marks() const { return m_marks; }
    bool IsMarked(int cell) const { return CardCells::Holds(m_marks, cell); }

    void SetMarked(int cell, bool marked);
    void ClearMarks() { m_marks = 0; }
    // The cells that hold n: none, or one when the card was dealt.
    CardCells::Set CellsHolding(int n) const;
    // Marks every cell that holds n; the cells that were not marked before.
    CardCells::Set MarkNumber(int n);

    // The sets among `patterns`, in their order, whose cells are all marked.
    QList<CardCells::Set> Complete(std::span<const CardCells::Set> patterns = CardCells::Lines) const;
    // The numbers on the cells of a set, in cell order.
    QList<int> NumbersIn(CardCells::Set cells) const;
    // The numbers of every complete set among `patterns` (the lines unless
    // told), in their order.
    QList<QList<int>> CompleteLines(std::span<const CardCells::Set> patterns = CardCells::Lines) const;

private:
    Numbers m_numbers{};
    CardCells::Set m_marks = 0;
};
