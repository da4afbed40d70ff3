// SPDX-License-Identifier: GPL-3.0-or-later
// The real programs: kalumo-hub and kalumo-bingo as processes, under the
// offscreen platform, against a hub on loopback.

#include "cli/gameslist.h"
#include "hub/support/runninghubs.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/fileregistry.h"
#include "support/registration.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Starts a program with extra "NAME=value" entries in its environment, output and errors merged.
void start(QProcess &process, const QString &program, const QStringList &arguments, const QStringList &environment = {})
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setEnvironment(QProcess::systemEnvironment() + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"KALUMO_LINK_HOST=127.0.0.1"_s} + environment);
    process.start(program, arguments);
}

TEST(RealProcesses, AnInstalledCopyRunsAsAPlayerRunsIt)
{
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(u"bin/"_s), log = prefix.filePath(u"ann.log"_s);
    const QStringList environment{u"KALUMO_REGISTRY="_s + prefix.filePath(u"registry"_s), u"KALUMO_CHAT_TRANSCRIPT="_s + log};
    const auto run = [&](const QString &program, const QStringList &arguments) { // its standard output, if it succeeds
        QProcess process;
        process.setEnvironment(QProcess::systemEnvironment() + environment);
        process.start(program, arguments);
        return process.waitForFinished(60000) && process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : u"failed"_s;
    };
    ASSERT_NE(run(QStringLiteral(KALUMO_CMAKE), {u"--install"_s, QStringLiteral(KALUMO_BUILD_DIR), u"--prefix"_s, prefix.path()}), u"failed");
    // clang-format off
    const struct { QString program; QStringList arguments; QString output; } answers[] = {
        {u"desktop-file-validate"_s, {prefix.filePath(u"share/applications/org.kalumo.Bingo.desktop"_s)}, {}},
        {u"appstreamcli"_s, {u"validate"_s, u"--no-net"_s, prefix.filePath(u"share/metainfo/org.kalumo.Bingo.metainfo.xml"_s)}, {}},
        {bin + u"kalumo"_s, {u"--version"_s}, u"kalumo " KALUMO_VERSION "\n"_s},
        {bin + u"kalumo-bingo"_s, {u"--version"_s}, u"kalumo-bingo " KALUMO_VERSION "\n"_s},
        {bin + u"kalumo-hub"_s, {u"--version"_s}, u"kalumo-hub " KALUMO_VERSION "\n"_s},
        {bin + u"kalumo"_s, {u"--help"_s}, u"Usage: kalumo\n"_s},
        {bin + u"kalumo-bingo"_s, {u"--help"_s}, u"Usage: kalumo-bingo ANY PORT KEY NAME HOSTNAME\n"_s},
        {bin + u"kalumo-hub"_s, {u"--help"_s}, u"Usage: kalumo-hub serve"_s},
    };
    // clang-format on
    for (const auto &c : answers) EXPECT_TRUE(run(c.program, c.arguments).startsWith(c.output)) << c.program.toStdString();

    // play starts the installed window, and the registration names it.
    QProcess play, registration, hub, ann;
    start(play, bin + u"kalumo-hub"_s, {u"play"_s, u"Ann"_s}, environment);
    ASSERT_TRUE(QTest::qWaitFor([&] { return contents(log).contains(u"Thank You For Choosing Kalumo Bingo."_s); }, 10000));
    play.terminate();
    EXPECT_TRUE(play.waitForFinished(10000) && play.exitCode() == 0) << play.readAll().toStdString();
    start(registration, bin + u"kalumo-bingo"_s, {}, environment);
    const FileRegistry registry(prefix.filePath(u"registry"_s));
    EXPECT_TRUE(QTest::qWaitFor([&] { return GamesList(registry).Games().value(0).program == bin + u"kalumo-bingo"_s; }, 10000));
    registration.kill(); // it waits on its "Done." box

    // Ann's window plays a round that the test hosts as Hal, down to Ann's win; the chat host may pass its whole line
    // as one argument.
    const quint16 port = StartServe(hub, 0, environment, bin + u"kalumo-hub"_s);
    TcpGameLink hal(u"127.0.0.1"_s);
    QSignalSpy halHears(&hal, &GameLink::TextReceived);
    ASSERT_TRUE(hal.Connect(port));
    ASSERT_EQ(hal.Join({u"K"_s, u"Hal"_s}, 10000), std::nullopt);
    start(ann, bin + u"kalumo-bingo"_s, {u"x %1 K Ann Hal"_s.arg(port)}, environment);
    // Ann's window is in the game once its own announcement reaches Hal; records sent before would miss it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::ranges::any_of(halHears, [](const QList<QVariant> &heard) { return heard.value(1) == u"Ann"_s; }); }, 10000));
    for (const QString &record : {u"2|ResetMe|5"_s, u"1|7"_s, u"3|Ann|1"_s}) hal.SendMessage(u"Comm;"_s + record);
    EXPECT_TRUE(QTest::qWaitFor([&] { return contents(log).contains(u"** Ann Has Won The Game! 1 Total Win(s)! **"_s); }, 10000));
    EXPECT_TRUE(contents(log).contains(u"** The Number (7) Has Been Called."_s));

    // A hub asked to end ends the normal way; the window outlives it and still saves its tallies when it closes.
    hub.terminate();
    ASSERT_TRUE(hub.waitForFinished(10000) && hub.exitStatus() == QProcess::NormalExit && hub.exitCode() == 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return contents(log).contains(u"The link to the game was lost"); }, 10000));
    EXPECT_EQ(ann.state(), QProcess::Running);
    QFile::remove(bin + u"BingoMem.Usr"_s); // play's windows saved theirs there too
    ann.terminate();
    EXPECT_TRUE(ann.waitForFinished(10000) && ann.exitStatus() == QProcess::NormalExit && ann.exitCode() == 0);
    EXPECT_TRUE(QFile::exists(bin + u"BingoMem.Usr"_s)) << "shutdown saved the tallies";
}

