// SPDX-License-Identifier: GPL-3.0-or-later
// The command records that keep every player of a game in step, read and
// written as src/game/commandrecord.cpp does: fields joined by "|", the first
// a whole number, the kind. A record the program never sends (an unknown
// kind, a kind or called number that is not a whole number, a called number
// outside 1 to 100, a seed that is not one, a missing field) reads as null, and is then ignored.

export const Kind = Object.freeze({
  NumberCalled: 1,
  NewGame: 2,
  WinConfirmed: 3,
  Claim: 4,
  CatchUp: 5,
  ClaimRefused: 6,
  RoundSeed: 8,
  DealsFromSeed: 9,
  StagePlan: 10,
});

import { isSeed } from './seededdeal.js';

const DECIMAL = /^\s*[+-]?(\d+\.?\d*|\.\d+)\s*$/;
const INT_MIN = -2147483648;
const INT_MAX = 2147483647;

// The whole number a text holds, or null: decimal text that needs no rounding
// ("7", "07", " 7 ", "7."), within the range of a 32-bit int.
export function wholeNumber(text) {
  if (!DECIMAL.test(text)) return null;
  const value = Number(text.trim());
  if (!Number.isInteger(value) || value < INT_MIN || value > INT_MAX) return null;
  return value === 0 ? 0 : value;
}

const items = (field, skipEmpty) => field.split('@').filter((item) => !skipEmpty || item !== '');

// { kind, number, text, name, items, seed, cardUnchecked, stage } or null; see
// the constructors below for what each field holds in each kind. A win's stage
// is 0 when the record names none (a host of an earlier release).
export function readRecord(record) {
  const fields = record.split('|');
  const kind = wholeNumber(fields[0]);
  const read = { kind, number: 0, text: '', name: '', items: [], seed: '', cardUnchecked: false, stage: 0 };
  switch (kind) {
    case Kind.NumberCalled: {
      const called = fields.length < 2 ? null : wholeNumber(fields[1]);
      if (called === null || called < 1 || called > 100) return null;
      return { ...read, number: called, text: fields[1] };
    }
    case Kind.NewGame:
      return fields.length < 3 ? null : { ...read, text: fields[2] };
    case Kind.WinConfirmed:
      if (fields.length < 3) return null;
      return {
        ...read, name: fields[1], text: fields[2], cardUnchecked: fields[4] === 'unchecked',
        stage: fields.length < 4 ? 0 : Math.max(wholeNumber(fields[3]) ?? 0, 0),
      };
    case Kind.StagePlan: {
      const stage = fields.length < 3 ? null : wholeNumber(fields[1]);
      return stage === null ? null : { ...read, stage, items: items(fields[2], false) };
    }
    case Kind.Claim:
      return fields.length < 3 ? null : { ...read, name: fields[1], items: items(fields[2], false) };
    case Kind.CatchUp:
    case Kind.ClaimRefused:
      if (fields.length < 4) return null;
      return {
        ...read, name: fields[1], text: fields[2], items: items(fields[3], true),
        seed: kind === Kind.CatchUp && isSeed(fields[4] ?? '') ? fields[4] : '',
      };
    case Kind.RoundSeed:
      return fields.length < 2 || !isSeed(fields[1]) ? null : { ...read, seed: fields[1] };
    case Kind.DealsFromSeed:
      return fields.length < 2 ? null : { ...read, name: fields[1] };
    default:
      return null;
  }
}

export const makeDealsFromSeed = (name) => `9|${name}`;
export const makeClaim = (name, numbers, stage) => `4|${name}|${numbers.join('@')}|${stage}`;
