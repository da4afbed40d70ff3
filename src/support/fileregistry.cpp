// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fileregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <optional>

namespace {

// One segment of a key path, or a value name, as a file name that stays in
// its folder: not empty, not "." or "..", no separator and no NUL (which
// would cut the name short when it reaches the system).
bool staysInFolder(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(QLatin1Char('/'))
        && !name.contains(QChar(u'\0'));
}

std::optional<QStringList> keySegments(quint32 root, const QString &subKey)
{
    QStringList segments;
    for (const RootKey::Entry &entry : RootKey::All) {
        if (entry.handle == root)
            segments << QString::fromLatin1(entry.name);
    }
    if (segments.isEmpty())
        return std::nullopt;
    // An empty subkey is the root key itself.
    if (subKey.isEmpty())
        return segments;
    for (const QString &segment : subKey.split(QLatin1Char('\\'))) {
        if (!staysInFolder(segment))
            return std::nullopt;
        segments << segment;
    }
    return segments;
}

} // namespace

QString FileRegistry::DefaultFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("KALUMO_REGISTRY");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(config).filePath(QStringLiteral("kalumo/registry"));
}

FileRegistry::FileRegistry(const QString &folder)
    // An empty folder stays empty rather than becoming the current one, and
    // then holds no key at all.
    : m_folder(folder.isEmpty() ? QString() : QDir(folder).absolutePath())
{}

QString FileRegistry::keyFolder(quint32 root, const QString &subKey) const
{
    const auto segments = keySegments(root, subKey);
    if (m_folder.isEmpty() || !segments)
        return {};
    return m_folder + QLatin1Char('/') + segments->join(QLatin1Char('/'));
}

bool FileRegistry::insideRegistry(const QString &existingPath) const
{
    // Resolves links, so a key folder that is a link to somewhere else is
    // not taken for a key.
    const QString top = QFileInfo(m_folder).canonicalFilePath();
    const QString path = QFileInfo(existingPath).canonicalFilePath();
    return !top.isEmpty() && path.startsWith(top + QLatin1Char('/'));
}

RegistryOutcome FileRegistry::OpenKey(quint32 root, const QString &subKey, RegistryKey &key) const
{
    key = {};
    const QString folder = keyFolder(root, subKey);
    if (folder.isEmpty())
        return {RegistryStatus::KeyMissing, {}};
    const QFileInfo info(folder);
    if (!info.isDir() || !insideRegistry(folder))
        return {RegistryStatus::KeyMissing, {}};
    if (!info.isWritable() || !info.isExecutable())
        return {RegistryStatus::AccessDenied, {}};
    key.folder = folder;
    return {};
}

RegistryOutcome FileRegistry::SetValue(const RegistryKey &key, const QString &valueName, const QByteArray &data) const
{
    if (key.folder.isEmpty() || !staysInFolder(valueName))
        return {RegistryStatus::KeyMissing, {}};
    const QString path = key.folder + QLatin1Char('/') + valueName;
    const QFileInfo info(path);
    // Writing through a link would write wherever it points.
    if (info.isSymLink() || (info.exists() && !info.isFile()))
        return {RegistryStatus::WriteFailed, QStringLiteral("%1 is not a plain file").arg(path)};

    // The new value goes to a temporary file that replaces the old one only
    // once it is complete: a failed write leaves the old value as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {RegistryStatus::WriteFailed, file.errorString()};
    if (file.write(data) != data.size() || !file.commit())
        return {RegistryStatus::WriteFailed, file.errorString()};
    return {};
}

void FileRegistry::CloseKey(RegistryKey &key) const { key = {}; }

RegistryOutcome FileRegistry::CreateKey(quint32 root, const QString &subKey) const
{
    const auto segments = keySegments(root, subKey);
    if (m_folder.isEmpty() || !segments)
        return {RegistryStatus::InvalidKeyPath, {}};
    if (!QDir().mkpath(m_folder))
        return {RegistryStatus::WriteFailed, QStringLiteral("cannot create %1").arg(m_folder)};

    // One level at a time, so that no folder is made through a link that
    // leads out of the registry.
    QString path = m_folder;
    for (const QString &segment : *segments) {
        path += QLatin1Char('/') + segment;
        if (!QFileInfo::exists(path) && !QDir().mkdir(path))
            return {RegistryStatus::WriteFailed, QStringLiteral("cannot create %1").arg(path)};
        if (!QFileInfo(path).isDir() || !insideRegistry(path))
            return {RegistryStatus::WriteFailed, QStringLiteral("%1 is not a key").arg(path)};
    }
    return {};
}

QList<RegistryValue> FileRegistry::Values(quint32 root, const QString &subKey) const
{
    QList<RegistryValue> values;
    const QString folder = keyFolder(root, subKey);
    if (folder.isEmpty() || !QFileInfo(folder).isDir() || !insideRegistry(folder))
        return values;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &info : files) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            values.append({info.fileName(), file.readAll()});
    }
    return values;
}
