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

// Runs start-up as a registration run, which ends the program with `status`
// through shutdown and never shows the window.
void ExpectRegistrationRun(WindowFixture &fixture, int status, const char *situation = "")
{
    QSignalSpy shutDown(fixture.window.get(), &frmMain::ShutdownFinished);
    EXPECT_EQ(fixture.window->Startup(), status) << situation;
    EXPECT_EQ(shutDown.count(), 1) << situation;
    EXPECT_FALSE(fixture.window->isVisible()) << situation;
}

TEST(RegistrationRun, RegistersTheProgramFileUnderTheGamesKeyAndARunFromAnotherFolderReplacesIt)
{
    QTemporaryDir registryDir;
    const FileRegistry registry(registryDir.path());
    ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
    const auto options = WindowFixture::Options().RegistryFolder(registryDir.path());
    WindowFixture first(QString(), options);
    WindowFixture moved(QString(), options);
    ASSERT_NE(first.ProgramFile(), moved.ProgramFile());

    ExpectRegistrationRun(first, 0);

    QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, GamesSubKey);
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].name, QStringLiteral("Kalumo Bingo"));
    EXPECT_EQ(values[0].data, (first.ProgramFile() + QStringLiteral(";Kalumo Bingo")).toUtf8());
    ASSERT_EQ(first.boxes.shown.size(), 1);
    EXPECT_EQ(first.boxes.shown[0].kind, ShownBox::Information);
    EXPECT_EQ(first.boxes.shown[0].title, QStringLiteral("Done."));
    EXPECT_EQ(first.boxes.shown[0].text,
              QStringLiteral("Game has been registered with Kalumo Chat, You may now call it from the games list."));
    EXPECT_TRUE(first.link.joinCalls.isEmpty());
    EXPECT_TRUE(first.link.sent.isEmpty());
    // Shutdown ran, so the run leaves a tally file with the blank entry behind.
    QFile tallies(first.window->MemFile());
    ASSERT_TRUE(tallies.open(QIODevice::ReadOnly));
    EXPECT_EQ(tallies.readAll(), QByteArray("@0\xFE"));

    ExpectRegistrationRun(moved, 0);

    values = registry.Values(RootKey::LocalMachine, GamesSubKey);
    ASSERT_EQ(values.size(), 1);
    EXPECT_EQ(values[0].data, (moved.ProgramFile() + QStringLiteral(";Kalumo Bingo")).toUtf8());
}

TEST(RegistrationRun, AValueNotWrittenIsReportedAsAnErrorAndEndsWithStatusOne)
{
    const struct { const char *situation; bool createKey, readOnlyKey; const char *reason; } table[] = {
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
        const QString games = QDir(dir.path()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games"));
        if (c.readOnlyKey) {
            ASSERT_TRUE(QFile::setPermissions(games, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        WindowFixture fixture(QString(), WindowFixture::Options().RegistryFolder(dir.path()));

        ExpectRegistrationRun(fixture, 1, c.situation);

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
