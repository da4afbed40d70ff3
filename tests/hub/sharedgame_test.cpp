// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub host and join as processes over TLS; the host's window is a stand-in, and this test plays it.

#include "hub/support/cutproxy.h"
#include "hub/support/runninghubs.h"
#include "link/invitation.h"
#include "link/tcpgamelink.h"
#include "support/windowfixture.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(SharedGame, AnInvitationBringsItsPlayersIntoTheHostsGameOverTlsAndNobodyElse)
{
    QTemporaryDir dir;
    const auto path = [&](const QString &name) { return dir.filePath(name); };
    const auto contents = [&](const QString &name) {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const auto start = [&](QProcess &process, const QStringList &arguments, const QString &name) { // output and errors merged
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setEnvironment(QProcess::systemEnvironment()
                               + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"XDG_CONFIG_HOME="_s + path(u"config"_s),
                                             u"KALUMO_REGISTRY="_s + path(u"registry"_s), u"KALUMO_CHAT_TRANSCRIPT="_s + path(name)});
        process.start(QStringLiteral(KALUMO_HUB_PATH), arguments + QStringList{name});
    };
    const auto join = [&](const Invitation &to) { return QStringList{u"join"_s, u"--program"_s, path(u"kalumo-bingo"_s), to.Text()}; };
    QFile script(path(u"standin"_s)); // tallies land beside the copy of the game
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(KALUMO_BINGO_PATH), path(u"kalumo-bingo"_s)) && script.open(QIODevice::WriteOnly)
        && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
        && script.write(
               u"#!/bin/sh\necho \"$*|$KALUMO_LINK_HOST|$KALUMO_LINK_FINGERPRINT|$KALUMO_HOST_SECRET|$KALUMO_INVITATION\" >'%1.new'; mv '%1.new' '%1'; exec sleep 60\n"_s
                   .arg(path(u"started"_s))
                   .toUtf8())
            > 0);
    script.close();
    QProcess host; // its first line is the invitation
    start(host, {u"host"_s, u"--listen"_s, u"127.0.0.1"_s, u"--port"_s, u"0"_s, u"--program"_s, path(u"standin"_s)}, u"Hal"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.canReadLine() && QFile::exists(path(u"started"_s)); }, 10000));
    const QString line = QString::fromUtf8(host.readLine());
    const Invitation invitation = Invitation::Parse(line, nullptr).value();
    const QStringList started = contents(u"started"_s).trimmed().split(u'|'); // arguments, hub address, fingerprint, secret, invitation
    const QString fingerprint = QString::fromLatin1(invitation.fingerprint.toHex()), secret = started.value(3);
    ASSERT_EQ(started.mid(0, 3), QStringList({u"kalumo-hub %1 %2 Hal Hal"_s.arg(invitation.port).arg(invitation.key), u"127.0.0.1"_s, fingerprint}));
    EXPECT_TRUE(secret.size() >= 32 && !line.contains(secret)) << line.toStdString();
    EXPECT_EQ(started.value(4), line.trimmed()) << "the host's window can copy the invitation";

    // Refused before the host has joined; the first two before a window opens.
    Invitation otherCertificate = invitation, otherKey = invitation, noHub = invitation, throughProxy = invitation, otherHost = invitation;
    otherHost.hostName = u"Hol"_s;
    otherCertificate.fingerprint[31] = char(otherCertificate.fingerprint[31] ^ 1); // all alike but the last byte
    otherKey.key = Invitation::NewKey();
    noHub.port = 1; // nobody listens there
    const QString tried = u"kalumo-hub: cannot join the game: no address of the invitation reached the game (tried 127.0.0.1:"_s;
    // clang-format off
    const struct { Invitation to; QString name, reason; bool window; } table[] = {
        {otherCertificate, u"Ann"_s, tried + QString::number(invitation.port) + u" (another certificate)): something other"_s, false},
        {noHub, u"Ann"_s, tried + u"1 (refused)): nothing listens there"_s, false},
        {otherKey, u"Ann"_s, u"the game refused this window: there is no such game on this hub: check the invitation.\n"_s, true},
        {invitation, u"hal"_s, u"the game refused this window: the name \"hal\" belongs to this game's host.\n"_s, true},
        {otherHost, u"Ann"_s, u"this invitation names Hol as host, but Hal hosts this game.\n"_s, true},
    };
    // clang-format on
    for (const auto &row : table) {
        QProcess player;
        start(player, join(row.to), row.name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return player.peek(1 << 16).contains(row.reason.toUtf8()); }, 15000)) << player.readAll().toStdString();
        if (row.window) player.terminate(); // it shows the reason in a box, and closes when asked to
        ASSERT_TRUE(player.state() == QProcess::NotRunning || player.waitForFinished(10000));
        EXPECT_EQ(player.exitCode(), row.window ? 1 : 2) << row.reason.toStdString();
        EXPECT_TRUE(row.window || player.readAll().count('\n') == 1) << row.reason.toStdString();
    }

    RecordingMessageBoxes boxes;
    TcpGameLink link(u"127.0.0.1"_s);
    link.SetFingerprint(fingerprint);
    RandomGenerator random(7, [] { return quint64(1000); });
    frmMain hal({boxes, link, random, dir.path(), started[0], {}, {}, {}, nullptr, {}, secret});
    ASSERT_FALSE(hal.Startup()) << boxes.Lines().join(u'\n').toStdString();
    CutProxy proxy(invitation.port); // Ann's bytes pass through it
    throughProxy.port = proxy.Port();
    QProcess ann, bob;
    start(ann, join(throughProxy), u"Ann"_s);
    start(bob, join(invitation), u"Bob"_s);
    const auto everyone
        = [&](const QString &text) { return QTest::qWaitFor([&] { return contents(u"Ann"_s).contains(text) && contents(u"Bob"_s).contains(text); }, 15000); };
    ASSERT_TRUE(everyone(u"Bob has joined the game."_s)) << ann.readAll().toStdString() << bob.readAll().toStdString();
    QTest::keyClicks(hal.findChild<QLineEdit *>(u"txtChatOut"_s), u"psst, nobody else reads this\r"_s);
    hal.findChild<QPushButton *>(u"cmdNewGame"_s)->click(); // a host's record, as the players' windows take it
    EXPECT_TRUE(everyone(u"** A New Game Has Been Started."_s) && everyone(u"psst, nobody else reads this"_s));
    for (const QString &text : {invitation.key, u"psst"_s, u"Chat;"_s, u"ResetMe"_s})
        EXPECT_FALSE(proxy.recorded.contains(text.toUtf8())) << text.toStdString();

    for (QProcess *process : {&ann, &bob, &host}) { // the stand-in closes with the hub, which then ends
        process->terminate();
        EXPECT_TRUE(process->waitForFinished(10000) && process->exitCode() == 0) << process->readAll().toStdString();
    }
}

TEST(SharedGame, AWindowJoinsOnlyWhenItsInvitationNamesTheHostTheHubKnows)
{
    LoopbackHub h;
    h.hub.HoldOneGame(u"K"_s, u"Hal"_s, u"s3cret"_s);
    // clang-format off
    const struct { QString invitationHost; std::optional<QString> failure; } table[] = {
        {u"Hol"_s, u"this invitation names Hol as host, but Hal hosts this game."_s},
        {u"ＨＡＬ"_s, std::nullopt}, // the same name by the rules of names
        {QString(), std::nullopt},   // a caller that does not check
    };
    // clang-format on
    int player = 0;
    for (const auto &row : table) {
        const QString name = u"P%1"_s.arg(++player);
        TcpGameLink link(u"127.0.0.1"_s);
        ASSERT_TRUE(link.Connect(h.Port()));
        EXPECT_EQ(link.Join({u"K"_s, name, {}, 0, row.invitationHost}, 10000), row.failure) << row.invitationHost.toStdString();
        EXPECT_TRUE(WaitFor([&] { return h.hub.Players(u"K"_s).contains(name) == !row.failure; })) << row.invitationHost.toStdString();
    }
}

} // namespace
