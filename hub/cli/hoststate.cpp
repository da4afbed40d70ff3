// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/hoststate.h"

#include "game/roundstore.h"
#include "support/playername.h"
#include "support/statefile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

bool isKey(const QString &text)
{
    static const QRegularExpression key(QStringLiteral("^[0-9a-f]{32}$"));
    return key.match(text).hasMatch();
}

} // namespace

HostState::HostState(const QString &folder, const QString &hostName)
    : m_folder(folder)
    // Names equal to the hub are one host, so Ann and ANN share their game.
    , m_path(QDir(folder).filePath(StateFile::NameFor(QStringLiteral("host"), PlayerName::SameNameKey(hostName))))
{}

HostState::Loaded HostState::Load() const
{
    const StateFile::Read read = StateFile::ReadObject(m_path);
    if (!read.object)
        return {std::nullopt, read.problem};
    HostedGame game;
    game.key = read.object->value(QStringLiteral("key")).toString();
    game.secret = read.object->value(QStringLiteral("secret")).toString();
    const int port = read.object->value(QStringLiteral("port")).toInt();
    if (!isKey(game.key) || !isKey(game.secret) || port < 1 || port > 65535)
        return {std::nullopt, StateFile::Damaged(m_path)};
    game.port = quint16(port);
    return {game, {}};
}

QString HostState::Save(const HostedGame &game) const
{
    return StateFile::Write(m_path,
                            {{QStringLiteral("key"), game.key},
                             {QStringLiteral("port"), game.port},
                             {QStringLiteral("secret"), game.secret}});
}

void HostState::Forget(const QString &key) const
{
    QFile::remove(m_path);
    RoundStore(m_folder, key).Remove();
}
