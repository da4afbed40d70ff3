// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A display seat: a window on a machine of its own (a room's television, a
// stream) that shows only the caller's display of a game. It joins through
// the link as a display, with no name and no cards, so no player lists it,
// and it follows the calls, stages and wins as any player's window does.

class CommandLine;
class GameLink;
class RandomGenerator;

// Joins the game of the command line (ANY PORT KEY NAME HOSTNAME; the name
// is not used) and runs until the display is closed or the game ends. Why it
// could not join, or why the game went away, goes to standard error; the
// answer is the program's exit status.
int RunDisplaySeat(GameLink &link, const CommandLine &line, RandomGenerator &random);
