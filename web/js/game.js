// SPDX-License-Identifier: GPL-3.0-or-later
// One browser player's side of the game, without a page: it takes every
// delivery, decides what it means (readDelivery, counts) and carries it out,
// keeps the two cards, the numbers called and who is in the game, sends what
// its player does, and says through events what the page must show. It
// plays as src/game/bingogame.cpp and bingogameplayers.cpp do for a player
// who does not host, with the cards and BINGO! of src/window (ctlcard.cpp,
// frmmain.cpp): the page only draws what it is told.
//
// A round is played in the stages of the plan the host announces
// (src/game/bingogamestages.cpp); without one, it is one stage, any line.
//
// Events: log(kind, line) with kind welcome, alert, chat, announcement or
// emote; players(list); cards(); view(); bingo(lit); won(name, total); stage();
// speak(words); started(seconds); linkDown(); linkBack(); joined().
//
// A round begun after the host's seed deals its cards from that seed at once
// (bingogamecards.cpp); one begun without a seed keeps the tab's own draw.

import { CardModel } from './card.js';
import { claimLine } from './claim.js';
import { Kind, makeClaim, makeDealsFromSeed, wholeNumber } from './commandrecord.js';
import { ChatCommand, ChatLine, Emote, Entered, Exited, counts, readDelivery } from './delivery.js';
import { randomDraw } from './deal.js';
import { playerCards } from './seededdeal.js';
import { Emitter } from './emitter.js';
import { chatLogLine, chatMessage, commandMessage, emoteLogLine } from './messagetext.js';
import * as CallerText from './callertext.js';
import { PLAIN, describe, planOf, shared, stageName } from './pattern.js';
import { shown } from './playername.js';

export const HIGHEST = 100;

// "17", "17 and 42", "17, 42 and 63".
const listed = (items) => (items.length < 2 ? items.join('') : `${items.slice(0, -1).join(', ')} and ${items.at(-1)}`);

export class PlayerGame extends Emitter {
  // send(messageText) hands a message to the link: false once it has ended.
  constructor({ myName, hostName, send, draw = randomDraw }) {
    super();
    Object.assign(this, { myName, hostName, send, draw });
    this.cards = [new CardModel(), new CardModel()];
    this.cards.forEach((card) => card.deal(draw));
    this.order = []; // the numbers called in this round, in call order
    this.seconds = '';
    this.inProgress = false;
    this.checking = true; // whether the cards look for lines
    this.lastLine = []; // the line a card reported last
    this.bingoLit = false;
    this.linkIsDown = false;
    this.bingoWhenBack = false;
    this.autoMark = false;
    this.allCalledSaid = false;
    this.players = [];
    this.listedBefore = [];
    this.joined = false;
    this.nextSeed = ''; // announced for the next new game
    this.dealSeed = ''; // the cards come from it; empty: the tab's own draw
    this.plan = PLAIN;
    this.stage = 1;
    this.stageWinners = [];
    this.wonStage = 0;
  }

  isCalled(n) {
    return this.order.includes(n);
  }

  deliver(sender, data) {
    const delivery = readDelivery(sender, data);
    if (!delivery || !counts(delivery, this.myName, this.hostName)) return;
    const { kind, text, record } = delivery;
    if (kind === Entered) this.#playerEntered(text);
    else if (kind === Exited) this.#playerExited(text);
    else if (kind === ChatLine) this.emit('log', 'chat', chatLogLine(sender, text));
    else if (kind === Emote) this.emit('log', 'emote', emoteLogLine(sender, text));
    else if (kind === ChatCommand) return; // only the host's caller runs them
    else this.#carryOut(record);
  }

