// SPDX-License-Identifier: GPL-3.0-or-later
// The registry kept in files, and the key-path text the game writes through.

#include "support/asnobody.h"
#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/foldersnapshot.h"
#include "support/recordingmessageboxes.h"
#include "support/registration.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Title = QStringLiteral("Kalumo Bingo");
const QString Games = QStringLiteral("SOFTWARE\\Kalumo\\Games");
const QString GamesPath = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games");

TEST(ParseKeyPath, SplitsTheRootKeyFromTheSubkeyOrShowsTheFormatError)
{
    // No subkey: the path is refused, shown as "Incorrect Format:" and left as it was.
    constexpr quint32 Untouched = 12345;
    // clang-format off
    const struct { const char *path; quint32 root; const char *subKey; } table[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games", RootKey::LocalMachine, "SOFTWARE\\Kalumo\\Games"},
        {"HKEY_CURRENT_USER", RootKey::CurrentUser, ""}, {"HKEY_DYN_DATA\\a", RootKey::DynData, "a"}, {"HKEY_", 0, ""},
        {"HKEY_local_machine\\SOFTWARE", 0, "SOFTWARE"}, {"HKEY_LOCAL_MACHINE \\SOFTWARE", 0, "SOFTWARE"},
        {"HKEY_USERS\\", Untouched, nullptr}, {"hkey_local_machine\\SOFTWARE", Untouched, nullptr},
        {"HKEY", Untouched, nullptr}, {"", Untouched, nullptr}, {" HKEY_USERS", Untouched, nullptr}};
    // clang-format on
    for (const auto &c : table) {
        RecordingMessageBoxes boxes;
        QString path = QString::fromUtf8(c.path);
        quint32 root = Untouched;
        CustomRegistry(FileRegistry({}), boxes, Title).ParseKeyPath(path, root);
        EXPECT_EQ(path, QString::fromUtf8(c.subKey ? c.subKey : c.path)) << c.path;
        EXPECT_EQ(root, c.root) << c.path;
        const QString shown = QStringLiteral("Incorrect Format:\n\n") + QString::fromUtf8(c.path);
        EXPECT_TRUE(c.subKey
                        ? boxes.shown.isEmpty()
                        : boxes.shown.size() == 1 && boxes.shown[0].kind == ShownBox::Plain && boxes.shown[0].title == Title && boxes.shown[0].text == shown)
            << c.path;
    }
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
        return outcome.Ok() ? registry.SetValue(key, name, data) : outcome;
    }
    // Sets the game's value through its key path as text.
    RegistryOutcome SetString(const QString &keyPath, const QString &data)
    {
        RegistryOutcome outcome;
        CustomRegistry(registry, boxes, Title).SetStringValue(keyPath, QStringLiteral("Kalumo Bingo"), data, &outcome);
        return outcome;
    }
    // The game's value, by its name.
    QByteArray Value() const
    {
        const QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, Games);
        return values.value(0).name == Title ? values.value(0).data : QByteArray("<none>");
    }
    QString GamesFolder() const { return top.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games")); }

    QTemporaryDir top;
    FileRegistry registry{top.filePath(QStringLiteral("registry"))};
    RecordingMessageBoxes boxes;
};

