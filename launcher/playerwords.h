// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the launcher tells the player when a run of kalumo-hub ends, made from
// how it ended rather than from its log. kalumo-hub's standard error is a log
// for a terminal (who joined, which program it started); the player reads
// one sentence, chosen by the exit status:
//   0  the game has ended;
//   2  kalumo-hub could not start or join the game, and its last line says
//      why (a few of those lines get words that say what to do here);
//   1  a game window ended badly; when its last line is the window's own
//      reason ("kalumo-bingo: ..."), that reason;
//   otherwise, a status the player can look up.

#include <QString>

namespace PlayerWords {

// `lastLine` is the last line of the run's standard error, or empty.
QString ForEnd(int exitCode, const QString &lastLine);

// A line a program wrote, as a sentence: without the program's name in
// front, starting with a capital and ending with a full stop.
QString Sentence(const QString &line);

} // namespace PlayerWords
