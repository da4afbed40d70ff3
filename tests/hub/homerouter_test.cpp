// SPDX-License-Identifier: GPL-3.0-or-later
// A game hosted at home behind a real router daemon (miniupnpd), in network
// namespaces that homerouter.sh makes: a player outside joins through the
// forwarding the host asked for, a player at home joins directly, both with
// the invitation exactly as printed, and the forwarding is gone once the
// host has ended. It needs root and the tools; without them it is skipped.

#include <QDir>
#include <QHostInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Script = QStringLiteral(KALUMO_TESTS_DIR "/hub/homerouter.sh");

QString toolsMissing()
{
    const QStringList sbin{u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s, u"/bin"_s};
    for (const QString &tool : {u"ip"_s, u"nft"_s, u"miniupnpd"_s})
        if (QStandardPaths::findExecutable(tool).isEmpty() && QStandardPaths::findExecutable(tool, sbin).isEmpty())
            return tool;
    return {};
}

// The namespaces, made for one test and removed after it.
class HomeRouter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "network namespaces need root";
        if (const QString tool = toolsMissing(); !tool.isEmpty())
            GTEST_SKIP() << tool.toStdString() << " is missing (scripts/bootstrap.sh installs it)";
        ASSERT_EQ(QProcess::execute(Script, {u"up"_s, prefix, dir.path()}), 0) << "cannot make the namespaces";
        router.setProcessChannelMode(QProcess::MergedChannels);
        router.start(u"ip"_s, {u"netns"_s, u"exec"_s, prefix + u"r"_s, u"miniupnpd"_s, u"-d"_s, u"-f"_s, dir.filePath(u"miniupnpd.conf"_s)});
        ASSERT_TRUE(QTest::qWaitFor([&] { return router.peek(1 << 16).contains("Listening for NAT-PMP"); }, 10000))
            << router.readAll().toStdString();
    }
    void TearDown() override
    {
        for (QProcess *process : {&host, &bob, &lena, &router}) {
            process->kill();
            process->waitForFinished(5000);
        }
        QProcess::execute(Script, {u"down"_s, prefix});
    }
    // kalumo-hub with `arguments` in the namespace PREFIX`where`, as `name`.
    void start(QProcess &process, const QString &where, const QStringList &arguments, const QString &name)
    {
        process.setEnvironment(QProcess::systemEnvironment()
                               + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"XDG_CONFIG_HOME="_s + dir.filePath(name),
                                             u"KALUMO_REGISTRY="_s + dir.filePath(name + u"/registry"_s),
                                             u"KALUMO_CHAT_TRANSCRIPT="_s + dir.filePath(name + u".log"_s)});
        process.start(u"ip"_s, QStringList{u"netns"_s, u"exec"_s, prefix + where, QStringLiteral(KALUMO_HUB_PATH)} + arguments
                                   + QStringList{u"--program"_s, QStringLiteral(KALUMO_BINGO_PATH), name});
    }
    QString forwardings() const
    {
        QProcess nft;
        nft.start(u"ip"_s, {u"netns"_s, u"exec"_s, prefix + u"r"_s, u"nft"_s, u"list"_s, u"ruleset"_s});
        nft.waitForFinished(5000);
        return QString::fromUtf8(nft.readAllStandardOutput());
    }
    QString transcript(const QString &name) const
    {
        QFile file(dir.filePath(name + u".log"_s));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    const QString prefix = u"kb%1"_s.arg(::getpid() % 100000);
    QTemporaryDir dir;
    QProcess router, host, bob, lena;
};

TEST_F(HomeRouter, PlayersOutsideAndAtHomeJoinWithTheInvitationAsPrintedAndTheForwardingEndsWithTheHost)
{
    start(host, u"h"_s, {u"host"_s}, u"Ann"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.canReadLine(); }, 10000)) << host.readAllStandardError().toStdString();
    const QString invitation = QString::fromUtf8(host.readLine()).trimmed();
    EXPECT_TRUE(invitation.startsWith(u"kalumo://11.22.33.1:47474/"_s) && invitation.contains(u"&via=192.168.77.5:47474"_s))
        << invitation.toStdString();
    EXPECT_FALSE(invitation.contains(QHostInfo::localHostName())) << "the machine's name reaches nobody";
    EXPECT_TRUE(forwardings().contains(u"dnat ip to 192.168.77.5:47474"_s)) << forwardings().toStdString();

    start(bob, u"o"_s, {u"join"_s, invitation}, u"Bob"_s);
    start(lena, u"l"_s, {u"join"_s, invitation}, u"Lena"_s);
    const auto joined = [&](const QString &name) {
        return QTest::qWaitFor([&] { return transcript(u"Ann"_s).contains(name + u" has joined the game."_s); }, 15000);
    };
    EXPECT_TRUE(joined(u"Bob"_s)) << bob.readAll().toStdString();
    EXPECT_TRUE(joined(u"Lena"_s)) << lena.readAll().toStdString();

    host.terminate();
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_FALSE(forwardings().contains(u"47474"_s)) << forwardings().toStdString();
}

} // namespace
