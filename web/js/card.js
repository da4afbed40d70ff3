// SPDX-License-Identifier: GPL-3.0-or-later
// A bingo card without a page, as src/card/cardmodel.h keeps one: 25
// numbers, row by row, and the cells the player has marked. A set of cells is
// a 25-bit mask, bit 5 × row + column; a card wins with a line whose cells are
// all marked. The numbers of a set are handed on in cell order.

import { deal } from './deal.js';

export const SIDE = 5;
export const COUNT = SIDE * SIDE;

export const cell = (index) => 1 << index;
export const holds = (cells, index) => (cells & cell(index)) !== 0;

function row(r) {
  let cells = 0;
  for (let c = 0; c < SIDE; ++c) cells |= cell(r * SIDE + c);
  return cells;
}

function column(c) {
  let cells = 0;
  for (let r = 0; r < SIDE; ++r) cells |= cell(r * SIDE + c);
  return cells;
}

// The winning lines in the order a card reports them when several are
// complete: rows top to bottom, columns left to right, then the diagonal from
// the top left and the one from the top right.
export const LINES = [
  row(0), row(1), row(2), row(3), row(4),
  column(0), column(1), column(2), column(3), column(4),
  cell(0) | cell(6) | cell(12) | cell(18) | cell(24),
  cell(4) | cell(8) | cell(12) | cell(16) | cell(20),
];

export class CardModel {
  constructor(numbers = new Array(COUNT).fill(0), marks = 0) {
    this.numbers = numbers;
    this.marks = marks;
  }

  // Deals 25 new numbers; the marks stay as they are.
  deal(draw) {
    this.numbers = deal(draw);
  }

  isMarked(index) {
    return holds(this.marks, index);
  }

  setMarked(index, marked) {
    this.marks = marked ? this.marks | cell(index) : this.marks & ~cell(index);
  }

  clearMarks() {
    this.marks = 0;
  }

  cellsHolding(n) {
    let cells = 0;
    this.numbers.forEach((number, index) => {
      if (number === n) cells |= cell(index);
    });
    return cells;
  }

  // Marks every cell that holds n; gives the cells that were not marked before.
  markNumber(n) {
    const holding = this.cellsHolding(n);
    const newly = holding & ~this.marks;
    this.marks |= holding;
    return newly;
  }

  // The sets among patterns, in their order, whose cells are all marked.
  complete(patterns = LINES) {
    // An empty set would be complete on every card: it is no pattern.
    return patterns.filter((cells) => cells !== 0 && (cells & this.marks) === cells);
  }

  numbersIn(cells) {
    return this.numbers.filter((_, index) => holds(cells, index));
  }

  completeLines() {
    return this.complete().map((cells) => this.numbersIn(cells));
  }
}
