#include "hub.h"
#include "localgame.h"

#include "support/waitfor.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct CloseCase
{
    const char *script; // the window program's body; $1 is a file it may write
    bool closeAll;
    const char *log;    // the last line LocalGame logs
};

class LocalGameEnd : public ::testing::TestWithParam<CloseCase> {};

TEST_P(LocalGameEnd, IsCalledClosedOnlyWhenTheWindowWasAskedToClose)
{
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("window.sh"));
    const QString group = folder.filePath(QStringLiteral("group"));
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("#!/bin/sh\ncut -d' ' -f5 /proc/$$/stat > ") + group.toUtf8() + '\n' + GetParam().script + '\n');
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    Hub hub;
    LocalGame game(hub, program);
    QStringList log;
    QObject::connect(&game, &LocalGame::Log, [&](const QString &line) { log << line; });
    QSignalSpy finished(&game, &LocalGame::Finished);
    ASSERT_TRUE(game.Start({QStringLiteral("Ann")}));
    ASSERT_TRUE(WaitFor([&] { return QFile(group).size() > 0; }, 5000));
    if (GetParam().closeAll)
        game.CloseAll();
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty(); }, 5000));
    EXPECT_EQ(log.last(), QString::fromUtf8(GetParam().log));

    // A Ctrl+C at the terminal goes to the hub's process group, not the window's.
    QFile groupFile(group);
    ASSERT_TRUE(groupFile.open(QIODevice::ReadOnly));
    EXPECT_NE(groupFile.readAll().trimmed().toLongLong(), qint64(::getpgrp()));
}

INSTANTIATE_TEST_SUITE_P(Table, LocalGameEnd, ::testing::Values(
    CloseCase{"exec sleep 30", true, "window of Ann closed when asked to"},
    CloseCase{"exit 3", false, "window of Ann closed (status 3)"},
    CloseCase{"kill -TERM $$", false, "window of Ann crashed"}));

} // namespace
