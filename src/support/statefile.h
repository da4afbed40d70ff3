// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small files a game keeps between runs of its programs (the invitation a
// host gave out, the round its window calls), in the user's state folder:
// $XDG_STATE_HOME/kalumo, else ~/.local/state/kalumo. Each file is JSON,
// readable by its user only, and replaced whole: a crash or a full disk
// leaves the old file or the new one, never a torn one.

#include <QJsonObject>
#include <QString>
#include <optional>

namespace StateFile {

// $XDG_STATE_HOME/kalumo when XDG_STATE_HOME is an absolute path, else
// ~/.local/state/kalumo.
QString DefaultFolder();

// A file name for a text of any form (a player's name, a game's key): the
// prefix and a digest of the text, so no text can reach outside the folder.
QString NameFor(const QString &prefix, const QString &text);

// Writes `object` to `path` atomically, making its folder (user only) when
// needed; the reason when it could not, else an empty text.
QString Write(const QString &path, const QJsonObject &object);

struct Read
{
    std::optional<QJsonObject> object; // nothing: no file, or a broken one
    QString problem; // why a file that is there cannot be read, naming it
};
// The object in `path`; no file is no problem.
Read ReadObject(const QString &path);
// The problem of a file whose object holds what it must not.
QString Damaged(const QString &path);

} // namespace StateFile
