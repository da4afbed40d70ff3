// The tally file across runs of the game window: loaded at start-up, written
// back at the close, never lost to a failed save or to another window.

#include "support/childprocess.h"
#include "support/ridmod.h"
#include "support/windowfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>

namespace {

QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

const QString HostLine = QStringLiteral("x 77 K7 Ann Ann");
const QString PlayerLine = QStringLiteral("x 78 K7 Bob Ann");

class TallyFileTest : public ::testing::Test
{
protected:
    QString MemFile() const { return folder.filePath(QStringLiteral("BingoMem.Usr")); }
    void Put(const QByteArray &bytes) const
    {
        QFile file(MemFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray Bytes() const
    {
        QFile file(MemFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }
    std::unique_ptr<WindowFixture> Start(const QString &commandLine) const
    {
        auto fixture = std::make_unique<WindowFixture>(commandLine, WindowFixture::Options().ProgramFolder(folder.path()));
        EXPECT_EQ(fixture->window->Startup(), std::nullopt);
        return fixture;
    }

    QTemporaryDir folder;
};

// The host's window alone, or beside a player's window on the same folder.
enum class Closing { HostAlone, HostFirst, PlayerFirst };

struct RunCase
{
    const char *what;
    std::optional<QByteArray> before;
    Closing closing;
    QStringList winners; // wins the host counts
    QList<qint16> totals;
    QByteArray after;
};
void PrintTo(const RunCase &c, std::ostream *os) { *os << c.what; }

class TallyRun : public TallyFileTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(TallyRun, LoadsAtStartAndWritesBackAtCloseWithoutUndoingAnotherWindowsWin)
{
    const RunCase &c = GetParam();
    if (c.before)
        Put(*c.before);
    auto host = Start(HostLine);
    auto player = c.closing == Closing::HostAlone ? nullptr : Start(PlayerLine);
    ASSERT_TRUE(host->Control(QStringLiteral("cmdNewGame"))->isEnabled());
    QList<qint16> totals;
    for (const QString &winner : c.winners)
        totals.append(host->RecordWin(winner));
    if (c.closing == Closing::PlayerFirst) {
        EXPECT_TRUE(player->window->close());
    }
    EXPECT_TRUE(host->window->close());
    if (c.closing == Closing::HostFirst) {
        EXPECT_TRUE(player->window->close());
    }
    EXPECT_EQ(totals, c.totals);
    EXPECT_EQ(Bytes(), c.after);
    EXPECT_TRUE(host->boxes.shown.isEmpty());
}

using enum Closing;
INSTANTIATE_TEST_SUITE_P(Table, TallyRun, ::testing::Values(
    RunCase{"first start leaves the blank entry", std::nullopt, HostAlone, {}, {}, "@0\xFE"_b},
    RunCase{"Ann's second win in a later run", "@0\xFE" "Ann@1\xFE"_b, HostAlone, {"Ann"}, {2}, "@0\xFE" "Ann@2\xFE"_b},
    RunCase{"a run without wins leaves the file as it was", "Ann@1\xFE\r\n"_b, HostAlone, {}, {}, "Ann@1\xFE\r\n"_b},
    RunCase{"an empty file is no entry and stays", ""_b, HostAlone, {}, {}, ""_b},
    RunCase{"a file from the Windows program keeps its names", "Zo\xEB@1\xFE"_b, HostAlone,
            {QStringLiteral(u"Zo\u00EB")}, {2}, "Zo\xC3\xAB@2\xFE"_b},
    RunCase{"Ann's first win, host closes first", std::nullopt, HostFirst, {"Ann"}, {1}, "@0\xFE" "Ann@1\xFE"_b},
    RunCase{"Ann's first win, player closes first", std::nullopt, PlayerFirst, {"Ann"}, {1}, "@0\xFE" "Ann@1\xFE"_b},
    RunCase{"later run, host closes first", "@0\xFE" "Bob@2\xFE"_b, HostFirst, {"Ann"}, {1},
            "@0\xFE" "Bob@2\xFE" "Ann@1\xFE"_b},
    RunCase{"later run, player closes first", "@0\xFE" "Bob@2\xFE"_b, PlayerFirst, {"Ann"}, {1},
            "@0\xFE" "Bob@2\xFE" "Ann@1\xFE"_b}));

TEST_F(TallyFileTest, TwoHostsOfTwoGamesOnOneFolderBothKeepTheirWins)
{
    Put("@0\xFE" "Ann@1\xFE"_b);
    auto first = Start(HostLine);
    auto second = Start(QStringLiteral("x 79 K8 Cy Cy"));
    EXPECT_EQ(first->RecordWin(QStringLiteral("Ann")), 2);
    EXPECT_EQ(second->RecordWin(QStringLiteral("Cy")), 1);
    EXPECT_EQ(second->RecordWin(QStringLiteral("Ann")), 2);
    EXPECT_TRUE(first->window->close());
    EXPECT_TRUE(second->window->close());
    EXPECT_EQ(Bytes(), "@0\xFE" "Ann@3\xFE" "Cy@1\xFE"_b) << "the second close counts its wins on top of the first's";
    EXPECT_TRUE(first->boxes.shown.isEmpty() && second->boxes.shown.isEmpty());
}

TEST_F(TallyFileTest, AFileThatCannotBeReadIsReportedAndNeverWrittenOver)
{
    // Too large to be a tally file: start-up refuses to read it.
    Put("Ann@1\xFE"_b);
    ASSERT_TRUE(QFile::resize(MemFile(), RidMod::MaxFileSize + 1));

    for (const bool win : {false, true}) {
        auto w = Start(HostLine);
        ASSERT_FALSE(w->boxes.shown.isEmpty());
        EXPECT_EQ(w->boxes.shown[0].kind, ShownBox::Plain);
        EXPECT_TRUE(w->boxes.shown[0].text.startsWith(QStringLiteral("75\r\n"))) << w->boxes.shown[0].text.toStdString();
        if (win)
            w->RecordWin(QStringLiteral("Ann"));
        EXPECT_TRUE(w->window->close());

        // Wins that cannot be saved are not lost without a word.
        ASSERT_EQ(w->boxes.shown.size(), win ? 2 : 1);
        if (win) {
            EXPECT_EQ(w->boxes.shown[1].kind, ShownBox::Error);
            EXPECT_TRUE(w->boxes.shown[1].text.contains(MemFile()));
        }
        EXPECT_EQ(QFileInfo(MemFile()).size(), RidMod::MaxFileSize + 1);
        EXPECT_EQ(Bytes().left(7), "Ann@1\xFE\0"_b);
    }
}

// In a child: start on `folder`, record Ann's second win, close; 0 when the
// close went ahead after one error box that names the file.
int CloseAfterAFailedSave(const QString &folder, const QString &memFile)
{
    WindowFixture w(HostLine, WindowFixture::Options().ProgramFolder(folder));
    if (w.window->Startup() || w.RecordWin(QStringLiteral("Ann")) != 2)
        return 10;
    if (!w.window->close())
        return 11;
    for (const ShownBox &box : w.boxes.shown)
        fprintf(stderr, "box: %s\n", qPrintable(box.text));
    const bool told = w.boxes.shown.size() == 1 && w.boxes.shown[0].kind == ShownBox::Error
        && w.boxes.shown[0].text.contains(QStringLiteral("could not be saved")) && w.boxes.shown[0].text.contains(memFile);
    return told ? 0 : 12;
}

TEST_F(TallyFileTest, AFailedSaveShowsTheMessageClosesAndLeavesTheOldFile)
{
    const struct {
        const char *what;
        bool folderReadOnly;
        int (*restrictChild)(); // 0 when the child is set up
    } cases[] = {
        // Root writes into any folder whatever its permissions say.
        {"a folder that may not be written", true, [] {
             const bool root = ::geteuid() == 0;
             return root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ? 20 : 0;
         }},
        // Files may grow to 4 bytes: the new tally file cannot be completed.
        {"a full disk", false, [] {
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4, 4};
             return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? 0 : 21;
         }}};
    const QByteArray old = "@0\xFE" "Ann@1\xFE"_b;
    const auto openFolder = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    for (const auto &c : cases) {
        Put(old);
        if (c.folderReadOnly) {
            // The file itself may be written by anyone; only the folder is shut.
            ASSERT_TRUE(QFile::setPermissions(MemFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                             | QFileDevice::ReadOther | QFileDevice::WriteOther));
            ASSERT_TRUE(QFile::setPermissions(folder.path(), openFolder));
        }
        const int status = ExitStatusInChild([&] {
            const int restricted = c.restrictChild();
            return restricted ? restricted : CloseAfterAFailedSave(folder.path(), MemFile());
        });
        QFile::setPermissions(folder.path(), openFolder | QFileDevice::WriteOwner);
        EXPECT_EQ(status, 0) << c.what;
        EXPECT_EQ(Bytes(), old) << c.what;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("BingoMem.Usr")});
    }
}

} // namespace
