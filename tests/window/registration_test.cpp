#include "support/fileregistry.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const QString GamesSubKey = QStringLiteral("SOFTWARE\\Kalumo\\Games");
const QString GamesFolder = QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games");

// What one registration run did: its exit status, whether shutdown ran and
// whether the window ever showed.
struct RunResult
{
    std::optional<int> exitStatus;
    bool shutDown = false;
    bool shown = false;
};

RunResult Register(WindowFixture &fixture)
{
    QSignalSpy shutDown(fixture.window.get(), &frmMain::ShutDown);
    RunResult run;
    run.exitStatus = fixture.window->Startup();
    run.shutDown = shutDown.count() == 1;
    run.shown = fixture.window->isVisible();
    return run;
}

class RegistrationRun : public ::testing::Test
{
protected:
    QList<RegistryValue> GamesValues() const
    {
        return FileRegistry(registryDir.path()).Values(RootKey::LocalMachine, GamesSubKey);
    }

    QTemporaryDir registryDir;
};

TEST_F(RegistrationRun, RegistersTheProgramFileUnderTheGamesKeyAndSaysSo)
{
    ASSERT_TRUE(FileRegistry(registryDir.path()).CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
    WindowFixture fixture(QString(), WindowFixture::Options().RegistryFolder(registryDir.path()));

    const RunResult run = Register(fixture);

    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.shutDown);
    EXPECT_FALSE(run.shown);
    const QList<RegistryValue> values = GamesValues();
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].name, QStringLiteral("Kalumo Bingo"));
    EXPECT_EQ(values[0].data, (fixture.ProgramFile() + QStringLiteral(";Kalumo Bingo")).toUtf8());
    ASSERT_EQ(fixture.boxes.shown.size(), 1);
    EXPECT_EQ(fixture.boxes.shown[0].kind, ShownBox::Information);
    EXPECT_EQ(fixture.boxes.shown[0].title, QStringLiteral("Done."));
    EXPECT_EQ(fixture.boxes.shown[0].text,
              QStringLiteral("Game has been registered with Kalumo Chat, You may now call it from the games list."));
    EXPECT_TRUE(fixture.link.joinCalls.isEmpty());
    EXPECT_TRUE(fixture.link.sent.isEmpty());
    // Shutdown ran, so the run leaves a tally file with the blank entry behind.
    QFile tallies(fixture.window->MemFile());
    ASSERT_TRUE(tallies.open(QIODevice::ReadOnly));
    EXPECT_EQ(tallies.readAll(), QByteArray("@0\xFE"));
}

TEST_F(RegistrationRun, ARunFromAnotherFolderReplacesTheValue)
{
    ASSERT_TRUE(FileRegistry(registryDir.path()).CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
    WindowFixture first(QString(), WindowFixture::Options().RegistryFolder(registryDir.path()));
    WindowFixture moved(QString(), WindowFixture::Options().RegistryFolder(registryDir.path()));
    ASSERT_NE(first.ProgramFile(), moved.ProgramFile());

    EXPECT_EQ(Register(first).exitStatus, 0);
    EXPECT_EQ(Register(moved).exitStatus, 0);

    const QList<RegistryValue> values = GamesValues();
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].data, (moved.ProgramFile() + QStringLiteral(";Kalumo Bingo")).toUtf8());
}

TEST_F(RegistrationRun, AValueNotWrittenIsReportedAsAnErrorAndEndsWithStatusOne)
{
    const struct
    {
        const char *situation;
        bool createKey;
        bool readOnlyKey;
        const char *reason;
    } table[] = {
        {"missing key", false, false, "the key does not exist"},
        {"read-only key", true, true, "writing to the key is not allowed"},
    };
    for (const auto &c : table) {
        if (c.readOnlyKey && ::geteuid() == 0)
            continue; // the superuser may write to any folder
        QTemporaryDir dir;
        const FileRegistry registry(dir.path());
        if (c.createKey) {
            ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
        }
        const QString games = QDir(dir.path()).filePath(GamesFolder);
        if (c.readOnlyKey) {
            ASSERT_TRUE(QFile::setPermissions(games, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        WindowFixture fixture(QString(), WindowFixture::Options().RegistryFolder(dir.path()));

        const RunResult run = Register(fixture);

        EXPECT_EQ(run.exitStatus, 1) << c.situation;
        EXPECT_TRUE(run.shutDown) << c.situation;
        EXPECT_FALSE(run.shown) << c.situation;
        ASSERT_EQ(fixture.boxes.shown.size(), 1) << c.situation;
        const ShownBox &box = fixture.boxes.shown[0];
        EXPECT_EQ(box.kind, ShownBox::Error) << c.situation;
        EXPECT_EQ(box.title, QStringLiteral("Kalumo Bingo")) << c.situation;
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("The game could not be registered with Kalumo Chat.")));
        EXPECT_TRUE(box.text.contains(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games"))) << c.situation;
        EXPECT_TRUE(box.text.contains(QString::fromUtf8(c.reason))) << box.text.toStdString();
        EXPECT_TRUE(registry.Values(RootKey::LocalMachine, GamesSubKey).isEmpty()) << c.situation;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before) << c.situation;
        EXPECT_EQ(QFileInfo::exists(games), c.createKey) << c.situation;
        if (c.readOnlyKey)
            QFile::setPermissions(games, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

} // namespace