TEST_F(RegistryTest, WritesEveryByteOfTheDataAndReplacesTheValueWhole)
{
    // Two letters here take two bytes each: the value holds the whole path.
    EXPECT_TRUE(SetString(GamesPath, QStringLiteral("/home/José/Jogos/kalumo-bingo;Kalumo Bingo")).Ok());
    EXPECT_EQ(Value(), QStringLiteral("/home/José/Jogos/kalumo-bingo;Kalumo Bingo").toUtf8());
    // A shorter value replaces the longer one: no byte of it is left, and
    // nothing else is left in the key, such as a half-written file.
    EXPECT_TRUE(SetString(GamesPath, QStringLiteral("C:\\G\\Bingo.exe;KB")).Ok());
    EXPECT_EQ(Value(), QByteArray("C:\\G\\Bingo.exe;KB"));
    EXPECT_EQ(QDir(GamesFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{QStringLiteral("Kalumo Bingo")});
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(RegistryTest, NeitherCreatesAMissingKeyNorFindsAWayOutAndWritesNothingAnywhere)
{
    // Links that lead out of the registry, a key and a value.
    ASSERT_TRUE(QFile::link(top.filePath(QStringLiteral("outside")), GamesFolder() + QStringLiteral("/Out")));
    QFile target(top.filePath(QStringLiteral("outside/target")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly) && target.write("kept") == 4);
    target.close();
    ASSERT_TRUE(QFile::link(target.fileName(), GamesFolder() + QStringLiteral("/Linked")));
    const auto before = FolderSnapshot(top.path());

    // A missing key, a way up, a slash, an empty part, a dot, a linked key and a NUL.
    const QString nul = QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
    for (const QString &key : QStringList{"SOFTWARE\\Kalumo\\Games\\Nope", "SOFTWARE\\..\\..\\outside", "../../outside", "SOFTWARE\\\\Kalumo\\Games", ".",
                                          "SOFTWARE\\Kalumo\\Games\\Out", nul})
        EXPECT_EQ(Write(key, QStringLiteral("v"), "x").status, RegistryStatus::KeyMissing) << key.toStdString();
    RegistryKey key;
    EXPECT_EQ(registry.OpenKey(0x12345678, Games, key).status, RegistryStatus::KeyMissing);
    for (const QString &name : QStringList{QString(), "..", "../../outside/v", "Out/v", nul})
        EXPECT_EQ(Write(Games, name, "x").status, RegistryStatus::KeyMissing) << name.toStdString();
    EXPECT_EQ(Write(Games, QStringLiteral("Linked"), "x").status, RegistryStatus::WriteFailed);
    EXPECT_EQ(Write(Games, QStringLiteral("Out"), "x").status, RegistryStatus::WriteFailed);

    // Through the key path as text, only a path of the wrong form is shown.
    // clang-format off
    const struct { const char *keyPath; RegistryStatus status; int boxes; } table[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games\\", RegistryStatus::InvalidKeyPath, 1},
        {"HKEY_FOO\\SOFTWARE\\Kalumo\\Games", RegistryStatus::InvalidKeyPath, 0},
        {"HKEY_CURRENT_USER\\SOFTWARE\\Kalumo\\Games", RegistryStatus::KeyMissing, 0}};
    // clang-format on
    for (const auto &c : table) {
        boxes.shown.clear();
        EXPECT_EQ(SetString(QString::fromUtf8(c.keyPath), QStringLiteral("data")).status, c.status) << c.keyPath;
        EXPECT_EQ(boxes.shown.size(), c.boxes) << c.keyPath;
    }
    EXPECT_EQ(FolderSnapshot(top.path()), before);
}

TEST_F(RegistryTest, ARegistrationRunThatCannotWriteSaysWhyEndsWithStatusOneAndKeepsTheValue)
{
    ASSERT_TRUE(SetString(GamesPath, u"old"_s).Ok());
    const auto open = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(top.path(), open | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(GamesFolder(), open));
    // A missing key, and one that may not be written, as a user who may not write anywhere regardless of its rights.
    for (const auto &[folder, reason] :
         {std::pair{top.filePath(u"nowhere"_s), "the key does not exist"}, {registry.Folder(), "writing to the key is not allowed"}}) {
        // clang-format off
        EXPECT_EQ(ExitStatusAsNobody([&] {
            const int status = Registration::Register(folder, u"/usr/games/kalumo-bingo"_s, Title, boxes);
            const QString box = boxes.Lines().value(0);
            return status == 1 && boxes.shown.size() == 1 && box.startsWith(u"2 Kalumo Bingo: The game could not be registered")
                    && box.contains(GamesPath) && box.contains(QString::fromUtf8(reason)) && box.contains(folder)
                ? 0 : 1;
        }), 0) << reason;
        // clang-format on
    }
    QFile::setPermissions(GamesFolder(), open | QFileDevice::WriteOwner);
    EXPECT_EQ(Value(), QByteArray("old"));
    EXPECT_FALSE(QFileInfo::exists(top.filePath(u"nowhere"_s)));
}

TEST(FileRegistryFolder, IsTheNamedFolderAndNoneTakesNoWrite)
{
    EXPECT_EQ(FileRegistry::DefaultFolder(), qEnvironmentVariable("KALUMO_REGISTRY")); // the test main names one
    RegistryKey key;
    EXPECT_EQ(FileRegistry({}).OpenKey(RootKey::LocalMachine, QString(), key).status, RegistryStatus::KeyMissing);
    EXPECT_FALSE(FileRegistry({}).CreateKey(RootKey::LocalMachine, Games).Ok());
}

} // namespace
