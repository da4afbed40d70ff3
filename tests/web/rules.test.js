// SPDX-License-Identifier: GPL-3.0-or-later
// The browser player's game rules: dealing, lines, the claim choice, names
// and the records it reads and writes.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { deal, place, randomDraw } from '../../web/js/deal.js';
import { CardModel } from '../../web/js/card.js';
import { claimLine } from '../../web/js/claim.js';
import { refusal } from '../../web/js/playername.js';
import { readRecord, wholeNumber } from '../../web/js/commandrecord.js';
import { chatMessage, cutChatLine, emoteLogLine, chatLogLine } from '../../web/js/messagetext.js';
import { counts, readDelivery } from '../../web/js/delivery.js';
import { words } from '../../web/js/callertext.js';
import './jshash.js';
import { seededCard } from '../../web/js/seededdeal.js';
import { readFileSync } from 'node:fs';

test('cards dealt from a seed are the ones the windows deal (tests/card/seededcards.json)', () => {
  const table = JSON.parse(readFileSync(new URL('../card/seededcards.json', import.meta.url)));
  for (const { seed, name, index, numbers } of table) assert.deepEqual(seededCard(seed, name, index), numbers, name);
});

const takenOf = (...numbers) => Object.assign(new Array(101).fill(false), ...numbers.map((n) => ({ [n]: true })));

test('a drawn number already on the card moves to the next free one, wrapping past 100', () => {
  for (const [taken, drawn, lands] of [
    [[], 7, 7], [[7, 8], 7, 9], [[99, 100], 99, 1], [[99, 100, 1, 2], 100, 3], [[], 0, 1], [[], 250, 100],
  ])
    assert.equal(place(takenOf(...taken), drawn), lands, `${drawn} with ${taken}`);
});

test('a dealt card holds 25 different numbers, and 100 only by moving', () => {
  const sequence = [99, 99, 99, ...Array.from({ length: 22 }, (_, i) => i + 1)];
  assert.deepEqual(deal(() => sequence.shift()).slice(0, 3), [99, 100, 1]);
  let hundreds = 0;
  for (let i = 0; i < 1000; ++i) {
    const numbers = deal(() => randomDraw());
    assert.equal(new Set(numbers).size, 25);
    assert.ok(numbers.every((n) => n >= 1 && n <= 100));
    hundreds += numbers.includes(100);
  }
  // 100 needs a 99 drawn onto a taken 99: rare, but it happens.
  assert.ok(hundreds > 0 && hundreds < 100, `${hundreds} cards with 100`);
});

test('complete lines come in the card order: rows, columns, then both diagonals', () => {
  const card = new CardModel(Array.from({ length: 25 }, (_, i) => i + 1));
  for (const i of [4, 8, 12, 16, 20, 0, 1, 2, 3, 5, 10, 15]) card.setMarked(i, true);
  assert.deepEqual(card.completeLines(), [[1, 2, 3, 4, 5], [1, 6, 11, 16, 21], [5, 9, 13, 17, 21]]);
  card.setMarked(12, false);
  assert.deepEqual(card.completeLines(), [[1, 2, 3, 4, 5], [1, 6, 11, 16, 21]]);
  assert.deepEqual([card.markNumber(13), card.markNumber(13)], [1 << 12, 0], 'only the newly marked cell, once');
});

test('BINGO! claims the last reported line only while it is complete and called', () => {
  const called = (n) => n < 50;
  const [a, b, c] = [[1, 2, 3, 4, 5], [6, 7, 8, 9, 10], [60, 2, 3, 4, 5]];
  for (const [complete, last, claimed] of [
    [[a, b], b, b], // the last reported, called
    [[a, b], c, a], // the last reported is not called: the first that is
    [[b], a, b], // the last reported is no longer complete
    [[c], c, c], // nothing called: the last reported, to be refused
    [[], [], []],
  ])
    assert.deepEqual(claimLine(complete, last, called), claimed);
});

test('names the game cannot carry are refused with the reason', () => {
  for (const [name, reason] of [
    ['Ann', ''], ['Zoë 2', ''], ['日本かな', ''], ['x'.repeat(32), ''], ['', 'empty'], ['x'.repeat(33), 'longer than 32'],
    [' Ann', 'blank'], ['Ann\u3000', 'blank'], ['[Hub]', 'start with'], ['*x', 'start with'], ['a|b', 'hold "|"'],
    ['a\u00FFb', 'hold "|"'], ['a\u200Db', 'control'], ['a\u0007', 'control'], ['\uD800x', 'control'], ['\uE000', 'control'],
    ['Аnn', 'mix'], ['Ann日', 'mix'],
  ])
    assert.ok(reason ? refusal(name).includes(reason) : refusal(name) === '', `${JSON.stringify(name)}: ${refusal(name)}`);
});

