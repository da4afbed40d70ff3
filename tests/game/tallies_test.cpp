// SPDX-License-Identifier: GPL-3.0-or-later
// Win counts and the tally file across runs: loaded at start-up, written back
// at the close, never lost to a failed save or to another window on the same
// folder.

#include "game/members.h"
#include "game/tallies.h"
#include "support/asnobody.h"
#include "support/filebytes.h"
#include "support/listfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

TEST(MemberTable, CountsWinsAndGivesBackEveryEntryInPlace)
{
    // The tally file's entries, the claims accepted in order, their totals, the entries saved.
    // clang-format off
    const struct { const char *what; QList<QByteArray> loaded; QStringList winners; QList<qint16> totals; QList<QByteArray> saved; bool changed; } cases[] = {
        {"first run, nobody wins", {}, {}, {}, {"@0"}, false},
        {"ann and Ann are two members", {"@0", "Ann@1"}, {"ann", "Ann"}, {1, 2}, {"@0", "Ann@2", "ann@1"}, true},
        {"a name twice: only the first is raised", {"Ann@1", "Bob@4", "Ann@7"}, {"Ann"}, {2},
         {"Ann@2", "Bob@4", "Ann@7"}, true},
        {"text after a second @ is not part of the count", {"Ann@3@7"}, {"Ann"}, {4}, {"Ann@4"}, true},
        {"a fraction rounds half to even", {"Ann@2.5", "Bob@3.5"}, {"Ann"}, {3}, {"Ann@3", "Bob@4"}, true},
        {"negative counts count on", {"Ann@-3"}, {"Ann"}, {-2}, {"Ann@-2"}, true},
        {"unreadable entries stay in place and never win", {"junk", "Ann@x", "@0", "", "Ann@", "Ann@40000", "Ann@1"},
         {"Ann", ""}, {2, 1}, {"junk", "Ann@x", "@1", "", "Ann@", "Ann@40000", "Ann@2"}, true},
        {"an empty claimant never takes an unreadable entry", {"junk"}, {""}, {1}, {"junk", "@1"}, true},
        {"a count at its top stays there and changes nothing", {"Ann@32767"}, {"Ann", "Ann"}, {32767, 32767},
         {"Ann@32767"}, false}};
    // clang-format on
    for (const auto &c : cases) {
        MemberTable table;
        table.LoadTallyEntries(c.loaded);
        table.AddBlankEntryIfEmpty();
        QList<qint16> totals;
        for (const QString &winner : c.winners) totals.append(table.RecordWin(winner));
        EXPECT_EQ(totals, c.totals) << c.what;
        EXPECT_EQ(table.TallyEntryBytes(), c.saved) << c.what;
        EXPECT_EQ(table.ChangedThisRun(), c.changed) << c.what;
    }
}

// One window's tallies: loaded at its start, saved at its close.
struct Session
{
    explicit Session(const QString &programFolder, const QString &dataFolder = {})
        : tallies(programFolder, dataFolder)
    {
        loaded = tallies.Load();
    }
    // Counts a win for each name; names are separated by blanks, and "|" saves there, as the host's window
    // does after a win.
    Session &Wins(const char *names)
    {
        for (const QString &name : QString::fromUtf8(names).split(u' ', Qt::SkipEmptyParts))
            name == QLatin1String("|") ? void(tallies.Save(0)) : void(tallies.Members().RecordWin(name));
        return *this;
    }
    std::optional<RunTimeError> Close() { return tallies.Save(); }

    Tallies tallies;
    std::optional<RunTimeError> loaded;
};

class TallyFileTest : public ::testing::Test
{
protected:
    QString Path() const { return folder.filePath(TallyFile::FileName); }

    QTemporaryDir folder;
};

TEST_F(TallyFileTest, EachRunAddsItsWinsAtItsCloseKeepingEveryOtherByteAndAnotherRunsWins)
{
    // Up to two runs on one folder, a host's window beside a player's (no
    // wins) or beside the host of another game; nullptr for no file, no
    // second run.
    // clang-format off
    const struct { const char *what; const char *before; const char *first, *second; bool secondFirst; QByteArray after; } cases[] = {
        {"first start leaves the blank entry", nullptr, "", nullptr, false, "@0\xFE"_b},
        {"a run without wins leaves the file as it was", "Ann@1\xFE\r\n", "", nullptr, false, "Ann@1\xFE\r\n"_b},
        {"an empty file is no entry and stays", "", "", nullptr, false, ""_b},
        {"a Windows-1252 name", "Zo\xEB\x80@1\xFE", "Zo\u00EB\u20AC", nullptr, false, "Zo\u00EB\u20AC@2\xFE"_b},
        {"a UTF-8 name with a thorn", "\xC3\xBEora@1\xFE", "\u00FEora", nullptr, false, "\xC3\xBEora@2\xFE"_b},
        {"a Windows-1252 name nobody won", "Zo\xEB@1\xFE", "Ann", nullptr, false, "Zo\xEB@1\xFE" "Ann@1\xFE"_b},
        {"not UTF-8", "Kept\x81" "entry\xFE" "Ann@1\xFE", "Ann", nullptr, false, "Kept\x81" "entry\xFE" "Ann@2\xFE"_b},
        {"a name holding @ is left out", "@0\xFE", "Zed@30000 Ann", nullptr, false, "@0\xFE" "Ann@1\xFE"_b},
        {"and alone writes nothing", "@0\xFE", "Zed@30000", nullptr, false, "@0\xFE"_b},
        {"first win, the player closes first", nullptr, "Ann", "", true, "@0\xFE" "Ann@1\xFE"_b},
        {"later run, the host closes first", "@0\xFE" "Bob@2\xFE", "Ann", "", false, "@0\xFE" "Bob@2\xFE" "Ann@1\xFE"_b},
        {"two hosts", "@0\xFE" "Ann@1\xFE", "Ann", "Cy Ann", false, "@0\xFE" "Ann@3\xFE" "Cy@1\xFE"_b},
        {"two hosts, the other first", "@0\xFE" "Ann@1\xFE", "Ann", "Cy Ann", true, "@0\xFE" "Ann@3\xFE" "Cy@1\xFE"_b},
        {"saved after each win, each counted once", "@0\xFE", "Ann | Ann | Bob |", nullptr, false, "@0\xFE" "Ann@2\xFE" "Bob@1\xFE"_b},
        {"two hosts saving after each win", "@0\xFE", "Ann | Ann", "Cy | Ann |", false, "@0\xFE" "Cy@1\xFE" "Ann@3\xFE"_b}};
    // clang-format on
    for (const auto &c : cases) {
        QFile::remove(Path());
        ASSERT_TRUE(!c.before || PutFile(Path(), c.before));
        Session first(folder.path());
        std::optional<Session> second;
        if (c.second) second.emplace(folder.path()).Wins(c.second);
        first.Wins(c.first);
        if (c.secondFirst) second->Close();
        first.Close();
        if (second && !c.secondFirst) second->Close();
        EXPECT_EQ(FileBytes(Path()), c.after) << c.what;
    }
    // No file, and no folder for it can be made: only lost wins are news.
    Session unwritable(folder.filePath(TallyFile::FileName)); // a program folder that is a file
    EXPECT_FALSE(unwritable.Close());
    EXPECT_TRUE(unwritable.Wins("Ann").Close());
}

