// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's entry in the chat host's games list: a string value under the
// games key, named after the game's caption, whose data is the program's
// full path as it is on disk, ";" and the caption, e.g.
//   /home/ann/games/kalumo-bingo;Kalumo Bingo
// The chat host starts the program that the data names before the ";".

#include "support/fileregistry.h"

#include <QString>

class MessageBoxes;

namespace Registration {

inline const QString GamesKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games");
// The same key as the chat host's side opens it.
inline constexpr quint32 GamesRoot = RootKey::LocalMachine;
inline const QString GamesSubKey = QStringLiteral("SOFTWARE\\Kalumo\\Games");

QString Data(const QString &programFile, const QString &caption);
// The program a value's data names: the text before its last ";" (a
// caption holds no ";", a file name may), or all of it when there is none.
QString ProgramFromData(const QString &data);

// The text of the box that says the game could not be registered: the key,
// the reason and the registry's folder.
QString FailureText(const QString &keyPath, const RegistryOutcome &outcome, const QString &registryFolder);

// The registration run of a window started without a command line: writes
// the game's value (`caption` naming `programFile`) under the games key of
// the registry in `registryFolder`, and says in a box whether it did. The
// program's exit status: 0 when the value was written, else 1.
int Register(const QString &registryFolder, const QString &programFile, const QString &caption, MessageBoxes &boxes);

} // namespace Registration
