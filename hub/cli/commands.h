// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// kalumo-hub's subcommands, one function each, returning the exit status.
// A subcommand gets the program's arguments with its own name joined to the
// program's ("kalumo-hub serve", then its options), and the games list of
// the registry, whose key main.cpp has created.
//
// A new subcommand is its function here, defined in a file of its own, one
// row in main.cpp's table, and its lines in CommandSupport::Usage.

#include <QStringList>

class GamesList;

namespace Commands {

int Serve(const QStringList &arguments, const GamesList &list);
int Play(const QStringList &arguments, const GamesList &list);
int Games(const QStringList &arguments, const GamesList &list);
int Host(const QStringList &arguments, const GamesList &list);
int Join(const QStringList &arguments, const GamesList &list);
int Invite(const QStringList &arguments, const GamesList &list);
// The computer players' own process, started by play and host: its
// arguments from "computer" on, as ComputerPlayers gives them.
int Computer(const QStringList &arguments);

} // namespace Commands
