// The tally file across runs: loaded at start-up, written back at the close,
// never lost to a failed save or to another window on the same folder.

#include "game/members.h"
#include "game/tallyfile.h"
#include "support/ridmod.h"
#include "support/windowfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TallyFileTest : public ::testing::Test
{
protected:
    QString Path() const { return folder.filePath(QStringLiteral("BingoMem.Usr")); }
    void Put(const QByteArray &bytes) const
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QByteArray Bytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    QTemporaryDir folder;
};

// One window's use of the file: loaded at its start, saved at its close.
struct Session
{
    explicit Session(const QString &path) : path(path)
    {
        file.Load(path, list);
        members.LoadTallyEntries(list);
        members.AddBlankEntryIfEmpty();
    }
    // Counts a win for each name; names are separated by blanks.
    Session &Wins(const char *names)
    {
        for (const QString &name : QString::fromUtf8(names).split(u' ', Qt::SkipEmptyParts))
            members.RecordWin(name);
        return *this;
    }
    void Close() { file.Save(path, members, list); }

    QString path;
    TallyFile file;
    QList<QByteArray> list;
    MemberTable members;
};

TEST_F(TallyFileTest, EachRunAddsItsWinsAtItsCloseWithoutUndoingAnotherRunsWins)
{
    // Up to two runs on one folder, a host's window beside a player's (no
    // wins) or beside the host of another game; nullptr for no file, no
    // second run. Winners are separated by blanks.
    const struct { const char *what, *before, *first, *second; bool secondClosesFirst; const char *after; } cases[] = {
        {"first start leaves the blank entry", nullptr, "", nullptr, false, "@0\xFE"},
        {"Ann's second win in a later run", "@0\xFE" "Ann@1\xFE", "Ann", nullptr, false, "@0\xFE" "Ann@2\xFE"},
        {"a run without wins leaves the file as it was", "Ann@1\xFE\r\n", "", nullptr, false, "Ann@1\xFE\r\n"},
        {"an empty file is no entry and stays", "", "", nullptr, false, ""},
        {"a file from the Windows program keeps its names", "Zo\xEB@1\xFE", "Zo\u00EB", nullptr, false, "Zo\u00EB@2\xFE"},
        {"first win, the host closes first", nullptr, "Ann", "", false, "@0\xFE" "Ann@1\xFE"},
        {"first win, the player closes first", nullptr, "Ann", "", true, "@0\xFE" "Ann@1\xFE"},
        {"later run, the host closes first", "@0\xFE" "Bob@2\xFE", "Ann", "", false, "@0\xFE" "Bob@2\xFE" "Ann@1\xFE"},
        {"later run, the player closes first", "@0\xFE" "Bob@2\xFE", "Ann", "", true, "@0\xFE" "Bob@2\xFE" "Ann@1\xFE"},
        {"two hosts", "@0\xFE" "Ann@1\xFE", "Ann", "Cy Ann", false, "@0\xFE" "Ann@3\xFE" "Cy@1\xFE"},
        {"two hosts, the other first", "@0\xFE" "Ann@1\xFE", "Ann", "Cy Ann", true, "@0\xFE" "Ann@3\xFE" "Cy@1\xFE"}};
    for (const auto &c : cases) {
        QFile::remove(Path());
        if (c.before)
            Put(c.before);
        Session first(Path());
        std::optional<Session> second;
        if (c.second)
            second.emplace(Path()).Wins(c.second);
        first.Wins(c.first);
        if (c.secondClosesFirst)
            second->Close();
        first.Close();
        if (second && !c.secondClosesFirst)
            second->Close();
        EXPECT_EQ(Bytes(), QByteArray(c.after)) << c.what;
    }
}

TEST_F(TallyFileTest, AFileThatCannotBeReadIsReportedAtStartAndAtACloseWithWinsAndNeverWrittenOver)
{
    // Too large to be a tally file: start-up refuses to read it.
    Put(QByteArray("Ann@1\xFE", 6));
    ASSERT_TRUE(QFile::resize(Path(), RidMod::MaxFileSize + 1));
    for (const bool win : {false, true}) {
        WindowFixture w(QStringLiteral("x 77 K7 Ann Ann"), WindowFixture::Options().ProgramFolder(folder.path()));
        EXPECT_EQ(w.window->Startup(), std::nullopt);
        for (const char *record : {"2|ResetMe|10", "1|1", "1|2", "1|3", "1|4", "1|5"})
            w.link.Deliver(QStringLiteral("Ann"), QStringLiteral("Comm;") + QLatin1String(record));
        if (win)
            w.link.Deliver(QStringLiteral("Bob"), QStringLiteral("Comm;4|Bob|1@2@3@4@5"));
        EXPECT_TRUE(w.window->close());
        ASSERT_EQ(w.boxes.shown.size(), win ? 2 : 1);
        EXPECT_TRUE(w.boxes.shown[0].kind == ShownBox::Plain && w.boxes.shown[0].text.startsWith(QStringLiteral("75\r\n")));
        EXPECT_TRUE(w.boxes.shown[0].text.contains(Path()));
        // Wins that cannot be saved are not lost without a word.
        if (win) {
            EXPECT_EQ(w.boxes.shown[1].kind, ShownBox::Error);
            EXPECT_TRUE(w.boxes.shown[1].text.startsWith(QStringLiteral("The wins could not be saved.\n")));
            EXPECT_TRUE(w.boxes.shown[1].text.contains(Path()));
        }
        EXPECT_EQ(QFileInfo(Path()).size(), RidMod::MaxFileSize + 1);
        EXPECT_EQ(Bytes().left(7), QByteArray("Ann@1\xFE\0", 7));
    }
}

} // namespace