test('command records read as the windows write them, and nothing else reads', () => {
  for (const [record, read] of [
    ['1|42', { kind: 1, number: 42, text: '42' }], ['1| 07 ', { kind: 1, number: 7 }], ['1|100.', { kind: 1, number: 100 }],
    ['1|0', null], ['1|101', null], ['1|4.5', null], ['1', null], ['11|x|y', null], ['10|x|y', null], ['x|1', null], ['2|ResetMe', null],
    ['2|ResetMe|10', { kind: 2, text: '10' }], ['3|Ann|2', { kind: 3, name: 'Ann', text: '2' }],
    ['5|Bob|10|', { kind: 5, name: 'Bob', items: [] }], ['5|Bob|10|3@17', { kind: 5, items: ['3', '17'] }],
    ['6|Bob|uncalled|9@12', { kind: 6, text: 'uncalled', items: ['9', '12'] }], ['6|Bob|over', null],
    ['8|5eed', { kind: 8, seed: '5eed' }], ['8|5EED', null], ['3|Ann|2|1|unchecked', { cardUnchecked: true, stage: 1 }],
    ['5|Bob|10|3|abc', { seed: 'abc' }], ['5|Bob|10|3|x', { seed: '' }], ['9|Bob', { kind: 9, name: 'Bob' }],
  ]) {
    const got = readRecord(record);
    if (read === null) assert.equal(got, null, record);
    else for (const [field, value] of Object.entries(read)) assert.deepEqual(got[field], value, `${record} ${field}`);
  }
  assert.deepEqual(['2147483647', '2147483648', '-2147483648', '-2147483649'].map(wholeNumber), [2147483647, null, -2147483648, null]);
});

test('chat lines lose every ";" and are cut to 400 units, never through a pair; calls are said in words', () => {
  assert.equal(chatMessage('a;b;'), 'Chat;ab');
  const x = (n) => 'x'.repeat(n);
  assert.deepEqual([x(400), x(401), `${x(395)}😀x${x(9)}`].map(cutChatLine), [x(400), `${x(396)} [\u2026]`, `${x(395)} [\u2026]`]);
  assert.deepEqual([chatLogLine('Ann', 'hi'), emoteLogLine('Ann', '\\waves')], ['Ann:           hi', '*Ann waves']);
  assert.deepEqual([7, 19, 20, 42, 100, 0].map(words), ['Seven', 'Nineteen', 'Twenty', 'Forty-two', 'One hundred', '0']);
});

test('a right-to-left name is isolated in the lines that show it, even cut; any other is left as it is', () => {
  const cut = '\u05d0'.repeat(20); // loses its ":" to the sender field
  for (const [name, shown, field] of [['سارة', '\u2068سارة\u2069', ':          '], ['Zoë', 'Zoë', ':           '], [cut, `\u2068${cut.slice(0, 15)}\u2069`, '']])
    assert.deepEqual([chatLogLine(name, 'hi'), emoteLogLine(name, '\\waves')], [`${shown}${field}hi`, `*${shown} waves`]);
});

test('a delivery counts only from whom its kind may come, in the game it is meant for', () => {
  for (const [sender, data, me, takes] of [
    ['Hal', 'Comm;1|5', 'Bob', true], ['Eve', 'Comm;1|5', 'Bob', false],
    ['Hal', 'Comm;6|Bob|over|', 'Bob', true], ['Hal', 'Comm;6|Ann|over|', 'Bob', false],
    ['Eve', 'Comm;3|Eve|1', 'Bob', false], ['Ann', 'Comm;4|Ann|1@2@3@4@5', 'Bob', false],
    ['Eve', 'xChat;hi', 'Bob', true], ['Eve', 'Chat;/call 5', 'Bob', false], ['[Enter]', 'Eve', 'Bob', true],
  ]) {
    const delivery = readDelivery(sender, data);
    assert.equal(!!delivery && counts(delivery, me, 'Hal'), takes, `${sender} ${data}`);
  }
  assert.equal(readDelivery('Eve', 'Later;thing'), null);
});
