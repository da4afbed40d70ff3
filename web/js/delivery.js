// SPDX-License-Identifier: GPL-3.0-or-later
// What one delivery from the hub is, and whether it counts in this player's
// game: the route and authority of src/game/delivery.cpp and
// src/game/deliverykind.h. A delivery is, the first that holds:
//   sender "[Enter]" / "[Exit]"  a player came or went; text: the name
//   data holds "Chat;"           text: data after its first ";", then
//                                  "/..." a chat command, "\..." an emote, else a chat line
//   data holds "Comm;"           the command record after the first ";", when it reads
//   otherwise                    nothing: a later release's message, ignored

import { Kind, readRecord } from './commandrecord.js';

export const Entered = 'entered';
export const Exited = 'exited';
export const ChatLine = 'chat';
export const Emote = 'emote';
export const ChatCommand = 'command';

// Who may send each kind, and whose game acts on it.
const RULES = {
  [Entered]: ['hub', 'everyone'],
  [Exited]: ['hub', 'everyone'],
  [ChatLine]: ['anyPlayer', 'everyone'],
  [Emote]: ['anyPlayer', 'everyone'],
  [ChatCommand]: ['host', 'everyone'],
  [Kind.NumberCalled]: ['host', 'everyone'],
  [Kind.NewGame]: ['host', 'everyone'],
  [Kind.WinConfirmed]: ['host', 'everyone'],
  [Kind.Claim]: ['namedPlayer', 'host'],
  [Kind.CatchUp]: ['host', 'namedPlayer'],
  [Kind.ClaimRefused]: ['host', 'namedPlayer'],
  [Kind.RoundSeed]: ['host', 'everyone'],
  [Kind.DealsFromSeed]: ['namedPlayer', 'host'],
  [Kind.StagePlan]: ['host', 'everyone'],
};

// { kind, sender, text, record } or null.
export function readDelivery(sender, data) {
  if (sender === '[Enter]') return { kind: Entered, sender, text: data, record: null };
  if (sender === '[Exit]') return { kind: Exited, sender, text: data, record: null };
  const body = data.slice(data.indexOf(';') + 1);
  if (data.includes('Chat;')) {
    const kind = body.startsWith('/') ? ChatCommand : body.startsWith('\\') ? Emote : ChatLine;
    return { kind, sender, text: body, record: null };
  }
  if (!data.includes('Comm;')) return null;
  const record = readRecord(body);
  return record && { kind: record.kind, sender, text: '', record };
}

// Whether a delivery takes effect in the game of myName, whose host is
// hostName. One that does not is dropped silently, neither shown nor run.
export function counts(delivery, myName, hostName) {
  const [sender, audience] = RULES[delivery.kind] ?? ['nobody'];
  const senderMay =
    sender === 'hub' ||
    sender === 'anyPlayer' ||
    (sender === 'host' && delivery.sender === hostName) ||
    (sender === 'namedPlayer' && delivery.sender === delivery.record.name);
  const inAudience =
    audience === 'everyone' ||
    (audience === 'host' && myName === hostName) ||
    (audience === 'namedPlayer' && delivery.record.name === myName);
  return senderMay && inAudience;
}
