// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The host's secrets of the invitations `kalumo-hub invite` made for a
// standing hub: one file per game key in the user's config folder
// ($XDG_CONFIG_HOME/kalumo/invitations, else ~/.config/kalumo/invitations),
// readable by the user only. `kalumo-hub join` of such an invitation under
// its host's name gives the window the secret; the invitation never holds it.

#include <QString>

namespace HostSecrets {

QString DefaultFolder();
// Keeps `secret` for game `key` hosted by `hostName`: the reason when it
// could not, else an empty text.
QString Keep(const QString &folder, const QString &key, const QString &hostName, const QString &secret);
// The secret kept for game `key` when `name` is its host's (by the rules of
// names), else an empty text.
QString Find(const QString &folder, const QString &key, const QString &name);

} // namespace HostSecrets
