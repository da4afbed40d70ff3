// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/statefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

namespace StateFile {

namespace {

constexpr qint64 MaxSize = 1 << 20; // far more than any state the game keeps

} // namespace

QString DefaultFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return QDir(base).filePath(QStringLiteral("kalumo"));
}

QString NameFor(const QString &prefix, const QString &text)
{
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return prefix + QLatin1Char('-') + QString::fromLatin1(digest) + QStringLiteral(".json");
}

QString Write(const QString &path, const QJsonObject &object)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("the folder %1 cannot be made").arg(folder);
    // What the files hold lets whoever reads them take the host's place.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    if (!file.commit())
        return file.errorString();
    return {};
}

QString Damaged(const QString &path) { return QStringLiteral("%1 is damaged").arg(path); }

Read ReadObject(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString())};
    if (file.size() > MaxSize)
        return {std::nullopt, QStringLiteral("%1 is too large").arg(path)};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {std::nullopt, Damaged(path)};
    return {document.object(), {}};
}

} // namespace StateFile
