// SPDX-License-Identifier: GPL-3.0-or-later
// Patterns and plans, as src/card/pattern.cpp and src/game/plan.cpp have
// them: a pattern is a list of alternative sets of cells, a plan the
// patterns of a round's stages, first stage first, as the tokens the host
// sends ("line@2lines@full"). A card holds a pattern when its marked cells
// contain one of the alternatives.

import { LINES, cell } from './card.js';

const ALL = (1 << 25) - 1;
const TWO_LINES = LINES.flatMap((first, i) => LINES.slice(i + 1).map((second) => first | second));
const FIXED = {
  line: { name: 'Any line', shapes: LINES, example: LINES[2] },
  '2lines': { name: 'Two lines', shapes: TWO_LINES, example: LINES[1] | LINES[3] },
  corners: { name: 'Four corners', shapes: [cell(0) | cell(4) | cell(20) | cell(24)] },
  x: { name: 'An X', shapes: [LINES[10] | LINES[11]] },
  frame: { name: 'The outer frame', shapes: [LINES[0] | LINES[4] | LINES[5] | LINES[9]] },
  full: { name: 'The full card', shapes: [ALL] },
};
const MOST_STAGES = 10;
const ORDINALS = ['first', 'second', 'third', 'fourth', 'fifth', 'sixth', 'seventh', 'eighth', 'ninth', 'tenth'];

// { token, name, shapes, example } for a token, or null.
export function patternOf(token) {
  const fixed = Object.hasOwn(FIXED, token) ? FIXED[token] : null;
  if (fixed) return { token, example: fixed.shapes[0], ...fixed };
  if (!/^d[0-9a-f]{7}$/.test(token)) return null;
  const cells = parseInt(token.slice(1), 16);
  if (cells === 0 || (cells & ~ALL) !== 0) return null;
  return { token, name: 'A drawn pattern', shapes: [cells], example: cells };
}

// The plan's patterns from its tokens, or null when any is no pattern.
export function planOf(tokens) {
  const patterns = tokens.map(patternOf);
  if (!patterns.length || patterns.length > MOST_STAGES || patterns.includes(null)) return null;
  return patterns;
}

// The plain game: one stage, any line.
export const PLAIN = planOf(['line']);

export const stageName = (stage) => (stage >= 1 && stage <= ORDINALS.length ? `the ${ORDINALS[stage - 1]} stage` : `stage ${stage}`);

// "stage 2 of 3, Two lines".
export const describe = (plan, stage) => `stage ${stage} of ${plan.length}, ${plan[stage - 1].name}`;

// "Ann and Bob share the first stage".
export function shared(names, stage) {
  const listed = names.length < 2 ? names.join('') : `${names.slice(0, -1).join(', ')} and ${names.at(-1)}`;
  return `${listed} share ${stage || 'the game'}`;
}
