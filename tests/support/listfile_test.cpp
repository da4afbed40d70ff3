// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/listfile.h"

#include "support/asnobody.h"
#include "support/filebytes.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

class ListFiles : public ::testing::Test
{
protected:
    QString Path() const { return dir.filePath(QStringLiteral("list.dat")); }
    QByteArray Bytes() const { return FileBytes(Path()); }

    QTemporaryDir dir;
};

TEST_F(ListFiles, SaveReplacesTheWholeFileOnlyOnceTheNewOneIsComplete)
{
    const QByteArray old = "@0\xFEZo\xC3\xAB@1\xFE"_b;
    ListFile::SaveEntriesToFile({"a much longer former content"}, Path());
    ListFile::SaveEntriesToFile({"@0", "Zo\xC3\xAB@1"}, Path());
    EXPECT_EQ(Bytes(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("list.dat")});

    // The child runs as nobody, so that a shut folder holds for root too.
    // clang-format off
    const struct { const char *what; bool folderShut; int (*setUp)(); int status; } cases[] = {
        {"a folder that may not be written", true, [] { return 0; }, 0},
        // Files may grow to 4 bytes: the new file cannot be completed.
        {"a full disk", false, [] {
             ::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4, 4};
             return ::setrlimit(RLIMIT_FSIZE, &limit);
         }, 0},
        {"a writer dying between writing and replacing", false, [] { return 0; }, 42}};
    // clang-format on
    const auto open = QFileDevice::ReadOwner | QFileDevice::ReadOther | QFileDevice::ExeOwner | QFileDevice::ExeOther;
    const auto write = QFileDevice::WriteOwner | QFileDevice::WriteOther;
    ASSERT_TRUE(QFile::setPermissions(Path(), QFileDevice::ReadOwner | QFileDevice::ReadOther | write));
    for (const auto &c : cases) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), c.folderShut ? open : open | write));
        // clang-format off
        const int status = ExitStatusAsNobody([&] {
            if (c.setUp() != 0)
                return 98;
            try {
                ListFile::SaveEntriesToFile({"Ann@2"}, Path(), [&] { c.status ? std::_Exit(c.status) : void(); });
            } catch (const RunTimeError &error) {
                return error.description.contains(Path()) ? 0 : 1;
            }
            return 2;
        });
        // clang-format on
        QFile::setPermissions(dir.path(), open | write);
        EXPECT_EQ(status, c.status) << c.what;
        EXPECT_EQ(Bytes(), old) << c.what;
        // A failed write leaves nothing beside the file.
        EXPECT_TRUE(c.status || QDir(dir.path()).entryList(QDir::Files | QDir::Hidden) == QStringList{"list.dat"});
    }

    // Whatever the dead writer left beside it does not stop the next save.
    ListFile::SaveEntriesToFile({"Ann@2"}, Path());
    EXPECT_EQ(Bytes(), "Ann@2\xFE"_b);
}

} // namespace
