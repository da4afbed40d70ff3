// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry the game and the chat host share, kept in one folder:
//   <folder>/HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games/Kalumo Bingo
// Each root key is a folder named after it, a key is a folder, its subkeys
// are folders inside it, and a value is a file in its key's folder, named
// after the value and holding exactly the bytes written.
//
// The game only opens an existing key, sets a value and closes the key; it
// never creates a key. A subkey path or value name that could lead outside
// the folder ("..", ".", "/", an empty segment, a NUL, a link pointing out)
// is refused as a missing key, so nothing is ever written outside it. A value
// is replaced whole or not at all. The chat host's side creates keys and
// reads values.

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

namespace RootKey {
inline constexpr quint32 ClassesRoot = 0x80000000;
inline constexpr quint32 CurrentUser = 0x80000001;
inline constexpr quint32 LocalMachine = 0x80000002;
inline constexpr quint32 Users = 0x80000003;
inline constexpr quint32 PerformanceData = 0x80000004;
inline constexpr quint32 CurrentConfig = 0x80000005;
inline constexpr quint32 DynData = 0x80000006;

struct Entry
{
    const char *name;
    quint32 handle;
};
// In the order a root key's name is looked up.
inline constexpr std::array<Entry, 7> All{{
    {"HKEY_CLASSES_ROOT", ClassesRoot},
    {"HKEY_CURRENT_USER", CurrentUser},
    {"HKEY_LOCAL_MACHINE", LocalMachine},
    {"HKEY_USERS", Users},
    {"HKEY_PERFORMANCE_DATA", PerformanceData},
    {"HKEY_CURRENT_CONFIG", CurrentConfig},
    {"HKEY_DYN_DATA", DynData},
}};
} // namespace RootKey

enum class RegistryStatus { Success, InvalidKeyPath, KeyMissing, AccessDenied, WriteFailed };

struct RegistryOutcome
{
    RegistryStatus status = RegistryStatus::Success;
    QString detail; // the system's reason for a failed write
    bool Ok() const { return status == RegistryStatus::Success; }
};

// A key opened for writing; closed (and of no use) when its folder is empty.
struct RegistryKey
{
    QString folder;
};

struct RegistryValue
{
    QString name;
    QByteArray data;
};

class FileRegistry
{
public:
    // $KALUMO_REGISTRY when set, else "kalumo/registry" in the user's
    // configuration folder.
    static QString DefaultFolder();

    explicit FileRegistry(const QString &folder);
    const QString &Folder() const { return m_folder; }

    // Opens an existing key for writing. Success, KeyMissing (also for an
    // unknown root key and a path that is refused) or AccessDenied.
    RegistryOutcome OpenKey(quint32 root, const QString &subKey, RegistryKey &key) const;
    // Sets the value to exactly `data`. Success, KeyMissing or WriteFailed.
    RegistryOutcome SetValue(const RegistryKey &key, const QString &valueName, const QByteArray &data) const;
    void CloseKey(RegistryKey &key) const;

    // The chat host's side. CreateKey makes the key and every key above it.
    RegistryOutcome CreateKey(quint32 root, const QString &subKey) const;
    // The values of an existing key, by name; nothing for a missing key.
    QList<RegistryValue> Values(quint32 root, const QString &subKey) const;

private:
    // The key's folder, or nothing when the path is refused.
    QString keyFolder(quint32 root, const QString &subKey) const;
    bool insideRegistry(const QString &existingPath) const;

    QString m_folder;
};
