#include "support/ridmod.h"

#include "support/childprocess.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

TEST(ListFileBytes, ReadAsTheseEntriesAndWrittenBackTheSame)
{
    const struct {
        const char *what;
        QByteArray bytes;
        QStringList entries;
        bool writtenSo; // saving the entries gives these very bytes
    } cases[] = {
        {"empty list", ""_b, {}, true},
        {"blank entry and Ann", "@0\xFE" "Ann@1\xFE"_b, {"@0", "Ann@1"}, true},
        {"no separator at all", "Ann@1\r\nBob@2\r\n"_b, {}, false},
        {"line ending after the last separator", "@0\xFE\r\n"_b, {"@0"}, false},
        {"other text after the last separator", "@0\xFE" "Ann@1"_b, {"@0"}, false},
        {"empty entry between two separators", "a\xFE\xFE" "b\xFE"_b, {"a", "", "b"}, true},
        {"UTF-8 names, thorn included", "Zo\xC3\xAB@1\xFE\xC3\xBEora@2\xFE\xE6\x97\xA5@3\xFE"_b,
         {QStringLiteral(u"Zo\u00EB@1"), QStringLiteral(u"\u00FEora@2"), QStringLiteral(u"\u65E5@3")}, true},
        {"byte order mark kept as a character", "\xEF\xBB\xBF@0\xFE"_b, {QStringLiteral(u"\uFEFF@0")}, true},
        {"Windows-1252 bytes beside a UTF-8 entry", "Zo\xEB@1\xFE\x80uro\x9F\xFE\xC3\xA9\xFE"_b,
         {QStringLiteral(u"Zo\u00EB@1"), QStringLiteral(u"\u20ACuro\u0178"), QStringLiteral(u"\u00E9")}, false},
        {"cut-off UTF-8 sequence read as Windows-1252", "Ann\xC3\xFE"_b, {QStringLiteral(u"Ann\u00C3")}, false}};
    for (const auto &c : cases) {
        EXPECT_EQ(RidMod::DecodeList(c.bytes), c.entries) << c.what;
        if (c.writtenSo) {
            EXPECT_EQ(RidMod::EncodeList(c.entries), c.bytes) << c.what;
        }
    }
}

class ListFiles : public ::testing::Test
{
protected:
    QString Path() const { return dir.filePath(QStringLiteral("list.dat")); }
    QByteArray Bytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir dir;
};

TEST_F(ListFiles, SaveReplacesTheWholeFileOnlyOnceTheNewOneIsComplete)
{
    {
        const QByteArray former = "a much longer former content\xFE"_b;
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(former), former.size());
    }
    const QStringList list{QStringLiteral("@0"), QStringLiteral(u"Zo\u00EB@1")};
    RidMod::SaveListToFile(list, Path());
    EXPECT_EQ(Bytes(), "@0\xFEZo\xC3\xAB@1\xFE"_b);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("list.dat")});

    // A program dying between writing and replacing leaves the old file whole.
    const int status = ExitStatusInChild([&] {
        RidMod::SaveListToFile({QStringLiteral("@0"), QStringLiteral("Ann@2"), QStringLiteral("Bob@1")}, Path(),
                               [] { std::_Exit(42); });
        return 0;
    });
    ASSERT_EQ(status, 42) << "the child did not die between writing and replacing";
    EXPECT_EQ(Bytes(), "@0\xFEZo\xC3\xAB@1\xFE"_b);

    // Whatever the dead writer left beside it does not disturb the next run.
    QStringList loaded{QStringLiteral("stale")};
    RidMod::LoadListFromFile(loaded, Path());
    EXPECT_EQ(loaded, list);
    RidMod::SaveListToFile({QStringLiteral("@0"), QStringLiteral("Ann@2")}, Path());
    EXPECT_EQ(Bytes(), "@0\xFE" "Ann@2\xFE"_b);
}

TEST_F(ListFiles, ReadFailuresAreReportedWithTheFileAndLeaveTheListEmpty)
{
    // An empty file name reads nothing and touches no file.
    QStringList list{QStringLiteral("stale")};
    RidMod::LoadListFromFile(list, QString());
    EXPECT_TRUE(list.isEmpty());

    list = QStringList{QStringLiteral("stale")};
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

} // namespace
