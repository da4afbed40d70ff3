// SPDX-License-Identifier: GPL-3.0-or-later
// The caller's display as a page of its own (/display#key=KEY&host=NAME), as
// src/window/displayseat.cpp runs it in a window: a display seat that follows
// the game's calls, stages and wins, for a room's screen or a browser source
// of streaming software. It joins with no name and sends nothing.

import { PlayerGame } from './game.js';
import { WebLink } from './link.js';

const $ = (id) => document.getElementById(id);

// Shows a game's view (PlayerGame.view()) in the page's elements.
export function show(view, element = $) {
  element('last').textContent = view.last;
  element('before').textContent = view.before.join('  ');
  element('count').textContent = view.count;
  element('winner').textContent = view.winner;
  element('stage').textContent = view.stage;
}

function start() {
  const fields = new URLSearchParams(location.hash.slice(1));
  const key = fields.get('key') ?? '';
  const hostName = fields.get('host') ?? '';
  if (!key || key.includes('\u00FF')) {
    $('status').textContent = 'This link does not name a game: ask the host for the link again.';
    return;
  }
  const socketUrl = `${location.protocol === 'https:' ? 'wss:' : 'ws:'}//${location.host}/ws`;
  const link = new WebLink({ open: () => new WebSocket(socketUrl) });
  const game = new PlayerGame({ myName: '', hostName, send: () => false });
  const status = (text) => ($('status').textContent = text);
  game.on('view', () => show(game.view()));
  link.on('delivery', (sender, data) => game.deliver(sender, data));
  link.on('joined', () => status(''));
  link.on('failed', (reason) => status(`Error, Please Restart The Game!\n\n${reason}`));
  link.on('reconnecting', () => status('Reconnecting\u2026'));
  link.on('rejoining', () => game.rejoining());
  link.on('reconnected', () => status(''));
  link.on('lost', (reason) => status(`The link to the game could not be restored (${reason}).`));
  link.on('refused', (reason) => status(`The game refused this display: ${reason}`));
  show(game.view());
  link.join(key, '', { display: true });
}

if (typeof document !== 'undefined') start();