  #carryOut(record) {
    switch (record.kind) {
      case Kind.NumberCalled:
        this.emit('log', 'announcement', `** The Number (${record.text}) Has Been Called.`);
        this.#markCalled(record.number);
        this.emit('speak', CallerText.words(record.number));
        this.emit('view');
        break;
      case Kind.NewGame:
        this.#startRound(record.text);
        this.emit('log', 'chat', '** A New Game Has Been Started.');
        break;
      case Kind.WinConfirmed:
        this.#won(record.name, record.text, record.stage, record.cardUnchecked);
        break;
      case Kind.RoundSeed:
        this.nextSeed = record.seed;
        break;
      case Kind.StagePlan:
        this.#takePlan(record.stage, record.items);
        break;
      case Kind.CatchUp:
        this.#catchUp(record.text, record.items, record.seed);
        break;
      case Kind.ClaimRefused:
        this.#sayClaimRefused(record.text, record.items);
        break;
    }
  }

  #startRound(seconds) {
    this.order = [];
    this.seconds = seconds;
    this.inProgress = true;
    this.allCalledSaid = false;
    this.winner = null;
    this.#dealCards(this.nextSeed);
    this.nextSeed = '';
    this.checking = true;
    Object.assign(this, { plan: PLAIN, stage: 1, stageWinners: [], wonStage: 0 });
    this.emit('started', seconds);
    this.emit('stage');
    this.emit('cards');
    this.emit('view');
  }

  // New cards with no marks: from the seed, or the tab's own draw without one.
  #dealCards(seed) {
    this.dealSeed = seed;
    const seeded = seed ? playerCards(seed, this.myName) : [];
    this.cards.forEach((card, index) => {
      card.clearMarks();
      if (seed) card.numbers = seeded[index];
      else card.deal(this.draw);
    });
  }

  #markCalled(n) {
    if (this.isCalled(n)) return;
    this.order.push(n);
    if (this.autoMark) this.#markOnCards(n);
    if (this.inProgress && !this.allCalledSaid && this.order.length >= HIGHEST) {
      this.allCalledSaid = true;
      this.emit('log', 'announcement', '** All 100 numbers have been called and nobody has won yet.');
    }
  }

  #winningStage() {
    return this.plan.length > 1 && this.wonStage >= 1 && this.wonStage <= this.plan.length ? stageName(this.wonStage) : '';
  }

  #won(name, total, stage, cardUnchecked) {
    const unchecked = cardUnchecked ? ' (card not checked)' : '';
    if (stage > 0 && stage === this.wonStage) {
      // A second winner of the stage just won shares it.
      if (this.stageWinners.includes(name)) return;
      this.stageWinners.push(name);
      const words = shared(this.stageWinners.map(shown), this.plan.length > 1 ? stageName(stage) : '');
      this.emit('log', 'announcement', `** ${words}! ${shown(name)}: ${total} Total Win(s)! **${unchecked}`);
    } else {
      Object.assign(this, { wonStage: stage, stageWinners: [name], winner: { name, total } });
      const won = this.#winningStage();
      this.emit('log', 'announcement', won
        ? `** ${shown(name)} Has Won ${won} (${this.plan[stage - 1].name})! ${total} Total Win(s)! **${unchecked}`
        : `** ${shown(name)} Has Won The Game! ${total} Total Win(s)! **${unchecked}`);
      if (stage > 0 && stage < this.plan.length) {
        this.stage = stage + 1;
        this.emit('log', 'announcement', `** Now playing ${describe(this.plan, this.stage)}.`);
        // The same cards play on: BINGO! waits for the next pattern.
        this.lastLine = [];
        this.#lightBingo(false);
        for (const card of this.cards) this.#checkLines(card);
      } else {
        this.stage = this.plan.length + 1;
        this.inProgress = false;
        this.#roundOver();
      }
      this.emit('stage');
    }
    this.emit('won', name, total);
    this.emit('speak', this.view().winner);
    this.emit('view');
  }

  #takePlan(stage, tokens) {
    const plan = planOf(tokens);
    if (!plan || stage < 1 || stage > plan.length) return; // a plan this page cannot play
    if (tokens.join('@') === this.plan.map((p) => p.token).join('@') && stage === this.stage) return;
    Object.assign(this, { plan, stage });
    if (plan.length > 1) this.emit('log', 'announcement', `** Now playing ${describe(plan, stage)}.`);
    this.emit('stage');
    this.emit('view');
  }

  // The sets a card must hold now: none once every stage is won.
  stageShapes() {
    return this.stage <= this.plan.length ? this.plan[this.stage - 1].shapes : [];
  }

  #roundOver() {
    this.checking = false;
    this.bingoWhenBack = false;
    this.#lightBingo(false);
  }

  #catchUp(seconds, numbers, seed) {
    // A game already in the round keeps its cards and only adds the calls it
    // missed. One holding a number the host's round never called is still in
    // an earlier round (it was away while that one ended), and joins this one
    // as a newcomer does.
    const joining = !this.inProgress || this.order.some((n) => !numbers.includes(String(n)));
    if (joining) {
      this.nextSeed = seed;
      this.#startRound(seconds);
    } else if (seed && seed !== this.dealSeed) {
      // A fresh join mid-round: the host deals it anew, and the calls it
      // already holds are marked again on the new cards.
      this.#dealCards(seed);
      if (this.autoMark) for (const n of this.order) this.#markOnCards(n);
      this.emit('cards');
    }
    for (const item of numbers) {
      const n = wholeNumber(item);
      if (n !== null && n >= 1 && n <= HIGHEST) this.#markCalled(n);
    }
    this.emit('view');
    if (joining)
      this.emit('log', 'announcement',
        `** You joined a round in progress: ${this.order.length} number(s) had been called before you came.`);
  }

  #sayClaimRefused(why, detail) {
    let reason = 'its line does not hold five called numbers.';
    if (why === 'over') reason = 'the round is over.';
    else if (why === 'taken') reason = 'this round has already been won.';
    else if (why === 'stage') reason = 'that stage is not being played.';
    else if (why === 'pattern') reason = 'its numbers do not make the pattern of the stage.';
    else if (why === 'uncalled' && detail.length === 1) reason = `${detail[0]} has not been called.`;
    else if (why === 'uncalled' && detail.length > 1) reason = `${listed(detail)} have not been called.`;
    else if (why === 'notoncard') reason = `${listed(detail)} ${detail.length === 1 ? 'is' : 'are'} not on your cards.`;
    else if (why === 'noline') reason = 'its numbers do not make the pattern on your card.';
    else if (why === 'early') reason = 'its line was complete before you joined: it wins only with a number called since.';
    else if (why === 'unchecked')
      reason = "the host can check only cards dealt from its seed, and this window's were not.";
    this.emit('log', 'announcement', `** Your claim did not win: ${reason}`);
  }

  #playerEntered(name) {
    this.players.push(name);
    // After a fresh join the game lists who is there again; those listed
    // before are not announced twice.
    const before = this.listedBefore.indexOf(name);
    if (before >= 0) this.listedBefore.splice(before, 1);
    else this.emit('log', 'welcome', `${shown(name)} has joined the game.`);
    this.emit('players', this.players);
    // Told the host at every join of our own (a fresh join after a lost seat
    // is a new player to the host), or when the host comes later.
    const hostHere = name === this.myName ? this.players.includes(this.hostName) : name === this.hostName;
    if (hostHere && this.players.includes(this.myName))
      this.#send(commandMessage(makeDealsFromSeed(this.myName)));
    if (name !== this.myName || this.joined) return;
    // Our own arrival ends the list of those who were here before us.
    this.joined = true;
    if (!this.players.includes(this.hostName)) {
      let line = `** ${shown(this.hostName)}, who hosts this game, is not here: no numbers will be called until ${shown(this.hostName)} joins.`;
      for (const player of this.players)
        if (player.toLowerCase() === this.hostName.toLowerCase()) line += ` ${shown(player)} is here: did you mean ${shown(player)}?`;
      this.emit('log', 'announcement', line);
    }
    this.emit('joined');
  }

  #playerExited(name) {
    // Only a listed player can leave: the hub's word on anybody else changes nothing.
    const at = this.players.indexOf(name);
    if (at < 0) return;
    this.players.splice(at, 1);
    this.emit('players', this.players);
    this.emit('log', 'alert', `${shown(name)} has left the game.`);
    if (name !== this.hostName || !this.inProgress) return;
    this.inProgress = false;
    this.emit('log', 'announcement', `** The round is over: ${shown(name)}, who hosts this game, has left.`);
    this.#roundOver();
  }

  // What the player does on a card: toggles the mark of one cell.
  toggleMark(cardIndex, cell) {
    const card = this.cards[cardIndex];
    card.setMarked(cell, !card.isMarked(cell));
    this.emit('cards');
    this.#checkLines(card);
  }

  #markOnCards(n) {
    for (const card of this.cards) if (card.markNumber(n)) this.#checkLines(card);
    this.emit('cards');
  }

  // A card that holds a complete line reports its first one; while a round
  // is in progress that lights BINGO!. An incomplete card takes back nothing.
  #checkLines(card) {
    if (!this.checking) return;
    const complete = card.complete(this.stageShapes());
    if (!complete.length) return;
    this.lastLine = card.numbersIn(complete[0]);
    if (!this.inProgress) return;
    if (this.linkIsDown) this.bingoWhenBack = true;
    else this.#lightBingo(true);
  }

  #lightBingo(lit) {
    if (this.bingoLit === lit) return;
    this.bingoLit = lit;
    this.emit('bingo', lit);
  }

  setAutoMark(on) {
    const switchedOn = on && !this.autoMark;
    this.autoMark = on;
    if (switchedOn) for (const n of this.order) this.#markOnCards(n);
  }

  view() {
    const won = this.#winningStage();
    const winner = this.stageWinners.length > 1 ? shared(this.stageWinners.map(shown), won)
      : this.winner ? CallerText.win(shown(this.winner.name), this.winner.total, won) : '';
    const stage = this.plan.length > 1 && this.inProgress ? `Now playing ${describe(this.plan, this.stage)}` : '';
    return { ...CallerText.view(this.order), winner, stage };
  }

  claim() {
    if (!this.bingoLit) return;
    const shapes = this.stageShapes();
    const complete = this.cards.flatMap((card) => card.complete(shapes).map((cells) => card.numbersIn(cells)));
    const numbers = claimLine(complete, this.lastLine, (n) => this.isCalled(n));
    this.#send(commandMessage(makeClaim(this.myName, numbers, this.stage)));
  }

  sendChatLine(typed) {
    // A command that would not run anywhere is not sent: only its typist hears why.
    if (typed.startsWith('/'))
      this.emit('log', 'announcement', `** ${typed} was not run: only the host, ${shown(this.hostName)}, can give commands.`);
    else this.#send(chatMessage(typed));
  }

  #send(text) {
    if (!this.send(text)) this.emit('log', 'alert', '** Not sent: this window is no longer linked to the game.');
  }

  // The link's news.
  linkDown(line) {
    this.emit('log', 'alert', line);
    if (!this.linkIsDown) this.bingoWhenBack = this.bingoLit;
    this.linkIsDown = true;
    this.#lightBingo(false);
    this.emit('linkDown');
  }

  rejoining() {
    this.listedBefore.push(...this.players);
    this.players = [];
    this.emit('players', this.players);
  }

  reconnected() {
    // Whoever was listed before a fresh join and is not listed again left
    // while the link was away.
    for (const name of this.listedBefore) this.emit('log', 'alert', `${shown(name)} has left the game.`);
    this.listedBefore = [];
    this.linkIsDown = false;
    this.#lightBingo(this.bingoWhenBack);
    this.emit('linkBack');
    this.emit('log', 'alert', '** Back in the game.');
  }

  // What a reloaded tab needs to go on where it was.
  snapshot() {
    const { order, seconds, inProgress, checking, lastLine, bingoLit, players, joined, winner, allCalledSaid, dealSeed } = this;
    const cards = this.cards.map(({ numbers, marks }) => ({ numbers, marks }));
    const { stage, stageWinners, wonStage } = this;
    const plan = this.plan.map((pattern) => pattern.token);
    return { cards, order, seconds, inProgress, checking, lastLine, bingoLit, players, joined, winner, allCalledSaid,
      dealSeed, plan, stage, stageWinners, wonStage };
  }

  restore(saved) {
    Object.assign(this, saved, { cards: saved.cards.map(({ numbers, marks }) => new CardModel(numbers, marks)) });
    // A tab kept before pages knew plans plays the plain game.
    this.plan = planOf(saved.plan ?? []) ?? PLAIN;
    this.stage ??= 1;
    this.stageWinners ??= [];
    this.wonStage ??= 0;
    // Away until the link has the seat back.
    this.bingoWhenBack = this.bingoLit;
    this.bingoLit = false;
    this.linkIsDown = true;
  }
}
