#include "support/fileregistry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

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

// A temporary folder holding the registry (with the games key) and, beside
// it, a folder that a way out of the registry would reach.
class FileRegistryTest : public ::testing::Test
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
    QString GamesFolder() const { return top.filePath(QStringLiteral("registry/HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games")); }

    QTemporaryDir top;
    FileRegistry registry{top.filePath(QStringLiteral("registry"))};
};

TEST_F(FileRegistryTest, WritesAValueAndReplacesItWhole)
{
    ASSERT_TRUE(Write(Games, QStringLiteral("Kalumo Bingo"), "/first/place/kalumo-bingo;Kalumo Bingo").Ok());
    ASSERT_TRUE(Write(Games, QStringLiteral("Kalumo Bingo"), "/b;K").Ok());

    const QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, Games);
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].name, QStringLiteral("Kalumo Bingo"));
    EXPECT_EQ(values[0].data, QByteArray("/b;K"));
    // Nothing else is left in the key, such as a half-written file.
    EXPECT_EQ(QDir(GamesFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("Kalumo Bingo")});
}

TEST_F(FileRegistryTest, NeitherWritesNorCreatesAMissingKey)
{
    const auto before = Snapshot(top.path());
    EXPECT_EQ(Write(QStringLiteral("SOFTWARE\\Kalumo\\Games\\Nope"), QStringLiteral("v"), "x").status,
              RegistryStatus::KeyMissing);
    EXPECT_EQ(Write(QStringLiteral("SOFTWARE\\Other"), QStringLiteral("v"), "x").status, RegistryStatus::KeyMissing);
    RegistryKey key;
    EXPECT_EQ(registry.OpenKey(0x12345678, Games, key).status, RegistryStatus::KeyMissing);
    EXPECT_EQ(Snapshot(top.path()), before);
}

TEST_F(FileRegistryTest, RefusesEveryWayOutOfTheRegistryAndWritesNothingAnywhere)
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
        QStringLiteral(".."), QStringLiteral("SOFTWARE\\.."), QStringLiteral("SOFTWARE\\Kalumo\\Games\\..\\..\\..\\.."),
        QStringLiteral("SOFTWARE\\..\\..\\outside"), QStringLiteral("SOFTWARE/Kalumo/Games"),
        QStringLiteral("../../outside"), QStringLiteral("SOFTWARE\\\\Kalumo\\Games"), QStringLiteral("\\SOFTWARE"),
        QStringLiteral("SOFTWARE\\Kalumo\\Games\\"), QStringLiteral("."), QStringLiteral("SOFTWARE\\.\\Kalumo"),
        QStringLiteral("SOFTWARE\\Kalumo\\Games\\Out"), QStringLiteral("SOFTWARE") + QChar(u'\0'), nul};
    for (const QString &key : keys)
        EXPECT_EQ(Write(key, QStringLiteral("v"), "x").status, RegistryStatus::KeyMissing) << key.toStdString();

    const QString names[] = {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../../../../outside/v"),
                             QStringLiteral("/v"), QStringLiteral("Out/v"), nul};
    for (const QString &name : names)
        EXPECT_EQ(Write(Games, name, "x").status, RegistryStatus::KeyMissing) << name.toStdString();
    EXPECT_EQ(Write(Games, QStringLiteral("Linked"), "x").status, RegistryStatus::WriteFailed);
    EXPECT_EQ(Write(Games, QStringLiteral("Out"), "x").status, RegistryStatus::WriteFailed);

    EXPECT_EQ(Snapshot(top.path()), before);
}

TEST_F(FileRegistryTest, RefusesAKeyThatMayNotBeWritten)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write to any folder";
    ASSERT_TRUE(QFile::setPermissions(GamesFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(Write(Games, QStringLiteral("v"), "x").status, RegistryStatus::AccessDenied);
    QFile::setPermissions(GamesFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(registry.Values(RootKey::LocalMachine, Games).isEmpty());
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
