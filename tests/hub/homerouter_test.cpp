// SPDX-License-Identifier: GPL-3.0-or-later
// A game hosted at home behind a real router daemon (miniupnpd), in the
// network namespaces homerouter.sh makes; skipped without root or the tools.

#include <QHostInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

TEST(HomeRouter, PlayersOutsideAndAtHomeJoinWithTheInvitationAsPrintedAndTheForwardingEndsWithTheHost)
{
    if (::geteuid() != 0) GTEST_SKIP() << "network namespaces need root";
    const QString script = QStringLiteral(KALUMO_TESTS_DIR "/hub/homerouter.sh");
    QTemporaryDir dir;
    const QString prefix = u"kb%1"_s.arg(::getpid() % 100000);
    const int made = QProcess::execute(script, {u"up"_s, prefix, dir.path()});
    const auto removed = qScopeGuard([&] { QProcess::execute(script, {u"down"_s, prefix, dir.path()}); });
    if (made == 77) GTEST_SKIP() << "ip, nft or miniupnpd is missing (scripts/bootstrap.sh installs them)";
    ASSERT_EQ(made, 0) << "cannot make the namespaces or start the router";
    const auto forwardings = [&] { // the router's firewall rules
        QProcess nft;
        nft.start(u"ip"_s, {u"netns"_s, u"exec"_s, prefix + u"r"_s, u"nft"_s, u"list"_s, u"ruleset"_s});
        return nft.waitForFinished(5000) ? QString::fromUtf8(nft.readAllStandardOutput()) : QString();
    };
    QProcess host, bob, lena; // each with its own folders, its window's chat in NAME.log
    const auto play = [&](QProcess &process, const QString &where, const QStringList &arguments, const QString &name) {
        process.setEnvironment(QProcess::systemEnvironment()
                               + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"XDG_CONFIG_HOME="_s + dir.filePath(name),
                                             u"KALUMO_REGISTRY="_s + dir.filePath(name + u"/registry"_s),
                                             u"KALUMO_CHAT_TRANSCRIPT="_s + dir.filePath(name + u".log"_s),
                                             // libminiupnpc hands strtol an HTTP buffer without a final NUL
                                             // (strtol stops at the first non-digit); an address sanitizer's
                                             // strict string checks would stop the hub for it
                                             u"ASAN_OPTIONS="_s + qEnvironmentVariable("ASAN_OPTIONS").replace(u"strict_string_checks=1"_s, u"strict_string_checks=0"_s)});
        process.start(u"ip"_s,
                      QStringList{u"netns"_s, u"exec"_s, prefix + where, QStringLiteral(KALUMO_HUB_PATH)} + arguments
                          + QStringList{u"--program"_s, QStringLiteral(KALUMO_BINGO_PATH), name});
    };
    // clang-format off
    const auto ended = qScopeGuard([&] {
        for (QProcess *process : {&host, &bob, &lena})
            process->kill(), process->waitForFinished(5000);
    });
    // clang-format on

    play(host, u"h"_s, {u"host"_s}, u"Ann"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.canReadLine(); }, 10000)) << host.readAllStandardError().toStdString();
    const QString invitation = QString::fromUtf8(host.readLine()).trimmed();
    EXPECT_TRUE(invitation.startsWith(u"kalumo://11.22.33.1:47474/"_s) && invitation.contains(u"&via=192.168.77.5:47474"_s)) << invitation.toStdString();
    EXPECT_FALSE(invitation.contains(QHostInfo::localHostName())) << "the machine's name reaches nobody";
    EXPECT_TRUE(forwardings().contains(u"dnat ip to 192.168.77.5:47474"_s)) << forwardings().toStdString();

    play(bob, u"o"_s, {u"join"_s, invitation}, u"Bob"_s);
    play(lena, u"l"_s, {u"join"_s, invitation}, u"Lena"_s);
    const auto joined = [&](const char *name) {
        return QTest::qWaitFor(
            [&] {
                QFile ann(dir.filePath(u"Ann.log"_s));
                return ann.open(QIODevice::ReadOnly) && ann.readAll().contains(name + " has joined"_ba);
            },
            15000);
    };
    EXPECT_TRUE(joined("Bob")) << bob.readAll().toStdString();
    EXPECT_TRUE(joined("Lena")) << lena.readAll().toStdString();

    host.terminate();
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_FALSE(forwardings().contains(u"47474"_s)) << forwardings().toStdString();
}

} // namespace
