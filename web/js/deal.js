// SPDX-License-Identifier: GPL-3.0-or-later
// How a card gets its numbers, as src/card/deal.cpp deals them: 25 cells
// filled in cell order, each from one draw of 1 to 99. A drawn number already
// on the card moves up to the next free number, and past 100 wraps round to
// the lowest free one, so a card always holds 25 different numbers from 1 to
// 100; 100 itself only comes up by moving.

export const CELLS = 25;
export const HIGHEST_DRAW = 99;
export const HIGHEST_NUMBER = 100;

// The number a draw lands on: drawn itself when free, else the first free
// number above it, else the first free number from 1. taken[n] is true for
// the numbers on the card so far. 0 only when all 100 are taken.
export function place(taken, drawn) {
  // Only a faulty draw source could step outside the range; clamping keeps
  // the card whole.
  const start = Math.min(Math.max(Math.trunc(drawn) || 1, 1), HIGHEST_NUMBER);
  for (let n = start; n <= HIGHEST_NUMBER; ++n) if (!taken[n]) return n;
  for (let n = 1; n < start; ++n) if (!taken[n]) return n;
  return 0;
}

// One card: draw() is asked once per cell, in cell order, for 1 to 99.
export function deal(draw) {
  const taken = new Array(HIGHEST_NUMBER + 1).fill(false);
  const numbers = [];
  for (let cell = 0; cell < CELLS; ++cell) {
    const number = place(taken, draw());
    taken[number] = true;
    numbers.push(number);
  }
  return numbers;
}

// A draw of 1 to highest, each equally likely, from the browser's (or Node's)
// cryptographic source: no two tabs opened at once deal alike.
export function randomDraw(highest = HIGHEST_DRAW) {
  const limit = Math.floor(0x100000000 / highest) * highest;
  const word = new Uint32Array(1);
  do crypto.getRandomValues(word); while (word[0] >= limit);
  return (word[0] % highest) + 1;
}
