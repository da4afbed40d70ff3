#pragma once
// A game across machines behind an invitation:
//
//   kalumo-hub host NAME [--listen ADDRESS] [--port N] [--address PUBLIC-NAME] [--program PATH]
//       runs a TLS hub holding one new game hosted by NAME, prints the
//       invitation as the first line of standard output, starts NAME's
//       window and runs until it closes;
//   kalumo-hub join [--program PATH] INVITATION NAME
//       checks that the invitation's hub answers with its certificate, then
//       starts NAME's window in that game and ends when it closes.
//
// A failure before a window opens is one line on standard error and a
// status of 2; a window that could not join says why itself, and join ends
// with status 1.

#include <QStringList>

class GamesList;

namespace SharedGame {

int Host(const QStringList &arguments, const GamesList &list);
int Join(const QStringList &arguments, const GamesList &list);

} // namespace SharedGame
