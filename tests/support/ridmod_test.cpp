#include "support/ridmod.h"

#include "support/childprocess.h"
#include "window/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

struct ListCase
{
    const char *what;
    QByteArray bytes;
    QStringList entries;
    bool writtenSo; // saving the entries gives these very bytes
};
void PrintTo(const ListCase &c, std::ostream *os) { *os << c.what; }

class ListFileBytes : public ::testing::TestWithParam<ListCase> {};

TEST_P(ListFileBytes, ReadAsTheseEntriesAndWrittenBackTheSame)
{
    const ListCase &c = GetParam();
    EXPECT_EQ(RidMod::DecodeList(c.bytes), c.entries) << c.what;
    if (c.writtenSo) {
        EXPECT_EQ(RidMod::EncodeList(c.entries), c.bytes) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ListFileBytes, ::testing::Values(
    ListCase{"empty list", ""_b, {}, true},
    ListCase{"blank entry and Ann", "@0\xFE" "Ann@1\xFE"_b, {"@0", "Ann@1"}, true},
    ListCase{"no separator at all", "Ann@1\r\nBob@2\r\n"_b, {}, false},
    ListCase{"line ending after the last separator", "@0\xFE\r\n"_b, {"@0"}, false},
    ListCase{"other text after the last separator", "@0\xFE" "Ann@1"_b, {"@0"}, false},
    ListCase{"empty entry between two separators", "a\xFE\xFE" "b\xFE"_b, {"a", "", "b"}, true},
    ListCase{"UTF-8 names, thorn included", "Zo\xC3\xAB@1\xFE\xC3\xBEora@2\xFE\xE6\x97\xA5@3\xFE"_b,
             {QStringLiteral(u"Zo\u00EB@1"), QStringLiteral(u"\u00FEora@2"), QStringLiteral(u"\u65E5@3")}, true},
    ListCase{"byte order mark kept as a character", "\xEF\xBB\xBF@0\xFE"_b, {QStringLiteral(u"\uFEFF@0")}, true},
    ListCase{"Windows-1252 bytes beside a UTF-8 entry", "Zo\xEB@1\xFE\x80uro\x9F\xFE\xC3\xA9\xFE"_b,
             {QStringLiteral(u"Zo\u00EB@1"), QStringLiteral(u"\u20ACuro\u0178"), QStringLiteral(u"\u00E9")}, false},
    ListCase{"cut-off UTF-8 sequence read as Windows-1252", "Ann\xC3\xFE"_b, {QStringLiteral(u"Ann\u00C3")}, false}));

class ListFiles : public ::testing::Test
{
protected:
    QString Path() const { return dir.filePath(QStringLiteral("list.dat")); }
    QByteArray Bytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    void Put(const QByteArray &bytes) const
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QTemporaryDir dir;
};

TEST_F(ListFiles, SaveReplacesTheWholeFileAndLoadGivesTheListBack)
{
    Put("a much longer former content\xFE"_b);
    const QStringList list{QStringLiteral("@0"), QStringLiteral(u"Zo\u00EB@1")};
    RidMod::SaveListToFile(list, Path());
    EXPECT_EQ(Bytes(), "@0\xFEZo\xC3\xAB@1\xFE"_b);

    QStringList loaded{QStringLiteral("stale")};
    RidMod::LoadListFromFile(loaded, Path());
    EXPECT_EQ(loaded, list);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("list.dat")});
}

TEST_F(ListFiles, AnEmptyFileNameReadsNothingAndTouchesNoFile)
{
    QStringList list{QStringLiteral("stale")};
    RidMod::LoadListFromFile(list, QString());
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(RidMod::ReadTextFile(QString()), QString());
}

TEST_F(ListFiles, ReadFailuresAreReportedWithTheFileAndLeaveTheListEmpty)
{
    QStringList list{QStringLiteral("stale")};
    try {
        RidMod::LoadListFromFile(list, Path());
        FAIL() << "a missing file was read";
    } catch (const RunTimeError &error) {
        EXPECT_TRUE(error.description.contains(Path())) << error.description.toStdString();
    }
    EXPECT_TRUE(list.isEmpty());

    // A file far larger than any list is refused rather than read whole.
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(RidMod::MaxFileSize + 1));
    }
    EXPECT_THROW(RidMod::LoadListFromFile(list, Path()), RunTimeError);
}

TEST_F(ListFiles, AProgramDyingBeforeTheRenameLeavesTheOldFileWhole)
{
    const QByteArray old = "@0\xFE" "Ann@1\xFE"_b;
    Put(old);
    const int status = ExitStatusInChild([&] {
        RidMod::SaveListToFile({QStringLiteral("@0"), QStringLiteral("Ann@2"), QStringLiteral("Bob@1")}, Path(),
                               [] { std::_Exit(42); });
        return 0;
    });
    ASSERT_EQ(status, 42) << "the child did not die between writing and replacing";
    EXPECT_EQ(Bytes(), old);

    // Whatever the dead writer left beside it does not disturb the next run.
    QStringList list;
    RidMod::LoadListFromFile(list, Path());
    EXPECT_EQ(list, QStringList({QStringLiteral("@0"), QStringLiteral("Ann@1")}));
    RidMod::SaveListToFile({QStringLiteral("@0"), QStringLiteral("Ann@2")}, Path());
    EXPECT_EQ(Bytes(), "@0\xFE" "Ann@2\xFE"_b);
}

} // namespace
