#include "support/asnobody.h"
#include "support/fileregistry.h"
#include "support/recordingmessageboxes.h"
#include "support/registration.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString GamesSubKey = QStringLiteral("SOFTWARE\\Kalumo\\Games");

// A registration run of the program file `program`: its exit status, then its boxes.
QStringList registrationRun(const QString &registryFolder, const QString &program)
{
    RecordingMessageBoxes boxes;
    const int status = Registration::Register(registryFolder, program, QStringLiteral("Kalumo Bingo"), boxes);
    return QStringList(QString::number(status)) + boxes.Lines();
}

TEST(RegistrationRun, RegistersTheProgramFileUnderTheGamesKeyAndARunFromAnotherFolderReplacesIt)
{
    QTemporaryDir registryDir;
    const FileRegistry registry(registryDir.path());
    ASSERT_TRUE(registry.CreateKey(RootKey::LocalMachine, GamesSubKey).Ok());
    for (const QString program : {"/opt/a;b/kalumo-bingo", "/usr/games/kalumo-bingo"}) {
        EXPECT_EQ(registrationRun(registryDir.path(), program),
                  QStringList({"0", "0 Done.: Game has been registered with Kalumo Chat, You may now call it from the games list."}));
        const QList<RegistryValue> values = registry.Values(RootKey::LocalMachine, GamesSubKey);
        ASSERT_EQ(values.size(), 1);
        EXPECT_EQ(values[0].name + u'=' + QString::fromUtf8(values[0].data), "Kalumo Bingo=" + program + ";Kalumo Bingo");
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
            const QStringList shown = registrationRun(dir.path(), QStringLiteral("/usr/games/kalumo-bingo"));
            return shown.size() == 2 && shown[0] == u"1"
                    && shown[1].startsWith(u"2 Kalumo Bingo: The game could not be registered with Kalumo Chat.")
                    && shown[1].contains(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kalumo\\Games") && shown[1].contains(QString::fromUtf8(reason))
                ? 0 : 1;
        });
        QFile::setPermissions(games, readOnly | QFileDevice::WriteOwner);
        EXPECT_EQ(status, 0) << reason;
        EXPECT_TRUE(registry.Values(RootKey::LocalMachine, GamesSubKey).isEmpty()) << reason;
        EXPECT_EQ(QFileInfo::exists(games), createKey) << reason;
    }
}

} // namespace
