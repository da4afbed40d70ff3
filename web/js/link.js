// SPDX-License-Identifier: GPL-3.0-or-later
// The game link over a WebSocket, one message per frame, keeping the seat as
// src/link/tcpgamelink.cpp and tcpgamelinkconnect.cpp keep it: join with the
// identify and announce records; count the deliveries once the hub gives a
// seat and acknowledge them; after a break, resume the seat with its secret
// and the count, or join afresh when the hub no longer keeps it; send again,
// in order, the messages whose delivery never came back; answer Pings, and
// take a hub silent for 45 s after a Ping as gone, or for half as long again
// as the heartbeat it promises.
//
// Events: delivery(sender, data); joined(); failed(reason) for a join that
// did not happen; reconnecting(reason); rejoining(); reconnected();
// lost(reason); refused(reason); seat() whenever what seat() gives changed.

import { Emitter } from './emitter.js';
import * as Record from './linkrecord.js';

export const Timing = Object.freeze({
  joinMs: 10000, // start-up waits this long for the game to confirm the join
  attemptMs: 5000, // a reconnection attempt waits this long for the hub
  silenceMs: 45000, // counted from the first Ping on
  retryFirstMs: 500,
  retryMaxMs: 10000,
  retryForMs: 120000,
});

const ACKNOWLEDGE_EVERY = 32;
const MAX_UNECHOED = 10000;
const CLOSED = 'the game host closed the connection';
// A hub of an earlier release closes a display's connection without a word.
const OLD_HUB = ' A game hub of an earlier release takes no display seats: its host needs a newer kalumo-hub.';

export class WebLink extends Emitter {
  // open(): a new WebSocket (or its double) to the hub; clock: where
  // setTimeout and clearTimeout come from.
  constructor({ open, timing = Timing, clock = globalThis }) {
    super();
    Object.assign(this, { open, timing, clock });
    this.state = 'idle'; // joining, joined, away, resuming, rejoining, ended
    this.secret = '';
    this.count = 0;
    this.ackedAt = 0;
    this.unechoed = []; // message texts sent and not yet delivered back
    this.pending = {}; // timers by name
  }

  // With display, a display seat: no name, and the hub's Display frame
  // confirms the join.
  join(key, name, { display = false } = {}) {
    Object.assign(this, { key, name, display, state: 'joining' });
    this.#connect();
    this.#startTimer('attempt', this.timing.joinMs, () =>
      this.#fail(`the game did not answer within ${this.timing.joinMs / 1000} s`));
  }

  // A seat this tab held before it was reloaded: resumed at once.
  resumeSeat({ key, name, secret, count, unechoed }) {
    Object.assign(this, { key, name, secret, count, ackedAt: count, unechoed: [...unechoed] });
    Object.assign(this, { waitedMs: 0, nextWaitMs: this.timing.retryFirstMs, error: CLOSED, state: 'away' });
    this.#connect();
  }

  seat() {
    const { key, name, secret, count, unechoed } = this;
    return { key, name, secret, count, unechoed };
  }

  // True when the link took the message (it may go out once a broken link is
  // back), false once it has ended.
  sendMessage(text) {
    if (this.state === 'ended' || this.state === 'idle' || this.display) return false;
    if (this.state !== 'joining') {
      if (this.unechoed.length >= MAX_UNECHOED) this.unechoed.shift();
      this.unechoed.push(text);
      this.emit('seat');
    }
    if (this.state === 'joining' || this.state === 'joined') this.#write(Record.message(this.key, text));
    return true;
  }

  // The player leaves at once: the hub is told, so the others need not wait
  // for the seat's grace period to run out.
  leave() {
    if (this.state === 'ended') return;
    if (this.state === 'joined' && this.secret) this.#write(Record.leave(this.key));
    this.#end();
    this.secret = '';
    this.emit('seat');
  }

