// kalumo-hub host and join as processes: a game behind an invitation, over
// TLS on loopback. The host's window is a stand-in that records how it was
// started; this test plays it, so it can press the buttons.

#include "card/ctlcard.h"
#include "link/invitation.h"
#include "link/tcpgamelink.h"
#include "support/recordingproxy.h"
#include "support/windowfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class SharedGame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(KALUMO_BINGO_PATH), path(u"kalumo-bingo"_s))); // tallies land beside it
        QFile script(path(u"standin"_s));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        script.write(u"#!/bin/sh\nprintf '%s\\n' \"$*\" \"$KALUMO_LINK_HOST\" \"$KALUMO_LINK_FINGERPRINT\" \"$KALUMO_HOST_SECRET\" > '%1.new'\n"
                     "mv '%1.new' '%1'\nexec sleep 60\n"_s.arg(path(u"started"_s)).toUtf8());
        script.close();
        start(host, {u"host"_s, u"--listen"_s, u"127.0.0.1"_s, u"--port"_s, u"0"_s, u"--program"_s, path(u"standin"_s), u"Hal"_s},
              {}, QProcess::SeparateChannels); // the invitation is the first line of its output
        ASSERT_TRUE(QTest::qWaitFor([&] { host.waitForReadyRead(100); return host.canReadLine(); }, 10000))
            << host.readAllStandardError().toStdString();
        line = QString::fromUtf8(host.readLine()).trimmed();
        QString why;
        ASSERT_TRUE(Invitation::Parse(line, &why)) << line.toStdString() << ": " << why.toStdString();
        invitation = *Invitation::Parse(line, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path(u"started"_s)); }, 10000));
        started = contents(path(u"started"_s)).split(u'\n');
    }
    void TearDown() override
    {
        host.terminate(); // closes the stand-in, and with it the hub
        EXPECT_TRUE(host.waitForFinished(10000) && host.exitCode() == 0) << host.readAllStandardError().toStdString();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    void start(QProcess &process, const QStringList &arguments, const QStringList &environment = {},
               QProcess::ProcessChannelMode channels = QProcess::MergedChannels) const
    {
        process.setProcessChannelMode(channels);
        process.setEnvironment(QProcess::systemEnvironment() + environment
                               + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"XDG_CONFIG_HOME="_s + path(u"config"_s),
                                             u"KALUMO_REGISTRY="_s + path(u"registry"_s)});
        process.start(QStringLiteral(KALUMO_HUB_PATH), arguments);
    }
    void join(QProcess &process, const Invitation &to, const QString &name) const
    {
        start(process, {u"join"_s, u"--program"_s, path(u"kalumo-bingo"_s), to.Text(), name},
              {u"KALUMO_CHAT_TRANSCRIPT="_s + path(name + u".log"_s)});
    }

    QTemporaryDir dir;
    QProcess host;
    QString line;
    Invitation invitation;
    QStringList started; // the host window's arguments, hub address, fingerprint and secret
};

