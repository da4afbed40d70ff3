// The registry kept in files, and the key-path text the game writes through.

#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/recordingmessageboxes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Title = QStringLiteral("Kalumo Bingo");
const QString Games = QStringLiteral("SOFTWARE\\Kalumo\\Games");

// Every file, folder and link below `top`, with a file's bytes or a link's
// target, so that a test can tell that nothing at all was written.
QMap<QString, QByteArray> Snapshot(const QString &top)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(top, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray content = "<folder>";
        if (info.isSymLink()) {
            content = "-> " + info.symLinkTarget().toUtf8();
        } else if (info.isFile()) {
            QFile file(info.filePath());
            content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
        }
        entries.insert(info.filePath(), content);
    }
    return entries;
}

TEST(ParseKeyPath, SplitsTheRootKeyFromTheSubkeyOrShowsTheFormatError)
{
    constexpr quint32 Untouched = 12345;
    // A refused path is shown as "Incorrect Format:" and changes nothing.
    const struct { const char *path; bool refused; quint32 root; const char *subKey; } table[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games", false, RootKey::LocalMachine, "SOFTWARE\\Kalumo\\Games"},
        {"HKEY_CURRENT_USER", false, RootKey::CurrentUser, ""},
        {"HKEY_DYN_DATA\\a", false, RootKey::DynData, "a"},
        {"HKEY_local_machine\\SOFTWARE", false, 0, "SOFTWARE"},
        {"HKEY_FOO\\Bar", false, 0, "Bar"},
        {"HKEY_", false, 0, ""},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games\\", true, 0, ""},
        {"HKEY_USERS\\", true, 0, ""},
        {"hkey_local_machine\\SOFTWARE\\Kalumo\\Games", true, 0, ""},
        {"HKEY", true, 0, ""},
        {"", true, 0, ""},
        {" HKEY_USERS", true, 0, ""},
    };
    for (const auto &c : table) {
        RecordingMessageBoxes boxes;
        const QString original = QString::fromUtf8(c.path);
        QString path = original;
        quint32 root = Untouched;

        CustomRegistry(FileRegistry({}), boxes, Title).ParseKeyPath(path, root);

        if (c.refused) {
            EXPECT_EQ(path, original);
            EXPECT_EQ(root, Untouched) << c.path;
            ASSERT_EQ(boxes.shown.size(), 1) << c.path;
            EXPECT_EQ(boxes.shown[0].kind, ShownBox::Plain);
            EXPECT_EQ(boxes.shown[0].title, Title);
            EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Incorrect Format:\n\n") + original);
        } else {
            EXPECT_EQ(path, QString::fromUtf8(c.subKey));
            EXPECT_EQ(root, c.root) << c.path;
            EXPECT_TRUE(boxes.shown.isEmpty()) << c.path;
        }
    }
}

TEST(RootKeyFromName, KnowsTheSevenRootKeysByTheirExactNames)
{
    const std::pair<const char *, quint32> table[] = {
        {"HKEY_CLASSES_ROOT", 0x80000000}, {"HKEY_CURRENT_USER", 0x80000001},
        {"HKEY_LOCAL_MACHINE", 0x80000002}, {"HKEY_USERS", 0x80000003},
        {"HKEY_PERFORMANCE_DATA", 0x80000004}, {"HKEY_CURRENT_CONFIG", 0x80000005},
        {"HKEY_DYN_DATA", 0x80000006},
        {"HKEY_local_machine", 0}, {"HKEY_LOCAL_MACHINE ", 0}, {"HKEY_FOO", 0}, {"", 0}};
    for (const auto &[name, handle] : table)
        EXPECT_EQ(CustomRegistry::RootKeyFromName(QString::fromUtf8(name)), handle) << name;
}

// A temporary folder holding the registry (with the games key) and, beside
// it, a folder that a way out of the registry would reach.
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, Games).Ok());
        ASSERT_TRUE(QDir(top.path()).mkdir(QStringLiteral("outside")));
    }
    RegistryOutcome Write(const QString &subKey, const QString &name, const QByteArray &data)
    {
        RegistryKey key;
        RegistryOutcome outcome = registry.OpenKey(RootKey::LocalMachine, subKey, key);
        if (outcome.Ok()) {
            outcome = registry.SetValue(key, name, data);
            registry.CloseKey(key);
        }
        return outcome;
    }
    // Sets the game's value through its key path as text.
    RegistryOutcome SetString(const QString &keyPath, const QString &data)
    {
        RegistryOutcome outcome;
        CustomRegistry(registry, boxes, Title).SetStringValue(keyPath, QStringLiteral("Kalumo Bingo"), data, &outcome);
        return outcome;
    }
    QString GamesFolder() const { return top.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games")); }

    QTemporaryDir top;
    FileRegistry registry{top.filePath(QStringLiteral("registry"))};
    RecordingMessageBoxes boxes;
};

