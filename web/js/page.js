// SPDX-License-Identifier: GPL-3.0-or-later
// What the page shows of a game: the cards, the board of called numbers, the
// last call with the five before it, the player list, the log, BINGO! and the
// win banner, each drawn from the game's state when it says it changed.
// Every text a peer sent goes in as text, never as markup.

import { shown } from './playername.js';

const $ = (id) => document.getElementById(id);

export const BANNER_MS = 6000; // how long the banner shows a win
export const MAX_LOG_LINES = 5000; // the log keeps the newest lines

export class Page {
  constructor(game, hostName) {
    this.game = game;
    this.hostName = hostName;
    // Ends every listener on the page's lasting elements when a failed join is tried again.
    this.controller = new AbortController();
    this.board = [];
    for (let n = 1; n <= 100; ++n) {
      const item = document.createElement('li');
      item.textContent = String(n);
      this.board.push(item);
    }
    $('board').replaceChildren(...this.board);
    this.cells = [0, 1].map((c) => this.#buildCard(c));
    this.#follow();
    this.showCards();
    this.showView();
    this.showPlayers(game.players);
  }

  #buildCard(c) {
    const buttons = [];
    for (let i = 0; i < 25; ++i) {
      const button = document.createElement('button');
      button.type = 'button';
      // A card is one stop for Tab; the arrows move through its cells, as
      // on the window's cards.
      button.tabIndex = i === 0 ? 0 : -1;
      button.addEventListener('click', () => this.game.toggleMark(c, i));
      button.addEventListener('keydown', (event) => {
        const step = { ArrowLeft: i % 5 ? -1 : 0, ArrowRight: i % 5 < 4 ? 1 : 0, ArrowUp: i >= 5 ? -5 : 0, ArrowDown: i < 20 ? 5 : 0 }[event.key];
        if (step === undefined) return;
        event.preventDefault();
        button.tabIndex = -1;
        buttons[i + step].tabIndex = 0;
        buttons[i + step].focus();
      });
      buttons.push(button);
    }
    $(`card${c}`).replaceChildren(...buttons);
    return buttons;
  }

  #follow() {
    const game = this.game;
    game.on('cards', () => this.showCards());
    game.on('view', () => this.showView());
    game.on('stage', () => this.showView());
    game.on('players', (players) => this.showPlayers(players));
    game.on('log', (kind, line) => this.addLine(kind, line));
    game.on('bingo', (lit) => this.showBingo(lit));
    game.on('won', (name, total) => this.showBanner(`BINGO!\n${game.view().winner}`));
    game.on('started', () => ($('banner').hidden = true));
    game.on('linkDown', () => ($('status').hidden = false));
    game.on('linkBack', () => ($('status').hidden = true));
    const { signal } = this.controller;
    $('bingo').addEventListener('click', () => game.claim(), { signal });
    document.addEventListener('keydown', (event) => {
      if (event.ctrlKey && (event.key === 'b' || event.key === 'B')) {
        event.preventDefault();
        game.claim();
      }
    }, { signal });
    $('chatForm').addEventListener('submit', (event) => {
      event.preventDefault();
      game.sendChatLine($('chat').value);
      $('chat').value = '';
    }, { signal });
  }

  showCards() {
    this.game.cards.forEach((card, c) =>
      this.cells[c].forEach((button, i) => {
        const marked = card.isMarked(i);
        button.textContent = String(card.numbers[i]);
        button.setAttribute('aria-pressed', String(marked));
        button.setAttribute('aria-label',
          `Card ${c + 1}, row ${Math.floor(i / 5) + 1}, column ${(i % 5) + 1}: ${card.numbers[i]}${marked ? ', marked' : ''}`);
      }));
  }

  showView() {
    const view = this.game.view();
    $('last').textContent = view.last;
    $('before').textContent = view.before.join('  ');
    $('count').textContent = view.count;
    this.showStage(view.stage);
    this.board.forEach((item, i) => {
      const called = this.game.isCalled(i + 1);
      item.classList.toggle('called', called);
      item.setAttribute('aria-label', called ? `${i + 1}, called` : String(i + 1));
    });
  }

  // The stage played in a plan of several, in words and as a 5 × 5 picture
  // of its pattern, whose name says the same words.
  showStage(words) {
    $('stage').hidden = !words;
    if (!words) return;
    const game = this.game;
    const example = game.plan[game.stage - 1].example;
    const cells = Array.from({ length: 25 }, (_, i) => {
      const item = document.createElement('span');
      if (example & (1 << i)) item.classList.add('on');
      return item;
    });
    $('stagePicture').replaceChildren(...cells);
    $('stagePicture').setAttribute('aria-label', words);
    $('stageText').textContent = words;
  }

  showPlayers(players) {
    const items = players.map((name) => {
      const item = document.createElement('li');
      const hosts = name === this.hostName, me = name === this.game.myName;
      item.textContent = hosts ? `${shown(name)} (host)` : shown(name);
      if (me) item.classList.add('me');
      item.setAttribute('aria-label', name + (hosts ? ', host' : '') + (me ? ', you' : ''));
      return item;
    });
    $('players').replaceChildren(...items);
  }

  addLine(kind, line) {
    const log = $('log');
    const follow = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
    const item = document.createElement('p');
    item.className = kind;
    // One event is one line: a peer cannot make the rest look like the game's own.
    item.textContent = line.replace(/[\r\n\u2028\u2029]/g, ' ');
    log.append(item);
    while (log.childElementCount > MAX_LOG_LINES) log.firstElementChild.remove();
    if (follow) log.scrollTop = log.scrollHeight;
  }

  logLines() {
    return [...$('log').children].slice(-200).map((item) => [item.className, item.textContent]);
  }

  showBingo(lit) {
    $('bingo').disabled = !lit;
    $('bingo').setAttribute('aria-label', lit ? 'BINGO!, available' : 'BINGO!, not available');
  }

  showBanner(text) {
    const banner = $('banner');
    banner.textContent = text;
    banner.hidden = false;
    clearTimeout(this.bannerTimer);
    this.bannerTimer = setTimeout(() => (banner.hidden = true), BANNER_MS);
  }
}