// A copy of the hub beside a stand-in for the game program, with a registry of its own.
// Each stand-in records how it was started and ends at once, unless told to wait.
class HubProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(top.path()).mkpath(u"bin"_s));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KALUMO_HUB_PATH), path(u"bin/kalumo-hub"_s)));
        for (const QString &label : {u"bin/kalumo-bingo"_s, u"registered"_s}) {
            QFile script(path(label));
            ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            script.write(u"#!/bin/sh\necho \"%1 $*\" >> '%2'\n[ -z \"$STANDIN_WAITS\" ] || exec sleep 60\n"_s.arg(label, path(u"record"_s)).toUtf8());
        }
    }
    QString path(const QString &name) const { return top.filePath(name); }
    void launch(QProcess &hub, const QStringList &arguments, const QStringList &environment = {}) const
    {
        start(hub, path(u"bin/kalumo-hub"_s), arguments, QStringList{u"KALUMO_REGISTRY="_s + path(u"registry"_s)} + environment);
    }
    QString run(const QStringList &arguments) const
    {
        QProcess hub;
        launch(hub, arguments);
        EXPECT_TRUE(hub.waitForFinished(60000) && hub.exitCode() == 0) << arguments.join(u' ').toStdString();
        return QString::fromUtf8(hub.readAll());
    }
    void enroll(const QString &program) const
    {
        const FileRegistry registry(path(u"registry"_s));
        RegistryKey key;
        ASSERT_TRUE(registry.CreateKey(Registration::GamesRoot, Registration::GamesSubKey).Ok()
                    && registry.OpenKey(Registration::GamesRoot, Registration::GamesSubKey, key).Ok()
                    && registry.SetValue(key, u"Kalumo Bingo"_s, Registration::Data(program, u"Kalumo Bingo"_s).toUtf8()).Ok());
    }

    QTemporaryDir top;
};

TEST_F(HubProcess, GamesAndPlayTakeTheRegisteredProgramElseTheOneBesideTheHub)
{
    EXPECT_EQ(run({u"games"_s}), u"kalumo-hub: no games are registered in "_s + path(u"registry"_s) + u'\n');
    enroll(path(u"registered"_s));
    EXPECT_EQ(run({u"games"_s}), u"Kalumo Bingo: "_s + path(u"registered"_s) + u'\n');
    // clang-format off
    const struct { const char *situation; QString registered; QStringList option; QString started, note; } table[] = {
        {"registered", path(u"registered"_s), {}, u"registered"_s, {}},
        {"none registered", {}, {}, u"bin/kalumo-bingo"_s, u"no program is registered as Kalumo Bingo; starting "_s},
        {"registered file gone", path(u"moved away"_s), {}, u"bin/kalumo-bingo"_s, u"is gone or cannot be run; starting "_s},
        {"--program given", path(u"registered"_s), {u"--program"_s, path(u"bin/kalumo-bingo"_s)}, u"bin/kalumo-bingo"_s, {}},
    };
    // clang-format on
    for (const auto &c : table) {
        QFile::remove(path(u"record"_s));
        QDir(path(u"registry"_s)).removeRecursively();
        if (!c.registered.isEmpty()) enroll(c.registered);
        const QString output = run(QStringList{u"play"_s} + c.option + QStringList{u"Ann"_s, u"Bob"_s});

        QStringList lines = contents(path(u"record"_s)).split(u'\n', Qt::SkipEmptyParts);
        lines.sort();
        const QRegularExpression started(u"^%1 kalumo-hub (\\d+ [0-9A-F]{16}) Ann Ann\n%1 kalumo-hub \\1 Bob Ann$"_s.arg(c.started));
        EXPECT_TRUE(started.match(lines.join(u'\n')).hasMatch()) << c.situation << ": " << lines.join(u'\n').toStdString();
        EXPECT_EQ(output.contains(c.note + path(u"bin/kalumo-bingo"_s) + u" instead\n"_s), !c.note.isEmpty()) << c.situation;
        EXPECT_FALSE(output.contains(u"computer players"_s)) << c.situation; // none were asked for
    }
}

TEST_F(HubProcess, CtrlCEndsPlayItsWindowsAndItsComputerPlayersTheNormalWay)
{
    QProcess hub;
    hub.setChildProcessModifier([] { ::setpgid(0, 0); }); // the terminal's foreground group
    launch(hub, {u"play"_s, u"--program"_s, path(u"registered"_s), u"--computer"_s, u"1"_s, u"Ann"_s, u"Bob"_s}, {u"STANDIN_WAITS=1"_s});
    ASSERT_TRUE(QTest::qWaitFor([&] { return contents(path(u"record"_s)).count(u'\n') == 2; }, 10000));
    const QString key = contents(path(u"record"_s)).section(u' ', 3, 3); // the windows' game
    const QByteArray joined = u"join: game %1: Computer 1"_s.arg(key).toUtf8();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hub.peek(1 << 16).contains(joined); })) << hub.peek(1 << 16).toStdString();
    ::kill(-pid_t(hub.processId()), SIGINT); // what Ctrl+C does
    ASSERT_TRUE(hub.waitForFinished(10000));
    const QString output = QString::fromUtf8(hub.readAll());
    EXPECT_TRUE(hub.exitCode() == 0 && output.count(u"closed when asked to"_s) == 2 && !output.contains(u"crashed"_s)
                && !output.contains(u"computer players"_s)) // that did not start, or ended by themselves
        << output.toStdString();
}

} // namespace
