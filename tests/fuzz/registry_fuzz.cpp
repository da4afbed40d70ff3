// The registry from any key path, value name and data, beside a key and a value that link outside:
// nothing outside changes, no link is followed or replaced, a value reported as written holds the data.
#include "fuzzsupport.h"

#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/foldersnapshot.h"
#include "support/recordingmessageboxes.h"

#include <QDir>
#include <QTemporaryDir>

static QString valueName(Fuzz::Input &input)
{
    const quint8 pick = input.Byte() % 4;
    return pick == 0 ? QStringLiteral("Kalumo Bingo") : pick == 1 ? QStringLiteral("Linked") : input.Utf8(64);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A fresh registry for each input, so that no input changes what the next finds.
    static const QTemporaryDir top;
    const QString outside = top.filePath(QStringLiteral("outside")), folder = top.filePath(QStringLiteral("registry"));
    QDir(folder).removeRecursively();
    QDir().mkpath(outside);
    QFile target(outside + QStringLiteral("/target"));
    FUZZ_CHECK(target.open(QIODevice::WriteOnly) && target.write("outside") == 7 && target.flush());
    const FileRegistry registry(folder);
    FUZZ_CHECK(registry.CreateKey(RootKey::LocalMachine, QStringLiteral("SOFTWARE\\Kalumo\\Games")).Ok()
               && QFile::link(outside, folder + QStringLiteral("/HKEY_LOCAL_MACHINE/SOFTWARE/Out"))
               && QFile::link(target.fileName(), folder + QStringLiteral("/HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games/Linked")));
    const QMap<QString, QByteArray> outsideBefore = FolderSnapshot(outside), linksBefore = FolderSnapshot(folder, true);

    Fuzz::Input input{data, size};
    const quint8 mode = input.Byte() % 3;
    RecordingMessageBoxes boxes;
    const CustomRegistry custom(registry, boxes, QStringLiteral("Kalumo Bingo"));
    if (mode < 2) {
        static const char *const heads[] = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Out",
                                            "HKEY_LOCAL_MACHINE\\SOFTWARE", "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", ""};
        QString keyPath = QString::fromLatin1(heads[input.Byte() % std::size(heads)]) + input.Utf8(128);
        const QString name = mode == 0 ? valueName(input) : QString(), value = input.Utf8();
        RegistryOutcome outcome{RegistryStatus::InvalidKeyPath, {}}; // set by SetStringValue alone
        quint32 root = 0;
        if (mode == 0)
            custom.SetStringValue(keyPath, name, value, &outcome);
        custom.ParseKeyPath(keyPath, root);
        if (mode == 1)
            registry.CreateKey(root, keyPath);
        const QList<RegistryValue> values = registry.Values(root, keyPath);
        FUZZ_CHECK(mode == 1 || outcome.Ok() == std::any_of(values.begin(), values.end(), [&](const RegistryValue &v) {
                       return v.name == name && v.data == value.toLocal8Bit(); }));
    } else { // any root handle at all, with any subkey
        const quint32 root = 0x80000000u + (input.Byte() % 9);
        const QString subKey = input.Utf8(128);
        registry.CreateKey(root, subKey);
        RegistryKey key;
        if (registry.OpenKey(root, subKey, key).Ok())
            registry.SetValue(key, valueName(input), input.Rest());
    }
    FUZZ_CHECK(FolderSnapshot(outside) == outsideBefore && FolderSnapshot(folder, true) == linksBefore);
    FUZZ_CHECK(QDir(top.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
               == (QStringList{QStringLiteral("outside"), QStringLiteral("registry")}));
    return 0;
}
