#include "support/asnobody.h"
#include "support/fileregistry.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QString GamesSubKey = QStringLiteral("SOFTWARE\\Kalumo\\Games");

// Runs start-up without a command line: a registration run, which ends the
// program through shutdown. The boxes it showed, as "<kind> <title>: <text>".
QStringList registrationRun(const QString &registryFolder, int status)
{
    WindowFixture fixture(QString(), WindowFixture::Options().RegistryFolder(registryFolder));
    QSignalSpy shutDown(fixture.window.get(), &frmMain::ShutdownFinished);
    QStringList shown;
    if (fixture.window->Startup() != status || shutDown.count() != 1 || !fixture.link.joinCalls.isEmpty() || !fixture.link.sent.isEmpty())
        shown << QStringLiteral("wrong status, no shutdown or a join");
    for (const ShownBox &box : fixture.boxes.shown)
        shown << QStringLiteral("%1 %2: %3").arg(box.kind).arg(box.title, box.text);
    // Shutdown ran, so the run leaves a tally file with the blank entry behind.
    QFile tallies(fixture.folder.filePath(QStringLiteral("BingoMem.Usr")));
    if (!tallies.open(QIODevice::ReadOnly) || tallies.readAll() != "@0\xFE")
        shown << QStringLiteral("no tally file");
    return shown << fixture.ProgramFile();
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
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        // As a user who may not write to any folder regardless of its rights.
        const int status = ExitStatusAsNobody([&] {
            const QStringList shown = registrationRun(dir.path(), 1);
            fprintf(stderr, "%s\n", qPrintable(shown.join(u'\n')));
            return shown.size() == 2 && shown[0].startsWith(u"2 Kalumo Bingo: The game could not be registered with Kalumo Chat.")
                    && shown[0].contains(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games") && shown[0].contains(QString::fromUtf8(reason))
                ? 0 : 1;
        });
        QFile::setPermissions(games, readOnly | QFileDevice::WriteOwner);
        EXPECT_EQ(status, 0) << reason;
        EXPECT_TRUE(registry.Values(RootKey::LocalMachine, GamesSubKey).isEmpty()) << reason;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before) << reason;
        EXPECT_EQ(QFileInfo::exists(games), createKey) << reason;
    }
}

} // namespace