TEST_F(RegistryTest, WritesEveryByteOfTheDataAndReplacesTheValueWhole)
{
    const QString games = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games");
    const QString value = GamesFolder() + QStringLiteral("/Kalumo Bingo");

    // Two letters here take two bytes each: the value holds the whole path.
    const QString path = QStringLiteral("/home/José/Jogos/kalumo-bingo;Kalumo Bingo");
    EXPECT_TRUE(SetString(games, path).Ok());
    EXPECT_EQ(Snapshot(top.path()).value(value), path.toUtf8());
    EXPECT_EQ(QString::fromUtf8(Snapshot(top.path()).value(value)), path);

    // A shorter value replaces the longer one: no byte of it is left.
    const QString seventeen = QStringLiteral("C:\\G\\Bingo.exe;KB");
    ASSERT_EQ(seventeen.size(), 17);
    EXPECT_TRUE(SetString(games, seventeen).Ok());
    EXPECT_EQ(Snapshot(top.path()).value(value), QByteArray("C:\\G\\Bingo.exe;KB"));
    EXPECT_EQ(Snapshot(top.path()).value(value).size(), 17);
    EXPECT_TRUE(boxes.shown.isEmpty());

    const QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, Games);
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].name, QStringLiteral("Kalumo Bingo"));
    EXPECT_EQ(values[0].data, QByteArray("C:\\G\\Bingo.exe;KB"));
    // Nothing else is left in the key, such as a half-written file.
    EXPECT_EQ(QDir(GamesFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("Kalumo Bingo")});
}

TEST_F(RegistryTest, NeitherCreatesAMissingKeyNorFindsAWayOutAndWritesNothingAnywhere)
{
    // Links that lead out of the registry, a key and a value.
    ASSERT_TRUE(QFile::link(top.filePath(QStringLiteral("outside")), GamesFolder() + QStringLiteral("/Out")));
    QFile target(top.filePath(QStringLiteral("outside/target")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("kept");
    target.close();
    ASSERT_TRUE(QFile::link(target.fileName(), GamesFolder() + QStringLiteral("/Linked")));
    const auto before = Snapshot(top.path());

    const QString nul = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    const QString keys[] = {
        QStringLiteral("SOFTWARE\\Kalumo\\Games\\Nope"), QStringLiteral("SOFTWARE\\Other"),
        QStringLiteral(".."), QStringLiteral("SOFTWARE\\.."), QStringLiteral("SOFTWARE\\Kalumo\\Games\\..\\..\\..\\.."),
        QStringLiteral("SOFTWARE\\..\\..\\outside"), QStringLiteral("SOFTWARE/Kalumo/Games"),
        QStringLiteral("../../outside"), QStringLiteral("SOFTWARE\\\\Kalumo\\Games"), QStringLiteral("\\SOFTWARE"),
        QStringLiteral("SOFTWARE\\Kalumo\\Games\\"), QStringLiteral("."), QStringLiteral("SOFTWARE\\.\\Kalumo"),
        QStringLiteral("SOFTWARE\\Kalumo\\Games\\Out"), QStringLiteral("SOFTWARE") + QChar(u'\0'), nul};
    for (const QString &key : keys)
        EXPECT_EQ(Write(key, QStringLiteral("v"), "x").status, RegistryStatus::KeyMissing) << key.toStdString();
    RegistryKey key;
    EXPECT_EQ(registry.OpenKey(0x12345678, Games, key).status, RegistryStatus::KeyMissing);

    const QString names[] = {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../../../../outside/v"),
                             QStringLiteral("/v"), QStringLiteral("Out/v"), nul};
    for (const QString &name : names)
        EXPECT_EQ(Write(Games, name, "x").status, RegistryStatus::KeyMissing) << name.toStdString();
    EXPECT_EQ(Write(Games, QStringLiteral("Linked"), "x").status, RegistryStatus::WriteFailed);
    EXPECT_EQ(Write(Games, QStringLiteral("Out"), "x").status, RegistryStatus::WriteFailed);

    // Through the key path as text, only a path of the wrong form is shown.
    const struct { const char *keyPath; RegistryStatus status; int boxes; } table[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games\\", RegistryStatus::InvalidKeyPath, 1},
        {"HKEY_FOO\\SOFTWARE\\Kalumo\\Games", RegistryStatus::InvalidKeyPath, 0},
        {"HKEY_CURRENT_USER\\SOFTWARE\\Kalumo\\Games", RegistryStatus::KeyMissing, 0},
    };
    for (const auto &c : table) {
        boxes.shown.clear();
        EXPECT_EQ(SetString(QString::fromUtf8(c.keyPath), QStringLiteral("data")).status, c.status) << c.keyPath;
        EXPECT_EQ(boxes.shown.size(), c.boxes) << c.keyPath;
    }

    EXPECT_EQ(Snapshot(top.path()), before);
}

TEST(FileRegistryFolder, IsTheNamedFolderElseOneInTheUsersConfiguration)
{
    const QByteArray savedRegistry = qgetenv("KALUMO_REGISTRY");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir dir;

    qputenv("KALUMO_REGISTRY", dir.filePath(QStringLiteral("reg")).toUtf8());
    EXPECT_EQ(FileRegistry::DefaultFolder(), dir.filePath(QStringLiteral("reg")));
    qunsetenv("KALUMO_REGISTRY");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    EXPECT_EQ(FileRegistry::DefaultFolder(), dir.filePath(QStringLiteral("kalumo/registry")));

    for (const auto &[name, saved] : {std::pair{"KALUMO_REGISTRY", savedRegistry}, std::pair{"XDG_CONFIG_HOME", savedConfig}}) {
        if (saved.isNull())
            qunsetenv(name);
        else
            qputenv(name, saved);
    }
}

TEST(FileRegistryFolder, AnEmptyFolderHoldsNoKeyAndTakesNoWrite)
{
    const FileRegistry registry({});
    RegistryKey key;
    EXPECT_EQ(registry.OpenKey(RootKey::LocalMachine, QString(), key).status, RegistryStatus::KeyMissing);
    EXPECT_FALSE(registry.CreateKey(RootKey::LocalMachine, Games).Ok());
}

} // namespace
