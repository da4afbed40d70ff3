#include "support/asnobody.h"
#include "support/fileregistry.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QString GamesSubKey = QStringLiteral("SOFTWARE\\Kalumo\\Games");

// A registration run, start-up without a command line, ending through shutdown: its boxes, then the program file.
QStringList registrationRun(const QString &registryFolder, int status)
{
    WindowFixture fixture(QString(), QString(), registryFolder);
    QSignalSpy shutDown(fixture.window.get(), &frmMain::ShutdownFinished);
    const bool ran = fixture.window->Startup() == status && shutDown.count() == 1 && fixture.link.joinCalls.isEmpty();
    QStringList shown = fixture.boxes.Lines();
    if (!ran || !fixture.link.sent.isEmpty())
        shown << QStringLiteral("wrong status, no shutdown or a join");
    return shown << fixture.folder.filePath(QStringLiteral("kalumo-bingo"));
}

TEST(RegistrationRun, RegistersTheProgramFileUnderTheGamesKeyAndARunFromAnotherFolderReplacesIt)
{
    QTemporaryDir registryDir;
    const FileRegistry registry(registryDir.path());
    ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
    for (int run = 0; run < 2; ++run) {
        const QStringList shown = registrationRun(registryDir.path(), 0);
        EXPECT_EQ(shown.first(shown.size() - 1), QStringList{QStringLiteral(
            "0 Done.: Game has been registered with Kalumo Chat, You may now call it from the games list.")});
        const QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, GamesSubKey);
        ASSERT_EQ(values.size(), 1);
        EXPECT_EQ(values[0].name + u'=' + QString::fromUtf8(values[0].data), "Kalumo Bingo=" + shown.last() + ";Kalumo Bingo");
    }
}

TEST(RegistrationRun, AValueNotWrittenIsReportedAsAnErrorAndEndsWithStatusOne)
{
    for (const auto &[createKey, reason] : {std::pair{false, "the key does not exist"}, {true, "writing to the key is not allowed"}}) {
        QTemporaryDir dir;
        const FileRegistry registry(dir.path());
        ASSERT_TRUE(!createKey || registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
        const QString games = QDir(dir.path()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games"));
        const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
        QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
        QFile::setPermissions(games, readOnly);
        // As a user who may not write to any folder regardless of its rights.
        const int status = ExitStatusAsNobody([&] {
            const QStringList shown = registrationRun(dir.path(), 1);
            return shown.size() == 2 && shown[0].startsWith(u"2 Kalumo Bingo: The game could not be registered with Kalumo Chat.")
                    && shown[0].contains(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games") && shown[0].contains(QString::fromUtf8(reason))
                ? 0 : 1;
        });
        QFile::setPermissions(games, readOnly | QFileDevice::WriteOwner);
        EXPECT_EQ(status, 0) << reason;
        EXPECT_TRUE(registry.Values(RootKey::LocalMachine, GamesSubKey).isEmpty()) << reason;
        EXPECT_EQ(QFileInfo::exists(games), createKey) << reason;
    }
}

} // namespace
