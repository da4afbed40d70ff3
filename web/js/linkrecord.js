// SPDX-License-Identifier: GPL-3.0-or-later
// The records a player sends the hub and the frames it gets back, as
// src/link/linkrecord.cpp and src/link/hubcontrol.cpp write and read them.
// Fields are joined by U+00FF; every WebSocket message carries one frame.

export const SEPARATOR = '\u00FF';
export const CAPTION = 'Kalumo Bingo';
export const HUB_SENDER = '[Hub]';

const join = (...fields) => fields.join(SEPARATOR);

export const identify = (key) => join('G', key, 'I', '0');
export const announce = (key, name) => join('G', key, 'A', ` ${CAPTION}`, `${name} ${CAPTION}`);
export const message = (key, text) => join('G', key, 'C', text);
export const pingAnswer = (key) => join('G', key, 'P');
export const acknowledge = (key, count) => join('G', key, 'K', String(count));
export const resume = (key, name, secret, count) => join('G', key, 'R', name, secret, String(count));
export const leave = (key) => join('G', key, 'X');
// A display seat's join, in place of identify and announce.
export const displayJoin = (key) => join('G', key, 'D');

// A frame from the hub: { sender, data }, split at the first separator; null
// for one without it, which is a protocol error.
export function readFrame(frame) {
  const cut = frame.indexOf(SEPARATOR);
  return cut < 0 ? null : { sender: frame.slice(0, cut), data: frame.slice(cut + 1) };
}

// A control frame's data (after "[Hub]" ÿ): { verb, text }.
export function readControl(data) {
  const cut = data.indexOf(SEPARATOR);
  return cut < 0 ? { verb: data, text: '' } : { verb: data.slice(0, cut), text: data.slice(cut + 1) };
}
