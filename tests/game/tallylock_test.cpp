// The tally file's save at close, below the window.

#include "game/members.h"
#include "game/tallyfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>

namespace {

QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<no file>"_b;
}

// One run of a host's window: load, count the wins, save at close.
bool playRun(const QString &path, const QStringList &winners)
{
    TallyFile file;
    QList<QByteArray> entries;
    file.Load(path, entries);
    MemberTable table;
    table.LoadTallyEntries(entries);
    for (const QString &name : winners)
        table.RecordWin(name);
    return file.Save(path, table, entries);
}

TEST(TallySave, KeepsEveryEntryItDidNotChangeByteForByteAndNeverWritesOneThatReadsBackOtherwise)
{
    QByteArray noise(20000, '\0'); // any bytes but "@": no entry the program can read
    QRandomGenerator random(12);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    noise = noise.replace('@', 'x') + '\xFE';
    const struct { const char *what; QByteArray before; QStringList winners; QByteArray after; } cases[] = {
        {"not UTF-8", "Kept\x81" "entry\xFE" "Ann@1\xFE"_b, {"Ann"}, "Kept\x81" "entry\xFE" "Ann@2\xFE"_b},
        {"a Windows-1252 name nobody won", "Zo\xEB@1\xFE"_b, {"Ann"}, "Zo\xEB@1\xFE" "Ann@1\xFE"_b},
        {"random bytes", noise, {"Ann"}, noise + "Ann@1\xFE"_b},
        {"a name holding @ is left out", "@0\xFE"_b, {"Zed@30000", "Ann"}, "@0\xFE" "Ann@1\xFE"_b},
        {"and alone writes nothing", "@0\xFE"_b, {"Zed@30000"}, "@0\xFE"_b}};
    QTemporaryDir folder;
    const QString path = folder.filePath(TallyFile::FileName);
    for (const auto &c : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.before) == c.before.size());
        file.close();
        playRun(path, c.winners);
        EXPECT_EQ(readAll(path), c.after) << c.what;
    }
    // No file, and no lock file can be made beside it: only lost wins are news.
    const QString unwritable = folder.filePath(QStringLiteral("missing/") + TallyFile::FileName);
    EXPECT_FALSE(playRun(unwritable, {}));
    EXPECT_ANY_THROW(playRun(unwritable, {QStringLiteral("Ann")}));
}

TEST(TallySave, TwoWindowsClosingAtOnceOverAndOverKeepEveryWin)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(TallyFile::FileName);
    pid_t children[2];
    for (pid_t &child : children) {
        if ((child = ::fork()) == 0) {
            for (int run = 0; run < 100; ++run)
                playRun(path, {QStringLiteral("Ann")}); // a throw ends the child abnormally
            std::_Exit(0);
        }
    }
    for (const pid_t child : children) {
        int status = -1;
        EXPECT_TRUE(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(readAll(path), "Ann@200\xFE"_b);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".lock")));
}

} // namespace
