// SPDX-License-Identifier: GPL-3.0-or-later
// One browser player's side of the game, without a page: it takes every
// delivery, decides what it means (readDelivery, counts) and carries it out,
// keeps the two cards, the numbers called and who is in the game, sends what
// its player does, and says through events what the page must show. It
// plays as src/game/bingogame.cpp and bingogameplayers.cpp do for a player
// who does not host, with the cards and BINGO! of src/window (ctlcard.cpp,
// frmmain.cpp): the page only draws what it is told.
//
// Events: log(kind, line) with kind welcome, alert, chat, announcement or
// emote; players(list); cards(); view(); bingo(lit); won(name, total);
// speak(words); started(seconds); linkDown(); linkBack(); joined().

import { CardModel } from './card.js';
import { claimLine } from './claim.js';
import { Kind, makeClaim, wholeNumber } from './commandrecord.js';
import { ChatCommand, ChatLine, Emote, Entered, Exited, counts, readDelivery } from './delivery.js';
import { randomDraw } from './deal.js';
import { Emitter } from './emitter.js';
import { chatLogLine, chatMessage, commandMessage, emoteLogLine } from './messagetext.js';
import * as CallerText from './callertext.js';
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
        this.#won(record.name, record.text);
        break;
      case Kind.CatchUp:
        this.#catchUp(record.text, record.items);
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
    for (const card of this.cards) {
      card.clearMarks();
      card.deal(this.draw);
    }
    this.checking = true;
    this.emit('started', seconds);
    this.emit('cards');
    this.emit('view');
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

  #won(name, total) {
    this.emit('log', 'announcement', `** ${shown(name)} Has Won The Game! ${total} Total Win(s)! **`);
    this.inProgress = false;
    this.winner = { name, total };
    this.#roundOver();
    this.emit('won', name, total);
    this.emit('speak', CallerText.win(name, total));
    this.emit('view');
  }

  #roundOver() {
    this.checking = false;
    this.bingoWhenBack = false;
    this.#lightBingo(false);
  }

  #catchUp(seconds, numbers) {
    // A game already in the round keeps its cards and only adds the calls it
    // missed. One holding a number the host's round never called is still in
    // an earlier round (it was away while that one ended), and joins this one
    // as a newcomer does.
    const joining = !this.inProgress || this.order.some((n) => !numbers.includes(String(n)));
    if (joining) this.#startRound(seconds);
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
    else if (why === 'uncalled' && detail.length === 1) reason = `${detail[0]} has not been called.`;
    else if (why === 'uncalled' && detail.length > 1) reason = `${listed(detail)} have not been called.`;
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
    const complete = card.complete();
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
    return { ...CallerText.view(this.order), winner: this.winner ? CallerText.win(shown(this.winner.name), this.winner.total) : '' };
  }

  claim() {
    if (!this.bingoLit) return;
    const complete = this.cards.flatMap((card) => card.completeLines());
    this.#send(commandMessage(makeClaim(this.myName, claimLine(complete, this.lastLine, (n) => this.isCalled(n)))));
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
    const { order, seconds, inProgress, checking, lastLine, bingoLit, players, joined, winner, allCalledSaid } = this;
    const cards = this.cards.map(({ numbers, marks }) => ({ numbers, marks }));
    return { cards, order, seconds, inProgress, checking, lastLine, bingoLit, players, joined, winner, allCalledSaid };
  }

  restore(saved) {
    Object.assign(this, saved, { cards: saved.cards.map(({ numbers, marks }) => new CardModel(numbers, marks)) });
    // Away until the link has the seat back.
    this.bingoWhenBack = this.bingoLit;
    this.bingoLit = false;
    this.linkIsDown = true;
  }
}
