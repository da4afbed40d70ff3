// SPDX-License-Identifier: GPL-3.0-or-later
// The browser player's game and link: catch-up, refused claims, the host
// leaving, and a seat kept across a cut connection without loss or repeats.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import './jshash.js';
import { PlayerGame } from '../../web/js/game.js';
import { WebLink } from '../../web/js/link.js';
import { playerCards } from '../../web/js/seededdeal.js';

const Y = '\u00FF';

// A game of Bob's, hosted by Hal, whose cards hold 1 to 25 and 26 to 50.
function bobsGame() {
  const sent = [], lines = [];
  let next = 0;
  const game = new PlayerGame({ myName: 'Bob', hostName: 'Hal', send: (t) => sent.push(t) > 0, draw: () => (next++ % 50) + 1 });
  game.on('log', (kind, line) => lines.push(line));
  const from = (sender, ...data) => data.forEach((d) => game.deliver(sender, d));
  from('[Enter]', 'Hal', 'Bob');
  return { game, sent, lines, from };
}

test('a catch-up starts the round for a newcomer, adds what a player missed, and restarts an earlier round', () => {
  for (const [before, catchUp, order, started] of [
    [[], '1@5@7', [1, 5, 7], true],
    [['2|ResetMe|10', '1|3'], '3@5@7', [3, 5, 7], false],
    [['2|ResetMe|10', '1|3', '1|99'], '3@5@7', [3, 5, 7], true],
    [['2|ResetMe|10', '1|3'], '', [], true],
    [['2|ResetMe|10', '1|3', '3|Ann|1'], '3', [3], true],
  ]) {
    const { game, lines, from } = bobsGame();
    from('Hal', ...before.map((r) => `Comm;${r}`));
    const said = lines.length;
    from('Hal', `Comm;5|Bob|10|${catchUp}`, `Comm;5|Ann|10|${catchUp}@8`);
    assert.deepEqual(game.order, order);
    assert.equal(lines.slice(said).some((l) => l.startsWith('** You joined a round in progress')), started, `${before} ${catchUp}`);
  }
});

test('a claim says why it did not win, and a win ends the round with a banner', () => {
  for (const [why, detail, reason] of [
    ['uncalled', '9', '9 has not been called.'], ['uncalled', '9@12@40', '9, 12 and 40 have not been called.'],
    ['over', '', 'the round is over.'], ['taken', '', 'this round has already been won.'], ['odd', '', 'its line does not hold five called numbers.'],
    ['uncalled', '', 'its line does not hold five called numbers.'],
  ]) {
    const { lines, from } = bobsGame();
    from('Hal', `Comm;6|Bob|${why}|${detail}`);
    assert.equal(lines.at(-1), `** Your claim did not win: ${reason}`);
  }
  const { game, sent, lines, from } = bobsGame();
  const won = [];
  game.on('won', (...w) => won.push(w));
  from('Hal', 'Comm;2|ResetMe|10', ...[1, 2, 3, 4, 5, 77].map((n) => `Comm;1|${n}`));
  for (const cell of [0, 1, 2, 3, 4]) game.toggleMark(0, cell);
  assert.equal(game.bingoLit, true);
  game.claim();
  assert.equal(sent.at(-1), 'Comm;4|Bob|1@2@3@4@5|1');
  from('Hal', 'Comm;3|Bob|2');
  assert.deepEqual([game.bingoLit, won, lines.at(-1)], [false, [['Bob', '2']], '** Bob Has Won The Game! 2 Total Win(s)! **']);
  assert.equal(game.view().winner, 'Bob wins, with 2 wins');
});

test('the announced plan is played stage by stage with the same cards, BINGO! lighting for each pattern, and ties are shared', () => {
  const { game, sent, lines, from } = bobsGame();
  const stages = [];
  game.on('stage', () => stages.push(game.view().stage));
  from('Hal', 'Comm;2|ResetMe|10', 'Comm;10|1|corners@line@full', ...[1, 2, 3, 4, 5, 21, 25].map((n) => `Comm;1|${n}`));
  for (const cell of [0, 1, 2, 3, 4]) game.toggleMark(0, cell);
  assert.equal(game.bingoLit, false, 'a line is not the four corners');
  for (const cell of [20, 24]) game.toggleMark(0, cell);
  game.claim();
  assert.equal(sent.at(-1), 'Comm;4|Bob|1@5@21@25|1');
  from('Hal', 'Comm;3|Bob|1|1', 'Comm;3|Ann|1|1');
  assert.equal(game.bingoLit, true, 'the cards already hold the line of the second stage');
  assert.deepEqual(lines.slice(-3), ['** Bob Has Won the first stage (Four corners)! 1 Total Win(s)! **',
    '** Now playing stage 2 of 3, Any line.', '** Bob and Ann share the first stage! Ann: 1 Total Win(s)! **']);
  from('Hal', 'Comm;3|Ann|2|2', 'Comm;3|Cy|1|3');
  assert.deepEqual([game.inProgress, game.bingoLit, game.view().winner], [false, false, 'Cy wins the third stage, with 1 win']);
  assert.deepEqual(stages, ['', 'Now playing stage 1 of 3, Four corners', 'Now playing stage 2 of 3, Any line',
    'Now playing stage 3 of 3, The full card', '']);
});