TEST_F(TallyFileTest, AProgramInAFolderItCannotWriteKeepsTheWinsInTheDataFolderStartingFromTheFileBesideIt)
{
    const QString program = folder.filePath(QStringLiteral("bin")), data = folder.filePath(QStringLiteral("kalumo"));
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const auto put = [&](const QString &folder, const char *text) { // as the player's own
        const QString path = QDir(folder).filePath(TallyFile::FileName);
        return !text || (QDir().mkpath(folder) && QFile::setPermissions(folder, open) && PutFile(path, text) && QFile::setPermissions(path, open));
    };
    // The program's folder, the file beside the program and in the data folder before and after one run.
    // clang-format off
    const struct { const char *what; bool writable; const char *beside, *own, *winners; QByteArray besideAfter, ownAfter; } cases[] = {
        {"a folder that can be written keeps it beside", true, "Ann@1\xFE", nullptr, "Ann", "Ann@2\xFE"_b, "<no file>"_b},
        {"no file anywhere: the data folder is made", false, nullptr, nullptr, "Ann", "<no file>"_b, "@0\xFE" "Ann@1\xFE"_b},
        {"a file beside: its counts carry on", false, "Ann@1\xFE", nullptr, "Ann", "Ann@1\xFE"_b, "Ann@2\xFE"_b},
        {"even without a win", false, "Ann@1\xFE", nullptr, "", "Ann@1\xFE"_b, "Ann@1\xFE"_b},
        {"both: the data folder's holds them already", false, "Ann@1\xFE", "Ann@5\xFE", "Ann", "Ann@1\xFE"_b, "Ann@6\xFE"_b}};
    // clang-format on
    for (const auto &c : cases) {
        QDir(program).removeRecursively();
        QDir(data).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(program) && put(program, c.beside) && put(data, c.own) && QFile::setPermissions(folder.path(), open));
        ASSERT_TRUE(c.writable || QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        EXPECT_EQ(ExitStatusAsNobody([&] { return Session(program, data).Wins(c.winners).Close() ? 1 : 0; }), 0) << c.what;
        QFile::setPermissions(program, open);
        EXPECT_EQ(FileBytes(QDir(program).filePath(TallyFile::FileName)), c.besideAfter) << c.what;
        EXPECT_EQ(FileBytes(QDir(data).filePath(TallyFile::FileName)), c.ownAfter) << c.what;
    }
}

TEST_F(TallyFileTest, TwoWindowsClosingAtOnceOverAndOverKeepEveryWin)
{
    pid_t children[2];
    for (pid_t &child : children) {
        if ((child = ::fork()) == 0) {
            for (int run = 0; run < 100; ++run) {
                if (Session(folder.path()).Wins("Ann").Close()) std::_Exit(1);
            }
            std::_Exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        EXPECT_TRUE(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(FileBytes(Path()),
              "@0\xFE"
              "Ann@200\xFE"_b);
    EXPECT_FALSE(QFile::exists(Path() + QStringLiteral(".lock")));
}

TEST_F(TallyFileTest, AFileThatCannotBeReadIsReportedAtStartAndAtACloseWithWinsAndNeverWrittenOver)
{
    // Too large to be a tally file: start-up refuses to read it.
    ASSERT_TRUE(PutFile(Path(), "Ann@1\xFE") && QFile::resize(Path(), ListFile::MaxFileSize + 1));
    for (const char *winners : {"", "Bob"}) {
        Session session(folder.path());
        EXPECT_TRUE(session.loaded && session.loaded->BoxText().startsWith(u"75\r\n") && session.loaded->description.contains(Path()));
        // Wins that cannot be saved are not lost without a word.
        const std::optional<RunTimeError> saved = session.Wins(winners).Close();
        EXPECT_EQ(saved.has_value(), *winners != 0) << winners;
        EXPECT_TRUE(!saved || saved->description.contains(Path())) << winners;
        EXPECT_EQ(FileBytes(Path()), "Ann@1\xFE"_b.leftJustified(ListFile::MaxFileSize + 1, '\0'));
    }
}

} // namespace
