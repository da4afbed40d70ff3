// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What `kalumo-hub host NAME` keeps of the game it hosts, so that run again
// by the same user it hosts the same game behind the same invitation: the
// game's key, the port and the host's secret (the certificate, and with it
// the fingerprint, is the hub's own and stays). One state file per host name
// in the folder given (StateFile::DefaultFolder() in use), until the game is
// ended on purpose.

#include <QString>
#include <optional>

struct HostedGame
{
    QString key; // 32 lowercase hex digits, as Invitation::NewKey makes them
    quint16 port = 0;
    QString secret; // the same form
};

class HostState
{
public:
    HostState(const QString &folder, const QString &hostName);

    struct Loaded
    {
        std::optional<HostedGame> game; // nothing: none kept, or a broken file
        QString problem; // why a kept file cannot be used
    };
    Loaded Load() const;
    // The reason when the game could not be kept, else an empty text.
    QString Save(const HostedGame &game) const;
    // The game `key` was ended: neither it nor its window's round is kept.
    void Forget(const QString &key) const;

private:
    QString m_folder;
    QString m_path;
};
