#include "support/ridmod.h"

#include "support/asnobody.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

TEST(ListFileBytes, ReadAsTheseEntriesAndWrittenBackTheSame)
{
    // writtenSo: saving the entries gives these very bytes.
    const struct { const char *what; QByteArray bytes; QStringList entries; bool writtenSo; } cases[] = {
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
        EXPECT_EQ(c.writtenSo ? RidMod::EncodeList(c.entries) : c.bytes, c.bytes) << c.what;
    }
}

class ListFiles : public ::testing::Test
{
protected:
    QString Path() const { return dir.filePath(QStringLiteral("list.dat")); }
    QByteArray Bytes() const { QFile file(Path()); return file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>"_b; }
    void Put(qint64 size, const QByteArray &bytes)
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.resize(size));
    }

    QTemporaryDir dir;
};

TEST_F(ListFiles, SaveReplacesTheWholeFileOnlyOnceTheNewOneIsComplete)
{
    const QByteArray old = "@0\xFEZo\xC3\xAB@1\xFE"_b;
    Put(40, "a much longer former content\xFE"_b);
    RidMod::SaveListToFile({QStringLiteral("@0"), QStringLiteral(u"Zo\u00EB@1")}, Path());
    EXPECT_EQ(Bytes(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.dat")});

    // The child runs as nobody, so that a shut folder holds for root too.
    const struct { const char *what; bool folderShut; int (*setUp)(); int status; } cases[] = {
        {"a folder that may not be written", true, [] { return 0; }, 0},
        // Files may grow to 4 bytes: the new file cannot be completed.
        {"a full disk", false, [] {
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4, 4};
             return ::setrlimit(RLIMIT_FSIZE, &limit);
         }, 0},
        {"a writer dying between writing and replacing", false, [] { return 0; }, 42}};
    const auto open = QFileDevice::ReadOwner | QFileDevice::ReadOther | QFileDevice::ExeOwner | QFileDevice::ExeOther;
    const auto write = QFileDevice::WriteOwner | QFileDevice::WriteOther;
    ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadOther | write));
    for (const auto &c : cases) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), c.folderShut ? open : open | write));
        const int status = ExitStatusAsNobody([&] {
            if (c.setUp() != 0)
                return 98;
            try {
                RidMod::SaveListToFile({QStringLiteral("Ann@2")}, Path(), [&] { c.status ? std::_Exit(c.status) : void(); });
            } catch (const RunTimeError &error) {
                return error.description.contains(Path()) ? 0 : 1;
            }
            return 2;
        });
        QFile::setPermissions(dir.path(), open | write);
        EXPECT_EQ(status, c.status) << c.what;
        EXPECT_EQ(Bytes(), old) << c.what;
        // A failed write leaves nothing beside the file.
        EXPECT_TRUE(c.status || QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{"list.dat"});
    }

    // Whatever the dead writer left beside it does not disturb the next run.
    QStringList loaded{QStringLiteral("stale")};
    RidMod::LoadListFromFile(loaded, Path());
    EXPECT_EQ(loaded, RidMod::DecodeList(old));
    RidMod::SaveListToFile({QStringLiteral("Ann@2")}, Path());
    EXPECT_EQ(Bytes(), "Ann@2\xFE"_b);
}

TEST_F(ListFiles, ReadFailuresAreReportedWithTheFileAndLeaveTheListEmpty)
{
    // No file name (nothing to read), a missing file, and one far larger than
    // any list, which is refused rather than read whole.
    for (const int step : {0, 1, 2}) {
        if (step == 2)
            Put(RidMod::MaxFileSize + 1, "@0\xFE"_b);
        const QString path = step ? Path() : QString();
        QStringList list{QStringLiteral("stale")};
        try {
            RidMod::LoadListFromFile(list, path);
            EXPECT_EQ(step, 0);
        } catch (const RunTimeError &error) {
            EXPECT_TRUE(step && error.description.contains(path)) << error.description.toStdString();
        }
        EXPECT_TRUE(list.isEmpty()) << step;
    }
}

} // namespace
