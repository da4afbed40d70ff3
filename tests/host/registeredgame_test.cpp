// kalumo-hub as a real process: which program `play` starts, and what
// `games` lists. A copy of the hub runs from a folder of its own, beside a
// stand-in for the game program; each stand-in is a script that records how
// it was started and ends at once, which ends the local game.

#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/recordingmessageboxes.h"
#include "support/registration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString Bingo = QStringLiteral("Kalumo Bingo");

struct HubRun { int exitCode = -1; QString out, err; };

class HubProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(top.path()).mkpath(QStringLiteral("bin")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KALUMO_HUB_PATH), Hub()));
        const auto runnable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        ASSERT_TRUE(QFile::setPermissions(Hub(), runnable));
        // Each stand-in records its label and arguments, and ends at once.
        for (const auto &[path, label] : {std::pair{Beside(), "beside"}, std::pair{Registered(), "registered"}}) {
            QFile script(path);
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"%1 $*\" >> '%2'\n")
                             .arg(QString::fromUtf8(label), top.filePath(QStringLiteral("record"))).toUtf8());
            script.close();
            ASSERT_TRUE(script.setPermissions(runnable));
        }
    }

    QString Hub() const { return top.filePath(QStringLiteral("bin/kalumo-hub")); }
    QString Beside() const { return top.filePath(QStringLiteral("bin/kalumo-bingo")); }
    QString Registered() const { return top.filePath(QStringLiteral("installed game")); }
    QString RegistryFolder() const { return top.filePath(QStringLiteral("registry")); }

    // Registers `program` the way the game registers itself.
    void Register(const QString &program) const
    {
        const FileRegistry registry(RegistryFolder());
        ASSERT_TRUE(registry.CreateKey(Registration::GamesRoot, Registration::GamesSubKey).Ok());
        RecordingMessageBoxes boxes;
        RegistryOutcome outcome;
        CustomRegistry(registry, boxes, Bingo)
            .SetStringValue(Registration::GamesKey, Bingo, Registration::Data(program, Bingo), &outcome);
        ASSERT_TRUE(outcome.Ok());
    }

    HubRun Run(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KALUMO_REGISTRY"), RegistryFolder());
        process.setProcessEnvironment(environment);
        process.start(Hub(), arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString Record() const
    {
        QFile file(top.filePath(QStringLiteral("record")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir top;
};

TEST_F(HubProcess, PlayStartsTheRegisteredProgramElseTheOneBesideItSayingWhy)
{
    const struct
    {
        const char *situation;
        QString registered; // the program registered, if any
        bool programOption;
        const char *started;
        const char *logLine; // nothing when no line explains the choice
    } table[] = {
        {"registered", Registered(), false, "registered", nullptr},
        {"none registered", {}, false, "beside", "no program is registered as Kalumo Bingo; starting "},
        {"registered file gone", top.filePath(QStringLiteral("moved away")), false, "beside", "is gone or cannot be run; starting "},
        {"--program given", Registered(), true, "beside", nullptr},
    };
    for (const auto &c : table) {
        QFile::remove(top.filePath(QStringLiteral("record")));
        QDir(RegistryFolder()).removeRecursively();
        if (!c.registered.isEmpty())
            Register(c.registered);
        QStringList arguments{QStringLiteral("play")};
        if (c.programOption)
            arguments << QStringLiteral("--program") << Beside();

        const HubRun run = Run(arguments << QStringLiteral("Ann"));

        EXPECT_EQ(run.exitCode, 0) << c.situation << "\n" << run.err.toStdString();
        const QRegularExpression started(QStringLiteral("^%1 kalumo-hub \\d+ [0-9A-F]{16} Ann Ann\n$").arg(QString::fromUtf8(c.started)));
        EXPECT_TRUE(started.match(Record()).hasMatch()) << c.situation << ": " << Record().toStdString();
        if (c.logLine)
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.logLine) + Beside() + QStringLiteral(" instead\n")))
                << c.situation << ": " << run.err.toStdString();
        else
            EXPECT_FALSE(run.err.contains(QStringLiteral(" instead"))) << c.situation << ": " << run.err.toStdString();
    }
}

TEST_F(HubProcess, CreatesTheGamesKeyAndListsTheRegisteredGames)
{
    HubRun run = Run({QStringLiteral("games")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(QFileInfo(QDir(RegistryFolder()).filePath(QStringLiteral("HKEY_LOCAL_MACHINE/SOFTWARE/Kalumo/Games"))).isDir());
    EXPECT_EQ(run.out, QString());

    Register(Registered());
    run = Run({QStringLiteral("games")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("Kalumo Bingo: ") + Registered() + QLatin1Char('\n'));
}

} // namespace
