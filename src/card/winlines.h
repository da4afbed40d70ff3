#pragma once
// The card's winning lines: 5 rows, 5 columns and 2 diagonals, each written
// as its five cell indexes joined by "-" (cell index = 5 × row + column). The
// order of the table decides which line is reported when several are
// complete, and the order within a text is the order in which the line's
// numbers are handed on.

#include <QStringList>
#include <array>
#include <optional>

namespace WinLines {

inline constexpr int Count = 12;

// The 12 lines: rows top to bottom, columns left to right, then the diagonal
// from the top left and the one from the top right.
QStringList LoadLines();

// The cells of the first line, in table order, whose five cells are all
// marked, in the order its text lists them; nothing when no line is complete.
// A text that does not name five cells of the card is never complete.
std::optional<std::array<int, 5>> FirstComplete(const QStringList &lines, const std::array<bool, 25> &marked);
// Every such line, in table order.
QList<std::array<int, 5>> AllComplete(const QStringList &lines, const std::array<bool, 25> &marked);

} // namespace WinLines
