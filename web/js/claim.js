// SPDX-License-Identifier: GPL-3.0-or-later
// Which line BINGO! claims with, as BingoGame::Claim in
// src/game/bingogameplayers.cpp chooses it: the line a card reported last when
// every number of it has been called and it is still complete; else the first
// complete line (card 1's lines before card 2's) whose numbers have all been
// called; when none is, the line reported last, which the host then refuses
// with the numbers that were not called.

const sameLine = (a, b) => a.length === b.length && a.every((n, i) => n === b[i]);

export function claimLine(complete, lastReported, isCalled) {
  const allCalled = (line) => line.length > 0 && line.every(isCalled);
  if (allCalled(lastReported) && complete.some((line) => sameLine(line, lastReported))) return lastReported;
  return complete.find(allCalled) ?? lastReported;
}
