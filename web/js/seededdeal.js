// SPDX-License-Identifier: GPL-3.0-or-later
// Cards anybody can deal again, as src/card/seededdeal.cpp deals them: block
// k of a card's draws is the SHA-256 digest of the UTF-8 text
// "SEED|NAME|INDEX|k", read as eight 32-bit big-endian words; a word at or
// above the largest multiple of 99 under 2^32 is skipped, any other word w
// draws w mod 99 + 1, and the draws fill the card as deal() does. The digest
// is the browser's (or Node's) own, which answers asynchronously.

import { HIGHEST_DRAW, deal } from './deal.js';

const WORD_LIMIT = Math.floor(0x100000000 / HIGHEST_DRAW) * HIGHEST_DRAW;
const SEED = /^[0-9a-f]{1,64}$/;

export const isSeed = (text) => SEED.test(text);

// A browser gives a page SHA-256 only in a secure context (https, or the
// host's own machine): elsewhere the page deals its own cards, as a window of
// an earlier release does, and never says it deals from the seed.
export const canDealFromSeed = () => Boolean(globalThis.crypto?.subtle);

async function digest(text) {
  return new DataView(await crypto.subtle.digest('SHA-256', new TextEncoder().encode(text)));
}

// The card `index` of `name` dealt from `seed`: a promise of 25 numbers.
export async function seededCard(seed, name, index) {
  const draws = [];
  for (let k = 0; draws.length < 25; ++k) {
    const block = await digest(`${seed}|${name}|${index}|${k}`);
    for (let at = 0; at < 32 && draws.length < 25; at += 4) {
      const word = block.getUint32(at);
      if (word < WORD_LIMIT) draws.push((word % HIGHEST_DRAW) + 1);
    }
  }
  return deal(() => draws.shift());
}

// A player's two cards.
export const playerCards = (seed, name) => Promise.all([seededCard(seed, name, 0), seededCard(seed, name, 1)]);
