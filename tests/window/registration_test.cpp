#include "support/childprocess.h"
#include "support/fileregistry.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <grp.h>

namespace {

const QString GamesSubKey = QStringLiteral("SOFTWARE\\Kalumo\\Games");

// Runs start-up without a command line: a registration run, which ends the
// program through shutdown. The boxes it showed, as "<kind> <title>: <text>".
QStringList registrationRun(WindowFixture &fixture, int status)
{
    QSignalSpy shutDown(fixture.window.get(), &frmMain::ShutdownFinished);
    QStringList shown;
    if (fixture.window->Startup() != status || shutDown.count() != 1)
        shown << QStringLiteral("wrong status or no shutdown");
    for (const ShownBox &box : fixture.boxes.shown)
        shown << QStringLiteral("%1 %2: %3").arg(box.kind).arg(box.title, box.text);
    return shown;
}

TEST(RegistrationRun, RegistersTheProgramFileUnderTheGamesKeyAndARunFromAnotherFolderReplacesIt)
{
    QTemporaryDir registryDir;
    const FileRegistry registry(registryDir.path());
    ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
    for (int run = 0; run < 2; ++run) {
        WindowFixture fixture(QString(), WindowFixture::Options().RegistryFolder(registryDir.path()));
        EXPECT_EQ(registrationRun(fixture, 0), QStringList{QStringLiteral(
            "0 Done.: Game has been registered with Kalumo Chat, You may now call it from the games list.")});
        EXPECT_TRUE(fixture.link.joinCalls.isEmpty() && fixture.link.sent.isEmpty());
        const QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, GamesSubKey);
        ASSERT_EQ(values.size(), 1);
        EXPECT_EQ(values[0].name + u'=' + QString::fromUtf8(values[0].data), "Kalumo Bingo=" + fixture.ProgramFile() + ";Kalumo Bingo");
        // Shutdown ran, so the run leaves a tally file with the blank entry behind.
        QFile tallies(fixture.folder.filePath(QStringLiteral("BingoMem.Usr")));
        EXPECT_TRUE(tallies.open(QIODevice::ReadOnly) && tallies.readAll() == "@0\xFE");
    }
}

TEST(RegistrationRun, AValueNotWrittenIsReportedAsAnErrorAndEndsWithStatusOne)
{
    const struct { const char *situation; bool createKey; const char *reason; } table[] = {
        {"missing key", false, "the key does not exist"},
        {"read-only key", true, "writing to the key is not allowed"},
    };
    for (const auto &c : table) {
        QTemporaryDir dir;
        const FileRegistry registry(dir.path());
        ASSERT_TRUE(!c.createKey || registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
        const QString games = QDir(dir.path()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games"));
        const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
        QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
        QFile::setPermissions(games, readOnly);
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        // In a child that is not the superuser, who may write to any folder.
        const int status = ExitStatusInChild([&] {
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                return 2;
            WindowFixture fixture(QString(), WindowFixture::Options().RegistryFolder(dir.path()));
            const QStringList shown = registrationRun(fixture, 1);
            fprintf(stderr, "%s\n", qPrintable(shown.join(u'\n')));
            return shown.size() == 1 && shown[0].startsWith(u"2 Kalumo Bingo: The game could not be registered with Kalumo Chat.")
                    && shown[0].contains(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games")
                    && shown[0].contains(QString::fromUtf8(c.reason))
                ? 0 : 1;
        });

        QFile::setPermissions(games, readOnly | QFileDevice::WriteOwner);
        EXPECT_EQ(status, 0) << c.situation;
        EXPECT_TRUE(registry.Values(RootKey::LocalMachine, GamesSubKey).isEmpty()) << c.situation;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before) << c.situation;
        EXPECT_EQ(QFileInfo::exists(games), c.createKey) << c.situation;
    }
}

} // namespace
