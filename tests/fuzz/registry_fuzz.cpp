// The registry from any key path, value name and data: the registration's
// SetStringValue, the chat host's CreateKey, and the path parsing under them.
// The registry folder holds the games key, a key that is a link to a folder
// outside, and a value that is a link to a file outside. Whatever the input:
//  - nothing outside the registry folder changes, and no link in it is
//    followed or replaced;
//  - a key path of the wrong form is shown in its box and writes nothing; no
//    other path shows a box;
//  - a value reported as written holds exactly the data, in the key's folder.
#include "fuzzsupport.h"

#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/recordingmessageboxes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

namespace {

// Every file, folder and link below `top`: "link " and its target, "file "
// and its bytes, or "folder".
QMap<QString, QByteArray> snapshot(const QString &top)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(top, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray content = "folder";
        if (info.isSymLink()) {
            content = "link " + info.symLinkTarget().toUtf8();
        } else if (info.isFile()) {
            QFile file(info.filePath());
            content = file.open(QIODevice::ReadOnly) ? "file " + file.readAll() : QByteArray("unreadable");
        } else if (info.isDir()) {
            entries.insert(snapshot(info.filePath()));
        }
        entries.insert(info.filePath(), content);
    }
    return entries;
}

// The links inside the registry folder, which no write may replace.
QMap<QString, QByteArray> links(const QString &top)
{
    QMap<QString, QByteArray> found;
    const QMap<QString, QByteArray> all = snapshot(top);
    for (auto it = all.begin(); it != all.end(); ++it) {
        if (it.value().startsWith("link "))
            found.insert(it.key(), it.value());
    }
    return found;
}

struct Place
{
    Place()
    {
        FUZZ_CHECK(QDir().mkpath(outside()));
        QFile target(outside() + QStringLiteral("/target"));
        FUZZ_CHECK(target.open(QIODevice::WriteOnly) && target.write("outside") == 7);
    }

    QString outside() const { return top.filePath(QStringLiteral("outside")); }
    QString folder() const { return top.filePath(QStringLiteral("registry")); }
    QString games() const { return folder() + QStringLiteral("/HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games"); }

    // A fresh registry for each input, so that one input's keys and values
    // do not change what the next one finds.
    void Reset()
    {
        QDir(folder()).removeRecursively();
        const FileRegistry registry(folder());
        FUZZ_CHECK(registry.CreateKey(RootKey::LocalMachine, QStringLiteral("SOFTWARE\\Kalumo\\Games")).Ok());
        FUZZ_CHECK(QFile::link(outside(), folder() + QStringLiteral("/HKEY_LOCAL_MACHINE/SOFTWARE/Out")));
        FUZZ_CHECK(QFile::link(outside() + QStringLiteral("/target"), games() + QStringLiteral("/Linked")));
    }

    QTemporaryDir top;
};

QString pickKeyPath(Fuzz::Input &input)
{
    static const char *const heads[] = {
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games",
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Out",
        "HKEY_LOCAL_MACHINE\\SOFTWARE",
        "HKEY_LOCAL_MACHINE",
        "HKEY_CURRENT_USER",
        "",
    };
    return QString::fromLatin1(heads[input.Byte() % std::size(heads)]) + input.Utf8(128);
}

QString pickValueName(Fuzz::Input &input)
{
    switch (input.Byte() % 4) {
    case 0: return QStringLiteral("Kalumo Bingo");
    case 1: return QStringLiteral("Linked");
    default: return input.Utf8(64);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Place place;
    place.Reset();
    const QMap<QString, QByteArray> outsideBefore = snapshot(place.outside());
    const QMap<QString, QByteArray> linksBefore = links(place.folder());
    const FileRegistry registry(place.folder());

    Fuzz::Input input(data, size);
    const quint8 mode = input.Byte() % 3;
    const QString keyPath = pickKeyPath(input);
    const bool wellFormed = keyPath.startsWith(QLatin1String("HKEY_")) && !keyPath.endsWith(QLatin1Char('\\'));
    RecordingMessageBoxes boxes;
    const CustomRegistry custom(registry, boxes, QStringLiteral("Kalumo Bingo"));

    if (mode == 0) {
        const QString valueName = pickValueName(input);
        const QString value = input.Utf8();
        RegistryOutcome outcome;
        custom.SetStringValue(keyPath, valueName, value, &outcome);
        FUZZ_CHECK(boxes.shown.size() == (wellFormed ? 0 : 1));
        if (!wellFormed) {
            FUZZ_CHECK(boxes.shown.first().text == QStringLiteral("Incorrect Format:\n\n") + keyPath);
            FUZZ_CHECK(!outcome.Ok());
        }
        if (outcome.Ok()) {
            QString subKey = keyPath;
            quint32 root = 0;
            custom.ParseKeyPath(subKey, root);
            bool found = false;
            for (const RegistryValue &v : registry.Values(root, subKey))
                found = found || (v.name == valueName && v.data == value.toLocal8Bit());
            FUZZ_CHECK(found);
        }
    } else if (mode == 1) {
        QString subKey = keyPath;
        quint32 root = 0;
        custom.ParseKeyPath(subKey, root);
        if (wellFormed) {
            // The root key's name and the subkey make the path again.
            const QString head = keyPath.section(QLatin1Char('\\'), 0, 0);
            FUZZ_CHECK(root == CustomRegistry::RootKeyFromName(head));
            if (keyPath.contains(QLatin1Char('\\')))
                FUZZ_CHECK(head + QLatin1Char('\\') + subKey == keyPath);
            else
                FUZZ_CHECK(subKey.isEmpty());
            FUZZ_CHECK(boxes.shown.isEmpty());
        } else {
            FUZZ_CHECK(subKey == keyPath && root == 0 && boxes.shown.size() == 1);
        }
        registry.CreateKey(root, subKey);
    } else {
        // Any root handle at all, with any subkey.
        const quint32 root = 0x80000000u + (input.Byte() % 9);
        const QString subKey = input.Utf8(128);
        registry.CreateKey(root, subKey);
        RegistryKey key;
        if (registry.OpenKey(root, subKey, key).Ok())
            registry.SetValue(key, pickValueName(input), input.Rest());
    }

    FUZZ_CHECK(snapshot(place.outside()) == outsideBefore);
    FUZZ_CHECK(links(place.folder()) == linksBefore);
    // Nothing beside the two folders appeared in the top folder either.
    FUZZ_CHECK(QDir(place.top.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
               == (QStringList{QStringLiteral("outside"), QStringLiteral("registry")}));
    return 0;
}
