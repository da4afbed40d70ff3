// SPDX-License-Identifier: GPL-3.0-or-later
// The page's start: reads the game's key and host from the link, lets the
// player pick a name, joins, and keeps what a reloaded tab needs to take its
// seat back in the tab's session storage. The options and the last name are
// remembered in the browser.

import { PlayerGame } from './game.js';
import { WebLink } from './link.js';
import { Page } from './page.js';
import { refusal } from './playername.js';

const $ = (id) => document.getElementById(id);
const SEAT = 'kalumo.seat';
const NAME = 'kalumo.name';
const OPTIONS = 'kalumo.options';
const SEATS = 'kalumo.seats'; // the channel on which tabs say which seat they hold
const SEAT_ANSWER_MS = 300;
const ENCRYPTION = {
  'http:': 'This game is not encrypted: anyone on this network can read the names, the chat and the calls, and can join with the link.',
  'https:': 'This game is encrypted: others on the network can see that you play here, but not what is said.',
};

function stored(storage, key) {
  try {
    return JSON.parse(storage.getItem(key));
  } catch {
    return null;
  }
}

const options = { speak: false, highContrast: false, autoMark: false, ...stored(localStorage, OPTIONS) };
let game = null;

function followOptions() {
  const speech = 'speechSynthesis' in window;
  if (!speech) {
    options.speak = false;
    $('speak').disabled = true;
    $('speak').parentElement.title = 'This browser cannot speak.';
  }
  const apply = () => {
    document.body.classList.toggle('contrast', options.highContrast);
    game?.setAutoMark(options.autoMark);
  };
  for (const name of Object.keys(options)) {
    $(name).checked = options[name];
    $(name).addEventListener('change', () => {
      options[name] = $(name).checked;
      localStorage.setItem(OPTIONS, JSON.stringify(options));
      apply();
    });
  }
  apply();
}

function say(words) {
  if (!options.speak) return;
  speechSynthesis.speak(new SpeechSynthesisUtterance(words));
}

// Whether another tab of this browser plays the seat now: a tab copied from
// this one brings its session storage along, and must not take the seat from
// under it. A tab that was reloaded is gone, and nobody answers.
function seatInUse(secret) {
  if (typeof BroadcastChannel !== 'function') return Promise.resolve(false);
  return new Promise((resolve) => {
    const channel = new BroadcastChannel(SEATS);
    channel.onmessage = ({ data }) => data === `held ${secret}` && resolve(true);
    channel.postMessage(`who ${secret}`);
    setTimeout(() => {
      channel.close();
      resolve(false);
    }, SEAT_ANSWER_MS);
  });
}

function showPlaying(playing) {
  $('join').hidden = playing;
  $('play').hidden = !playing;
  $('leave').hidden = !playing;
}

function play(key, hostName, myName, saved) {
  const socketUrl = `${location.protocol === 'https:' ? 'wss:' : 'ws:'}//${location.host}/ws`;
  const link = new WebLink({ open: () => new WebSocket(socketUrl) });
  game = new PlayerGame({ myName, hostName, send: (text) => link.sendMessage(text) });
  if (saved) game.restore(saved.game);
  const page = new Page(game, hostName);
  const save = () =>
    link.seat().secret &&
    sessionStorage.setItem(SEAT, JSON.stringify({ hostName, seat: link.seat(), game: game.snapshot(), log: page.logLines() }));
  const seats = typeof BroadcastChannel === 'function' ? new BroadcastChannel(SEATS) : {};
  seats.onmessage = ({ data }) => link.seat().secret && data === `who ${link.seat().secret}` && seats.postMessage(`held ${data.slice(4)}`);
  const ended = (line) => {
    sessionStorage.removeItem(SEAT);
    game.linkDown(line);
    $('status').textContent = 'Not in the game: reload the page to join again.';
  };

  link.on('delivery', (sender, data) => game.deliver(sender, data));
  link.on('seat', save);
  game.on('cards', save);
  game.on('speak', say);
  link.on('joined', () => {
    showPlaying(true);
    // Typing goes to the chat from the start, as in the window; a phone
    // would open its keyboard over the cards, so there it does not.
    if (matchMedia('(pointer: fine)').matches) $('chat').focus();
  });
  link.on('failed', (reason) => {
    page.controller.abort();
    seats.close?.();
    showPlaying(false);
    $('joinButton').disabled = false;
    $('joinError').textContent = `Error, Please Restart The Game!\n\n${reason[0].toUpperCase()}${reason.slice(1)}`;
  });
  link.on('reconnecting', (reason) => game.linkDown(`** The link to the game was lost (${reason}); reconnecting\u2026`));
  link.on('rejoining', () => game.rejoining());
  link.on('reconnected', () => game.reconnected());
  link.on('lost', (reason) => ended(`** The link to the game could not be restored (${reason}). You may close the window.`));
  link.on('refused', (reason) => ended(`** The game refused this window: ${reason}`));
  $('leave').addEventListener('click', () => {
    link.leave();
    sessionStorage.removeItem(SEAT);
    location.reload();
  }, { signal: page.controller.signal });
  game.setAutoMark(options.autoMark);

  if (saved) {
    for (const [kind, line] of saved.log) page.addLine(kind, line);
    showPlaying(true);
    $('status').hidden = false;
    link.resumeSeat(saved.seat);
  } else {
    page.addLine('welcome', 'Thank You For Choosing Kalumo Bingo.');
    link.join(key, myName);
  }
}

async function start() {
  $('encryption').textContent = ENCRYPTION[location.protocol] ?? ENCRYPTION['http:'];
  followOptions();
  const fields = new URLSearchParams(location.hash.slice(1));
  const key = fields.get('key') ?? '';
  const hostName = fields.get('host') ?? '';
  if (!key || key.includes('\u00FF') || key.length > 1000 || refusal(hostName)) {
    $('joinButton').disabled = true;
    $('joinError').textContent = 'This link does not name a game: ask the host for the link again.';
    return;
  }
  $('hostLine').textContent = `${hostName} hosts this game.`;
  const saved = stored(sessionStorage, SEAT);
  if (saved?.seat?.key === key && saved.hostName === hostName && !(await seatInUse(saved.seat.secret)))
    return play(key, hostName, saved.seat.name, saved);
  $('name').value = localStorage.getItem(NAME) ?? '';
  $('joinForm').addEventListener('submit', (event) => {
    event.preventDefault();
    const name = $('name').value;
    const why = refusal(name);
    if (why) {
      $('joinError').textContent = `This name cannot be used: ${why}.`;
      return;
    }
    localStorage.setItem(NAME, name);
    $('joinError').textContent = '';
    $('joinButton').disabled = true;
    play(key, hostName, name);
  });
}

start();
