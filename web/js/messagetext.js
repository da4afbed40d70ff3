// SPDX-License-Identifier: GPL-3.0-or-later
// The message texts players send each other through the hub, "Chat;LINE" and
// "Comm;RECORD", and how a chat line shows in the log, as
// src/game/messagetext.cpp makes them. Lengths are in UTF-16 units, as there.

import { shown } from './playername.js';

export const SENDER_FIELD_WIDTH = 15;
export const MAX_CHAT_LENGTH = 400;
export const CUT_MARK = ' [\u2026]';

// The line as it may be sent or shown: itself, or cut to MAX_CHAT_LENGTH
// units including the mark, never through a surrogate pair.
export function cutChatLine(line) {
  if (line.length <= MAX_CHAT_LENGTH) return line;
  let keep = MAX_CHAT_LENGTH - CUT_MARK.length;
  const unit = line.charCodeAt(keep - 1);
  if (unit >= 0xd800 && unit <= 0xdbff) --keep;
  return line.slice(0, keep) + CUT_MARK;
}

// Sender followed by ":", padded with blanks or cut to 15 units.
export const senderField = (sender) => `${sender}:`.padEnd(SENDER_FIELD_WIDTH, ' ').slice(0, SENDER_FIELD_WIDTH);

export function chatLogLine(sender, line) {
  // The name is isolated inside the field, which keeps its width in units that draw.
  const field = senderField(sender);
  const nameLength = Math.min(sender.length, SENDER_FIELD_WIDTH);
  return shown(field.slice(0, nameLength)) + field.slice(nameLength) + cutChatLine(line);
}

export function emoteLogLine(sender, line) {
  // A sender of 15 units or more has lost the ":" to the cut: the whole field shows.
  const field = senderField(sender);
  const colon = field.indexOf(':');
  return `*${shown(colon < 0 ? field : field.slice(0, colon))} ${cutChatLine(line).slice(1)}`;
}

export const chatMessage = (typed) => `Chat;${cutChatLine(typed.replaceAll(';', ''))}`;
export const commandMessage = (record) => `Comm;${record}`;