test('BINGO! waits while the link is away, and the host leaving ends the round', () => {
  const { game, lines, from } = bobsGame();
  from('Hal', 'Comm;2|ResetMe|10', ...[1, 2, 3, 4, 5].map((n) => `Comm;1|${n}`));
  game.setAutoMark(true);
  assert.equal(game.bingoLit, true, 'auto-marking found the top row');
  game.linkDown('** away');
  game.rejoining();
  from('[Enter]', 'Hal', 'Bob');
  game.reconnected();
  assert.deepEqual([game.bingoLit, lines.at(-1)], [true, '** Back in the game.']);
  assert.equal(lines.filter((l) => l === 'Hal has joined the game.').length, 1, 'the rejoin replay announces nobody');
  from('[Exit]', 'Hal');
  assert.deepEqual([game.bingoLit, lines.at(-1)], [false, '** The round is over: Hal, who hosts this game, has left.']);
});

// Timers that run only when the test moves the time on.
const clock = {
  now: 0, timers: new Map(), last: 0,
  setTimeout(run, ms) { this.timers.set(++this.last, [this.now + ms, run]); return this.last; },
  clearTimeout(id) { this.timers.delete(id); },
  tick(ms) {
    for (let next; (next = [...this.timers].sort((a, b) => a[1][0] - b[1][0])[0]) && next[1][0] <= this.now + ms;) {
      [ms, this.now] = [ms - (next[1][0] - this.now), next[1][0]];
      this.timers.delete(next[0]);
      next[1][1]();
    }
    this.now += ms;
  },
};

// A link to a hub that the test plays: every socket the link opens, and the
// records it wrote there.
function linkToHub() {
  const sockets = [];
  const link = new WebLink({
    clock,
    open: () => {
      const socket = { readyState: 0, records: [], send: (r) => socket.records.push(r), close() { this.readyState = 3; } };
      socket.up = () => { socket.readyState = 1; socket.onopen(); };
      socket.hub = (...frames) => frames.forEach((f) => socket.onmessage({ data: f }));
      return sockets.push(socket) && socket;
    },
  });
  const [events, delivered] = [[], []];
  for (const name of ['joined', 'failed', 'reconnecting', 'rejoining', 'reconnected', 'lost', 'refused'])
    link.on(name, (...v) => events.push([name, ...v]));
  link.on('delivery', (s, d) => delivered.push(`${s}:${d}`));
  return { link, sockets, events, delivered };
}

function joined() {
  const hub = linkToHub();
  hub.link.join('k', 'Bob');
  hub.sockets[0].up();
  hub.sockets[0].hub(`[Hub]${Y}Seat${Y}s3cret`, `[Enter]${Y}Bob`);
  return hub;
}

test('the link joins, acknowledges every 32 deliveries and answers Pings', () => {
  const { link, sockets, events } = joined();
  const socket = sockets[0];
  assert.deepEqual(socket.records, [`G${Y}k${Y}I${Y}0`, `G${Y}k${Y}A${Y} Kalumo Bingo${Y}Bob Kalumo Bingo`, `G${Y}k${Y}K${Y}0`]);
  socket.hub(...Array.from({ length: 33 }, (_, i) => `Hal${Y}Chat;${i}`), `[Hub]${Y}Ping`);
  assert.deepEqual(socket.records.slice(3), [`G${Y}k${Y}K${Y}32`, `G${Y}k${Y}P`, `G${Y}k${Y}K${Y}34`]);
  assert.deepEqual(events, [['joined']]);
  assert.equal(link.seat().count, 34);
  link.leave();
  assert.equal(socket.records.at(-1), `G${Y}k${Y}X`);
});

