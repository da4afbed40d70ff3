// The tally file's save at close, below the window: entries kept byte for
// byte, nothing said when nothing was won, and two windows closing at once.

#include "game/members.h"
#include "game/tallyfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

// Any bytes but "@", so that every entry is one the program cannot read.
QByteArray randomEntries()
{
    QRandomGenerator random(12);
    QByteArray bytes(20000, '\0');
    for (char &c : bytes)
        c = char(random.bounded(256));
    bytes.replace('@', 'x');
    return bytes + '\xFE';
}

// One run of a host's window: load, count the wins, save at close.
bool playRun(const QString &path, const QStringList &winners)
{
    TallyFile file;
    QList<QByteArray> entries;
    file.Load(path, entries);
    MemberTable table;
    table.LoadTallyEntries(entries);
    table.AddBlankEntryIfEmpty();
    for (const QString &name : winners)
        table.RecordWin(name);
    return file.Save(path, table, entries);
}

class TallySave : public ::testing::Test
{
protected:
    void Put(const QByteArray &bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray Bytes() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "<no file>"_b;
    }

    QTemporaryDir folder;
    QString path = folder.filePath(TallyFile::FileName);
};

TEST_F(TallySave, KeepsEveryEntryItDidNotChangeByteForByteAndNeverWritesAnEntryThatReadsBackOtherwise)
{
    const QByteArray randomBytes = randomEntries();
    const struct {
        const char *what;
        QByteArray before;
        QStringList winners;
        QByteArray after;
    } cases[] = {
        {"an entry not in UTF-8", "Kept\x81" "entry\xFE" "Ann@1\xFE"_b, {"Ann"}, "Kept\x81" "entry\xFE" "Ann@2\xFE"_b},
        {"a Windows-1252 name another player's win leaves alone", "Zo\xEB@1\xFE"_b, {"Ann"},
         "Zo\xEB@1\xFE" "Ann@1\xFE"_b},
        {"encoded surrogate, overlong form, cut sequence", "\xED\xA0\x80\xFE\xC0\xAF\xFE" "A\xC3\xFE"_b, {"Ann"},
         "\xED\xA0\x80\xFE\xC0\xAF\xFE" "A\xC3\xFE" "Ann@1\xFE"_b},
        {"a file of random bytes", randomBytes, {"Ann"}, randomBytes + "Ann@1\xFE"_b},
        {"a name holding @ is left out", "@0\xFE"_b, {"Zed@30000", "Ann"}, "@0\xFE" "Ann@1\xFE"_b},
        {"a win under such a name alone writes nothing", "@0\xFE"_b, {"Zed@30000"}, "@0\xFE"_b}};
    for (const auto &c : cases) {
        Put(c.before);
        playRun(path, c.winners);
        EXPECT_EQ(Bytes(), c.after) << c.what;
    }
}

TEST_F(TallySave, OnlyAWindowWithWinsComplainsThatAFolderItCannotWriteLostThem)
{
    // No file, and no lock file can be made beside it.
    path = folder.filePath(QStringLiteral("missing/") + TallyFile::FileName);
    EXPECT_FALSE(playRun(path, {}));
    EXPECT_ANY_THROW(playRun(path, {QStringLiteral("Ann")}));
}

TEST_F(TallySave, TwoWindowsClosingAtOnceOverAndOverKeepEveryWin)
{
    constexpr int Runs = 100;
    Put("@0\xFE"_b);
    pid_t children[2];
    for (pid_t &child : children) {
        child = ::fork();
        if (child == 0) {
            bool ok = true;
            for (int run = 0; run < Runs && ok; ++run) {
                try {
                    ok = playRun(path, {QStringLiteral("Ann")});
                } catch (...) {
                    ok = false;
                }
            }
            std::_Exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(Bytes(), "@0\xFE" "Ann@" + QByteArray::number(2 * Runs) + "\xFE");
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".lock")));
}

} // namespace
