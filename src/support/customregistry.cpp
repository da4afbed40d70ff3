// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/customregistry.h"

#include "support/messageboxes.h"

CustomRegistry::CustomRegistry(const FileRegistry &registry, MessageBoxes &boxes, const QString &title)
    : m_registry(registry)
    , m_boxes(boxes)
    , m_title(title)
{}

quint32 CustomRegistry::RootKeyFromName(const QString &name)
{
    for (const RootKey::Entry &entry : RootKey::All) {
        if (name == QLatin1String(entry.name))
            return entry.handle;
    }
    return 0;
}

void CustomRegistry::ParseKeyPath(QString &keyPath, quint32 &rootKey) const
{
    if (!keyPath.startsWith(QLatin1String("HKEY_")) || keyPath.endsWith(QLatin1Char('\\'))) {
        m_boxes.Plain(m_title, QStringLiteral("Incorrect Format:\n\n") + keyPath);
        return;
    }
    const qsizetype slash = keyPath.indexOf(QLatin1Char('\\'));
    if (slash < 0) {
        rootKey = RootKeyFromName(keyPath);
        keyPath.clear();
    } else {
        rootKey = RootKeyFromName(keyPath.left(slash));
        keyPath = keyPath.mid(slash + 1);
    }
}

void CustomRegistry::SetStringValue(const QString &keyPath, const QString &valueName, const QString &data,
                                    RegistryOutcome *outcome) const
{
    RegistryOutcome result;
    QString subKey = keyPath;
    quint32 root = 0;
    ParseKeyPath(subKey, root);
    if (root == 0) {
        // A path of the wrong form has been shown already; an unknown root
        // key passes in silence.
        result.status = RegistryStatus::InvalidKeyPath;
    } else {
        RegistryKey key;
        result = m_registry.OpenKey(root, subKey, key);
        if (result.Ok()) {
            // The count is the encoded length in bytes, not in characters: a
            // path holding a letter of more than one byte is written whole.
            result = m_registry.SetValue(key, valueName, data.toLocal8Bit());
            m_registry.CloseKey(key);
        }
    }
    if (outcome)
        *outcome = result;
}