test('a hub silent for half as long again as the heartbeat it promised is left; one of an earlier release after 45 s', () => {
  for (const [promise, silentMs] of [[[`[Hub]${Y}Heartbeat${Y}3000`, `[Hub]${Y}Beat${Y}2500`], 4500], [[`[Hub]${Y}Ping`], 45000]]) {
    const { sockets, events } = joined();
    sockets[0].hub(...promise);
    clock.tick(silentMs - 1);
    assert.equal(events.length, 1, `${promise}: still joined`);
    clock.tick(1);
    assert.deepEqual(events.map((e) => e[0]), ['joined', 'reconnecting'], `${promise}`);
    assert.ok(!sockets[0].records.includes(`G${Y}k${Y}B`), 'a page does not beat');
    clock.timers.clear();
  }
});

test('a cut link resumes its seat and sends again exactly what the hub never got', () => {
  for (const [replay, resent] of [
    [[`Bob${Y}Chat;one`, `Bob${Y}Chat;two`], []],
    [[`Bob${Y}Chat;one`], ['Chat;two']],
    [[], ['Chat;one', 'Chat;two']],
  ]) {
    const { link, sockets, events, delivered } = joined();
    link.sendMessage('Chat;one');
    link.sendMessage('Chat;two');
    sockets[0].onclose();
    assert.equal(link.sendMessage('Chat;three'), true, 'kept while away');
    clock.tick(500);
    sockets[1].up();
    assert.deepEqual(sockets[1].records, [`G${Y}k${Y}R${Y}Bob${Y}s3cret${Y}1`]);
    sockets[1].hub(...replay, `[Hub]${Y}Resumed`);
    assert.deepEqual(sockets[1].records.slice(1), [...resent, 'Chat;three'].map((t) => `G${Y}k${Y}C${Y}${t}`));
    assert.deepEqual(events.map((e) => e[0]), ['joined', 'reconnecting', 'reconnected']);
    assert.equal(delivered.length, 1 + replay.length);
  }
});

test('a forgotten seat joins afresh, a refusal ends the join, and a hub gone for two minutes is given up', () => {
  const fresh = joined();
  fresh.sockets[0].onclose();
  clock.tick(500);
  fresh.sockets[1].up();
  fresh.sockets[1].hub(`[Hub]${Y}NoSeat${Y}gone`);
  fresh.sockets[2].up();
  assert.deepEqual(fresh.sockets[2].records.map((r) => r.split(Y)[2]), ['I', 'A']);
  assert.equal(fresh.events.at(-1)[0], 'rejoining');

  const refused = linkToHub();
  refused.link.join('k', 'Hal');
  refused.sockets[0].up();
  refused.sockets[0].hub(`[Hub]${Y}Refused${Y}the name "Hal" belongs to this game's host.`);
  assert.deepEqual(refused.events, [['failed', 'the game refused this window: the name "Hal" belongs to this game\'s host.']]);

  const gone = joined();
  gone.sockets[0].onclose();
  for (let i = 0; i < 30; ++i) {
    clock.tick(10000);
    gone.sockets.at(-1).onclose?.();
  }
  // 0.5 + 1 + 2 + 4 + 8 s and then every 10 s, up to two minutes of waits.
  assert.equal(gone.sockets.length, 1 + 5 + 11);
  assert.deepEqual(gone.events.at(-1), ['lost', 'the game host closed the connection']);
});

test('the browser player says it deals from the seed and deals from the round\'s seed or its catch-up\'s', () => {
  const { game, sent, from } = bobsGame();
  assert.deepEqual(sent, ['Comm;9|Bob']);
  for (const [records, seed] of [[['8|5eed', '2|ResetMe|10'], '5eed'], [['5|Bob|10||abc'], 'abc'], [['5|Bob|10||x'], 'abc']]) {
    from('Hal', ...records.map((r) => `Comm;${r}`));
    assert.deepEqual(game.cards.map((card) => card.numbers), playerCards(seed, 'Bob'), records.join(' '));
  }
});

test('a display joins with its record alone, on the hub\'s Display frame, sends nothing, and fails plainly against an earlier hub', () => {
  const display = linkToHub();
  display.link.join('k', '', { display: true });
  display.sockets[0].up();
  display.sockets[0].hub(`[Hub]${Y}Display`, `Hal${Y}Comm;1|7`);
  assert.equal(display.link.sendMessage('Chat;hi'), false);
  display.sockets[0].onclose();
  clock.tick(500);
  display.sockets[1].up();
  display.sockets[1].hub(`[Hub]${Y}Display`);
  assert.deepEqual(display.sockets.map((s) => s.records), [[`G${Y}k${Y}D`], [`G${Y}k${Y}D`]]);
  assert.deepEqual(display.events.map((e) => e[0]), ['joined', 'reconnecting', 'rejoining', 'reconnected']);

  const old = linkToHub();
  old.link.join('k', '', { display: true });
  old.sockets[0].up();
  old.sockets[0].onclose();
  assert.match(old.events[0][1], /earlier release takes no display seats/);
});
