#include "support/customregistry.h"

#include "support/messageboxes.h"

CustomRegistry::CustomRegistry(const FileRegistry &registry, MessageBoxes &boxes, const QString &title)
    : m_registry(registry)
    , m_boxes(boxes)
    , m_title(title)
{
}

quint32 CustomRegistry::RootKeyFromName(const QString &MyName)
{
    for (const RootKey::Entry &entry : RootKey::All) {
        if (MyName == QLatin1String(entry.name))
            return entry.handle;
    }
    return 0;
}

void CustomRegistry::ParseKeyPath(QString &MyKeyPath, quint32 &MyRootKey) const
{
    if (!MyKeyPath.startsWith(QLatin1String("HKEY_")) || MyKeyPath.endsWith(QLatin1Char('\\'))) {
        m_boxes.Plain(m_title, QStringLiteral("Incorrect Format:\n\n") + MyKeyPath);
        return;
    }
    const qsizetype slash = MyKeyPath.indexOf(QLatin1Char('\\'));
    if (slash < 0) {
        MyRootKey = RootKeyFromName(MyKeyPath);
        MyKeyPath.clear();
    } else {
        MyRootKey = RootKeyFromName(MyKeyPath.left(slash));
        MyKeyPath = MyKeyPath.mid(slash + 1);
    }
}

void CustomRegistry::SetStringValue(const QString &MyKeyPath, const QString &MyValueName, const QString &MyData,
                                    RegistryOutcome *outcome) const
{
    RegistryOutcome result;
    QString subKey = MyKeyPath;
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
            result = m_registry.SetValue(key, MyValueName, MyData.toLocal8Bit());
            m_registry.CloseKey(key);
        }
    }
    if (outcome)
        *outcome = result;
}