  #connect() {
    this.#drop();
    // Until this hub promises a heartbeat, it may be one that pings seldom.
    this.silenceMs = this.timing.silenceMs;
    this.#stopTimer('silence');
    const socket = (this.socket = this.open());
    socket.onopen = () => this.#opened();
    socket.onmessage = (event) => this.#received(event.data);
    socket.onclose = () => this.#fail(CLOSED);
    if (this.state === 'away') this.#startTimer('attempt', this.timing.attemptMs, () => this.#fail('the game did not answer'));
  }

  #listenForSilence() {
    this.#startTimer('silence', this.silenceMs, () => this.#fail('the game stopped answering'));
  }

  #drop() {
    if (!this.socket) return;
    this.socket.onopen = this.socket.onmessage = this.socket.onclose = null;
    this.socket.close();
    this.socket = null;
  }

  #write(record) {
    if (this.socket?.readyState === 1) this.socket.send(record);
  }

  #opened() {
    if (this.state === 'joining') return this.#writeJoin();
    this.#startTimer('attempt', this.timing.attemptMs, () => this.#fail('the game did not answer'));
    if (this.secret) {
      this.state = 'resuming';
      return this.#write(Record.resume(this.key, this.name, this.secret, this.count));
    }
    this.state = 'rejoining';
    this.emit('rejoining');
    this.#writeJoin();
  }

  #writeJoin() {
    if (this.display) return this.#write(Record.displayJoin(this.key));
    this.#write(Record.identify(this.key));
    this.#write(Record.announce(this.key, this.name));
  }

  #received(frame) {
    if (this.state === 'ended' || this.state === 'away' || typeof frame !== 'string') return;
    if (this.pending.silence) this.#listenForSilence();
    if (this.pending.attempt && this.state !== 'joining') this.#startTimer('attempt', this.timing.attemptMs, () => this.#fail('the game did not answer'));
    const read = Record.readFrame(frame);
    if (!read) return this.#fail('protocol error: delivery without a sender');
    const { sender, data } = read;
    if (sender === Record.HUB_SENDER) return this.#control(Record.readControl(data));
    if (this.secret && ++this.count - this.ackedAt >= ACKNOWLEDGE_EVERY) this.#acknowledge();
    // Deliveries come in the order the hub received the records, so our own
    // messages come back in the order they were sent.
    if (sender === this.name) {
      const echoed = this.unechoed.indexOf(data);
      if (echoed >= 0) this.unechoed.splice(0, echoed + 1);
    }
    this.emit('delivery', sender, data);
    if (this.secret) this.emit('seat');
    // The join replay ends with our own arrival.
    if (sender === '[Enter]' && data === this.name && !this.display) this.#joinConfirmed();
  }

  #joinConfirmed() {
    if (this.state === 'joining') {
      this.state = 'joined';
      this.#stopTimer('attempt');
      this.emit('joined');
    } else if (this.state === 'rejoining') {
      this.#backInGame();
    }
  }

  #acknowledge() {
    this.ackedAt = this.count;
    this.#write(Record.acknowledge(this.key, this.count));
  }

  #control({ verb, text }) {
    if (verb === 'Display' && this.display) return this.#joinConfirmed();
    if (verb === 'Ping') {
      this.#write(Record.pingAnswer(this.key));
      if (this.secret && this.ackedAt !== this.count) this.#acknowledge();
      this.#listenForSilence();
    } else if (verb === 'Heartbeat' && Number(text) > 0 && Number(text) < this.timing.silenceMs) {
      // A hub that writes at least this often: silence for half as long
      // again is a link that stalled. Its Beat frame is for windows that see
      // their own acknowledgements, which a page cannot: it stays pinged.
      this.silenceMs = Math.min(this.timing.silenceMs, Number(text) * 1.5);
      this.#listenForSilence();
    } else if (verb === 'Refused') {
      this.#fail(text || 'no reason was given.', true);
    } else if (verb === 'Seat' && text) {
      // A hub that resumes seats: from here on, deliveries are counted.
      Object.assign(this, { secret: text, count: 0, ackedAt: 0 });
      this.#write(Record.acknowledge(this.key, 0));
      this.emit('seat');
    } else if (verb === 'Resumed' && this.state === 'resuming') {
      this.#backInGame();
    } else if (verb === 'NoSeat' && this.state === 'resuming') {
      // The hub has forgotten the seat (it restarted, or the grace period
      // ran out): join afresh at once.
      this.secret = '';
      this.emit('seat');
      this.state = 'away';
      this.#connect();
    }
    // Verbs of a later hub are not this page's business.
  }

  #backInGame() {
    this.state = 'joined';
    this.#stopTimer('attempt');
    // Messages the hub never got, in the order they were sent.
    for (const text of this.unechoed) this.#write(Record.message(this.key, text));
    this.emit('reconnected');
  }

  #fail(reason, refused = false) {
    if (this.state === 'ended') return;
    if (this.state === 'joining' || refused) {
      const joining = this.state === 'joining';
      this.#end();
      if (joining) this.emit('failed', refused ? `the game refused this window: ${reason}` : `${reason}.${this.display ? OLD_HUB : ''}`);
      else this.emit(refused ? 'refused' : 'lost', reason);
      return;
    }
    this.#drop();
    this.#stopTimer('silence');
    this.#stopTimer('attempt');
    if (this.state === 'joined') this.#reconnectAfter(reason);
    else this.#retry();
  }

  #reconnectAfter(reason) {
    Object.assign(this, { waitedMs: 0, nextWaitMs: this.timing.retryFirstMs, error: reason, state: 'away' });
    this.emit('reconnecting', reason);
    this.#retry();
  }

  #retry() {
    this.state = 'away';
    if (this.pending.retry) return;
    if (this.waitedMs >= this.timing.retryForMs) {
      this.#end();
      return this.emit('lost', this.error);
    }
    this.#startTimer('retry', this.nextWaitMs, () => this.#connect());
    this.waitedMs += this.nextWaitMs;
    this.nextWaitMs = Math.min(this.nextWaitMs * 2, this.timing.retryMaxMs);
  }

  #end() {
    this.state = 'ended';
    for (const name of Object.keys(this.pending)) this.#stopTimer(name);
    this.#drop();
  }

  #startTimer(name, ms, run) {
    this.#stopTimer(name);
    this.pending[name] = this.clock.setTimeout(() => {
      delete this.pending[name];
      run();
    }, ms);
  }

  #stopTimer(name) {
    this.clock.clearTimeout(this.pending[name]);
    delete this.pending[name];
  }
}