TEST_F(SharedGame, TheHostAndTwoInvitedPlayersPlayARoundToAWinAndTheWireCarriesNeitherTheKeyNorTheChat)
{
    const QString fingerprint = QString::fromLatin1(invitation.fingerprint.toHex());
    ASSERT_EQ(started.mid(0, 3), QStringList({u"kalumo-hub %1 %2 Hal Hal"_s.arg(invitation.port).arg(invitation.key),
                                              u"127.0.0.1"_s, fingerprint}));
    const QString secret = started.value(3);
    EXPECT_TRUE(secret.size() >= 32 && !line.contains(secret)) << line.toStdString();

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link(u"127.0.0.1"_s);
    link.SetSecurity({fingerprint, secret});
    RandomGenerator random(7, [] { return quint64(1000); });
    frmMain hal({boxes, link, random, folder.path(), started[0]});
    ASSERT_FALSE(hal.Startup()) << boxes.Lines().join(u'\n').toStdString();
    hal.show();

    RecordingProxy proxy(QHostAddress::LocalHost, invitation.port);
    Invitation throughProxy = invitation;
    throughProxy.port = proxy.Port();
    QProcess ann, bob;
    join(ann, throughProxy, u"Ann"_s);
    join(bob, invitation, u"Bob"_s);
    const auto everyone = [&](const QString &text) {
        return QTest::qWaitFor([&] { return contents(path(u"Ann.log"_s)).contains(text) && contents(path(u"Bob.log"_s)).contains(text); }, 15000);
    };
    ASSERT_TRUE(everyone(u"Bob has joined the game."_s)) << ann.readAll().toStdString() << bob.readAll().toStdString();
    auto *chat = hal.findChild<QLineEdit *>(u"txtChatOut"_s);
    chat->setText(u"psst, nobody else reads this"_s);
    QMetaObject::invokeMethod(chat, "returnPressed");

    hal.findChild<QLineEdit *>(u"txtSec"_s)->setText(u"99"_s); // the calling timer is fired by hand
    hal.findChild<QPushButton *>(u"cmdNewGame"_s)->click();
    auto *card = hal.findChild<ctlCard *>(u"Card0"_s);
    QList<QLabel *> row;
    for (int i = 0; i < 5; ++i)
        row << card->findChild<QLabel *>(u"lblMyNum%1"_s.arg(i));
    const auto called = [&](QLabel *cell) { return Board(hal).split(u' ').contains(cell->text()); };
    for (int tick = 1; !std::ranges::all_of(row, called); ++tick) {
        ASSERT_LE(tick, 100);
        QMetaObject::invokeMethod(hal.findChild<QTimer *>(u"tmrHost"_s), "timeout");
        ASSERT_TRUE(QTest::qWaitFor([&] { return ChatLines(hal).filter(u" Has Been Called."_s).size() == tick; }, 10000));
    }
    for (QLabel *cell : row)
        QTest::mouseClick(cell, Qt::LeftButton);
    QMetaObject::invokeMethod(card->findChild<QTimer *>(u"tmrWinner"_s), "timeout");
    hal.findChild<QPushButton *>(u"cmdBingo"_s)->click();
    EXPECT_TRUE(everyone(u"** Hal Has Won The Game! 1 Total Win(s)! **"_s));
    EXPECT_TRUE(everyone(u"psst, nobody else reads this"_s));

    const QByteArray wire = proxy.Recorded();
    EXPECT_GT(wire.size(), 1000);
    for (const QString &secretText : {invitation.key, u"psst"_s, u"Chat;"_s, u"Has Won"_s})
        EXPECT_FALSE(wire.contains(secretText.toUtf8())) << secretText.toStdString();
    for (QProcess *player : {&ann, &bob}) {
        player->terminate();
        EXPECT_TRUE(player->waitForFinished(10000) && player->exitStatus() == QProcess::NormalExit);
    }
}

TEST_F(SharedGame, AJoinIsRefusedWithItsReasonForAnotherCertificateAnotherKeyTheHostsNameOrNoHub)
{
    QTcpServer gone;
    ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
    const quint16 nobody = gone.serverPort();
    gone.close();
    Invitation otherCertificate = invitation, otherKey = invitation, noHub = invitation;
    otherCertificate.fingerprint = QByteArray(32, '\x01');
    otherKey.key = Invitation::NewKey();
    noHub.port = nobody;
    const QString hub = u"the game hub at 127.0.0.1 port "_s;
    const struct { const char *what; Invitation to; QString name, reason; bool windowOpens; } table[] = {
        {"another certificate", otherCertificate, u"Ann"_s,
         hub + QString::number(invitation.port) + u" is not the one in the invitation: its certificate has another fingerprint."_s, false},
        {"no hub", noHub, u"Ann"_s, hub + QString::number(nobody) + u" could not be reached: the connection was refused (is the hub running?)."_s, false},
        {"another key", otherKey, u"Ann"_s, u"there is no such game on this hub: check the invitation."_s, true},
        {"the host's name", invitation, u"hal"_s, u"the name \"hal\" belongs to this game's host."_s, true},
    };
    for (const auto &row : table) {
        QProcess player;
        join(player, row.to, row.name);
        ASSERT_TRUE(QTest::qWaitFor([&] { return player.peek(1 << 16).contains(row.reason.toUtf8()); }, 10000))
            << row.what << ": " << player.readAll().toStdString();
        // A window that opened shows its box, and closes when asked to.
        if (row.windowOpens)
            player.terminate();
        ASSERT_TRUE(player.state() == QProcess::NotRunning || player.waitForFinished(10000)) << row.what;
        const QString output = QString::fromUtf8(player.readAll());
        EXPECT_EQ(player.exitCode(), row.windowOpens ? 1 : 2) << row.what << ": " << output.toStdString();
        if (!row.windowOpens) {
            EXPECT_EQ(output, u"kalumo-hub: cannot join the game: "_s + row.reason + u'\n') << row.what;
        }
    }
}

} // namespace
