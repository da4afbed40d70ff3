// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/hostsecrets.h"

#include "server/tlscontext.h"
#include "support/playername.h"
#include "support/statefile.h"

#include <QDir>

namespace HostSecrets {

QString DefaultFolder() { return QDir::cleanPath(TlsContext::DefaultFolder() + QStringLiteral("/../invitations")); }

QString Keep(const QString &folder, const QString &key, const QString &hostName, const QString &secret)
{
    const QJsonObject object{
        {QStringLiteral("key"), key}, {QStringLiteral("host"), hostName}, {QStringLiteral("secret"), secret}};
    return StateFile::Write(QDir(folder).filePath(StateFile::NameFor(QStringLiteral("game"), key)), object);
}

QString Find(const QString &folder, const QString &key, const QString &name)
{
    const StateFile::Read read
        = StateFile::ReadObject(QDir(folder).filePath(StateFile::NameFor(QStringLiteral("game"), key)));
    if (!read.object || read.object->value(QStringLiteral("key")).toString() != key)
        return {};
    const QString host = read.object->value(QStringLiteral("host")).toString();
    if (PlayerName::SameNameKey(host) != PlayerName::SameNameKey(name))
        return {};
    return read.object->value(QStringLiteral("secret")).toString();
}

} // namespace HostSecrets
