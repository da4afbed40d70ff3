// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a card gets its numbers: 25 cells filled in index order, each from one
// draw of 1 to 99. A drawn number already on the card moves up to the next
// free number, and past 100 wraps round to the lowest free one, so a card
// always holds 25 different numbers from 1 to 100; 100 itself only comes up
// by moving.

#include <array>
#include <functional>

namespace CardDeal {

inline constexpr int Cells = 25;
inline constexpr int HighestDraw = 99;
inline constexpr int HighestNumber = 100;

// Which numbers are on the card so far; index 0 is never used.
using Taken = std::array<bool, HighestNumber + 1>;

// The number a draw lands on: drawn itself when free, else the first free
// number above it, else the first free number from 1. A draw outside 1 to
// 100 is first brought into that range. Gives 0 only when all 100 are taken.
int Place(const Taken &taken, int drawn);

// Deals one card. draw is asked once per cell, in cell order, and should give
// a number from 1 to 99.
std::array<int, Cells> Deal(const std::function<int()> &draw);

} // namespace CardDeal
