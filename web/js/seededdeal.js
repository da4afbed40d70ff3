// SPDX-License-Identifier: GPL-3.0-or-later
// Cards anybody can deal again, as src/card/seededdeal.cpp deals them: block
// k of a card's draws is the SHA-256 digest of the UTF-8 text
// "SEED|NAME|INDEX|k", read as eight 32-bit big-endian words; a word at or
// above the largest multiple of 99 under 2^32 is skipped, any other word w
// draws w mod 99 + 1, and the draws fill the card as deal() does.
//
// The digest is rstr_sha256 of jshash/sha256.js, which index.html loads as a
// classic script before the modules: a browser keeps its own crypto.subtle
// from a page served over plain http, as a hub on the room's network is.

import { HIGHEST_DRAW, deal } from './deal.js';

const WORD_LIMIT = Math.floor(0x100000000 / HIGHEST_DRAW) * HIGHEST_DRAW;
const SEED = /^[0-9a-f]{1,64}$/;

export const isSeed = (text) => SEED.test(text);

// The 32 bytes of the digest of text's UTF-8, as a string of char codes 0 to 255.
function digest(text) {
  return globalThis.rstr_sha256(String.fromCharCode(...new TextEncoder().encode(text)));
}

const wordAt = (block, at) =>
  ((block.charCodeAt(at) << 24) | (block.charCodeAt(at + 1) << 16) | (block.charCodeAt(at + 2) << 8) | block.charCodeAt(at + 3)) >>> 0;

// The 25 numbers of card `index` of `name` dealt from `seed`.
export function seededCard(seed, name, index) {
  const draws = [];
  for (let k = 0; draws.length < 25; ++k) {
    const block = digest(`${seed}|${name}|${index}|${k}`);
    for (let at = 0; at < 32 && draws.length < 25; at += 4) {
      const word = wordAt(block, at);
      if (word < WORD_LIMIT) draws.push((word % HIGHEST_DRAW) + 1);
    }
  }
  return deal(() => draws.shift());
}

// A player's two cards.
export const playerCards = (seed, name) => [seededCard(seed, name, 0), seededCard(seed, name, 1)];
