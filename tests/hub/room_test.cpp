// SPDX-License-Identifier: GPL-3.0-or-later
// The host runs the room of a game on kalumo-hub serve, a process of its own; the players are links here.
#include "computer/computerplayer.h"
#include "game/bingogame.h"
#include "game/members.h"
#include "game/plan.h"
#include "hub/support/cutproxy.h"
#include "hub/support/runninghubs.h"
#include "link/framecodec.h"
#include "link/invitation.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/randomgenerator.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A player of game K through its own proxy: what it hears as "SENDER:DATA" and the room as "VERB NAME".
struct Seat
{
    Seat(quint16 hubPort, const QString &name, const QString &hostSecret = {})
        : proxy(hubPort)
    {
        QObject::connect(&link, &GameLink::TextReceived, [this](const QString &sender, const QString &data) { heard << sender + u':' + data; });
        QObject::connect(&link, &GameLink::RoomChanged, [this](const QString &verb, const QString &who) { room << (verb + u' ' + who).trimmed(); });
        EXPECT_TRUE(link.Connect(proxy.Port()));
        refusal = link.Join({u"K"_s, name, hostSecret}, 5000);
    }
    // Sends a chat line and waits for it to come back: the hub has read everything sent before it.
    bool Sync(const QString &line)
    {
        return link.SendMessage(u"Chat;"_s + line) && WaitFor([&] { return heard.filter(u"Chat;"_s + line).size() > 0; });
    }

    CutProxy proxy;
    TcpGameLink link{u"127.0.0.1"_s};
    QStringList heard, room;
    std::optional<QString> refusal;
    QSignalSpy back{&link, &GameLink::Reconnected};
};

// A window of no release at all: sends these records on a connection of its own, and reads all it is sent until the hub closes it.
QStringList RawWindow(quint16 hubPort, const QStringList &records)
{
    QTcpSocket socket;
    socket.connectToHost(u"127.0.0.1"_s, hubPort);
    for (const QString &record : records) socket.write(Frame::Encode(record));
    WaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; });
    Frame::Reader reader;
    reader.Feed(socket.readAll());
    QStringList frames;
    while (const auto frame = reader.Next()) frames << *frame;
    return frames;
}

TEST(Room, OnlyTheHostChangesItALockedGameTakesBackItsSeatsAndARemovedPlayerNeverReturns)
{
    QProcess process;
    const quint16 port = StartServe(process);
    ASSERT_NE(port, 0);
    auto hal = std::make_unique<Seat>(port, u"Hal"_s, u"s3cret"_s); // the first join of the key, with a secret: the host
    Seat ann(port, u"Ann"_s), bob(port, u"Bob"_s), mel(port, u"Mel"_s);
    ASSERT_TRUE(!hal->refusal && !ann.refusal && !bob.refusal && !mel.refusal);
    const QString melsSecret = QString::fromUtf8(mel.proxy.recorded).section(u"Seat\u00FF"_s, 1).left(32);
    // clang-format off
    const struct { const char *what; Seat *asker; QString verb, name; bool annHeard, newcomerJoins, melStays; } table[] = {
        {"a player asks to remove", &bob, u"remove"_s, u"Mel"_s, true, true, true},
        {"a player asks to lock", &bob, u"lock"_s, {}, true, true, true},
        {"a player asks to mute", &bob, u"mute"_s, u"Ann"_s, true, true, true},
        {"the host mutes", hal.get(), u"mute"_s, u"ann"_s, false, true, true},
        {"the host locks", hal.get(), u"lock"_s, {}, false, false, true},
        {"the host removes", hal.get(), u"remove"_s, u"MEL"_s, false, false, false},
    };
    // clang-format on
    int row = 0;
    for (const auto &r : table) {
        ASSERT_TRUE(r.asker->link.AskRoom(r.verb, r.name) && r.asker->Sync(u"asked %1"_s.arg(++row))) << r.what;
        ann.link.SendMessage(u"Chat;row %1"_s.arg(row));
        ann.link.SendMessage(u"Comm;4|Ann|1@2@3@4@5|%1"_s.arg(row)); // a claim counts, muted or not
        const QString claim = u"Ann:Comm;4|Ann|1@2@3@4@5|%1"_s.arg(row);
        ASSERT_TRUE(WaitFor([&] { return bob.heard.contains(claim) && ann.heard.contains(claim); })) << r.what;
        EXPECT_EQ(bob.heard.contains(u"Ann:Chat;row %1"_s.arg(row)), r.annHeard) << r.what;
        EXPECT_TRUE(ann.heard.contains(u"Ann:Chat;row %1"_s.arg(row))) << "a muted player's own line comes back: " << r.what;
        Seat newcomer(port, u"Zed%1"_s.arg(row));
        EXPECT_EQ(newcomer.refusal.has_value(), !r.newcomerJoins) << r.what;
        EXPECT_EQ(hal->heard.contains(u"[Exit]:Mel"_s), !r.melStays) << r.what;
    }
    EXPECT_EQ(bob.room, QStringList({{}, u"mute Ann"_s, u"lock"_s, u"remove Mel"_s}));
    EXPECT_EQ(mel.room.last(), u"remove Mel"_s);
    EXPECT_EQ(process.readAll().count("only the game's host may ask that"), 3);

    bob.proxy.Cut(); // locked, a seat still comes back
    EXPECT_TRUE(WaitFor([&] { return bob.back.size() == 1; }));
    ASSERT_TRUE(hal->link.AskRoom(u"unlock"_s) && hal->Sync(u"unlocked"_s));
    const QStringList resumed = RawWindow(port, {LinkRecord::Resume(u"K"_s, u"Mel"_s, melsSecret, 0)});
    const QStringList joined = RawWindow(port, {LinkRecord::Announce(u"K"_s, LinkRecord::Caption, u"ｍｅｌ"_s)});
    EXPECT_TRUE(melsSecret.size() == 32 && resumed.value(0).startsWith(u"[Hub]\u00FFNoSeat"_s)) << resumed.join(u'\n').toStdString();
    EXPECT_EQ(joined.value(0), u"[Hub]\u00FFRefused\u00FFHal removed \"ｍｅｌ\" from this game."_s);
    EXPECT_FALSE(Seat(port, u"Zoe"_s).refusal.has_value()) << "unlocked again";
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
}

TEST(Room, AnInvitationToAStandingHubKeepsItsHostsSecretForTheHostsJoinAlone)
{
    QTemporaryDir dir;
    QFile script(dir.filePath(u"standin"_s)); // a window that writes down the secret it was given
    ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.write(u"#!/bin/sh\necho \"$KALUMO_HOST_SECRET\" >\"%1/$4\"\n"_s.arg(dir.path()).toUtf8()) > 0
                && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    script.close();
    const auto run = [&](QProcess &process, const QStringList &arguments) {
        process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        process.setEnvironment(QProcess::systemEnvironment() + QStringList{u"XDG_CONFIG_HOME="_s + dir.path(), u"KALUMO_REGISTRY="_s + dir.filePath(u"registry"_s)});
        process.start(QStringLiteral(KALUMO_HUB_PATH), arguments);
    };
    QProcess hub, invite, host, player;
    hub.setProcessChannelMode(QProcess::MergedChannels);
    run(hub, {u"serve"_s, u"--tls"_s, u"--port"_s, u"0"_s});
    QRegularExpressionMatch listening;
    ASSERT_TRUE(WaitFor([&] { return (listening = QRegularExpression(u":(\\d+) over TLS"_s).match(QString::fromUtf8(hub.peek(4096)))).hasMatch(); }));
    run(invite, {u"invite"_s, u"127.0.0.1:"_s + listening.captured(1), u"Hal"_s});
    ASSERT_TRUE(invite.waitForFinished(10000) && invite.exitCode() == 0) << invite.readAllStandardError().toStdString();
    const QString line = QString::fromUtf8(invite.readAllStandardOutput()).trimmed();
    for (auto [process, name] : {std::pair{&host, u"hal"_s}, std::pair{&player, u"Ann"_s}}) {
        run(*process, {u"join"_s, u"--program"_s, script.fileName(), line, name});
        ASSERT_TRUE(process->waitForFinished(15000)) << name.toStdString();
    }
    QFile heldByHost(dir.filePath(u"hal"_s)), heldByAnn(dir.filePath(u"Ann"_s)); // named by the player's name, the fourth argument
    ASSERT_TRUE(heldByHost.open(QIODevice::ReadOnly) && heldByAnn.open(QIODevice::ReadOnly)) << QDir(dir.path()).entryList().join(u" "_s).toStdString();
    const QByteArray secret = heldByHost.readAll().trimmed();
    EXPECT_TRUE(secret.size() == 32 && !line.contains(QString::fromLatin1(secret)) && Invitation::Parse(line, nullptr)) << line.toStdString();
    EXPECT_EQ(heldByAnn.readAll().trimmed(), QByteArray()) << "another player's window never gets it";
    hub.terminate();
    EXPECT_TRUE(hub.waitForFinished(10000));
}

TEST(Room, ADisplaySeatFollowsAPlanToItsWinInNobodysPlayerListAndWhatItSendsIsRefused)
{
    QProcess process;
    const quint16 port = StartServe(process);
    ASSERT_NE(port, 0);
    TcpGameLink display(u"127.0.0.1"_s); // first in the game, so a join replay would list it if the hub did
    ASSERT_TRUE(display.Connect(port));
    ASSERT_EQ(display.Join({u"K"_s, {}, {}, 0, {}, true}, 5000), std::nullopt);
    RandomGenerator random(5, [] { return quint64(1000); });
    MemberTable members;
    BingoGame game(display, members, random);
    game.SetNames({}, ComputerPlayer::NameFor(1));
    QSet<QString> stages, winners; // as the display showed them, the empty one included
    QObject::connect(&display, &GameLink::TextReceived, [&] { stages << game.View().stage; winners << game.View().winner; });
    std::vector<std::unique_ptr<TcpGameLink>> links;
    std::vector<std::unique_ptr<ComputerPlayer>> players;
    QStringList heard; // by the players
    for (int number = 1; number <= 2; ++number) {
        links.push_back(std::make_unique<TcpGameLink>(u"127.0.0.1"_s));
        QObject::connect(links.back().get(), &GameLink::TextReceived, [&](const QString &sender, const QString &data) { heard << sender + u':' + data; });
        auto &player = players.emplace_back(std::make_unique<ComputerPlayer>(*links.back(), random));
        player->SetNames(u"K"_s, ComputerPlayer::NameFor(number), ComputerPlayer::NameFor(1), u"1"_s);
        player->SetScheduler([p = player.get()](int ms, std::function<void()> action) { QTimer::singleShot(ms / 50, p, std::move(action)); });
        ASSERT_EQ(player->Join(port), std::nullopt);
    }
    players[0]->SetPlan(*Plan::FromText(u"line@full"_s));
    QTcpSocket forger; // a display that speaks up: a chat line, a claim, a player's join, a room request
    forger.connectToHost(u"127.0.0.1"_s, port);
    for (const QString &record : {LinkRecord::DisplayJoin(u"K"_s), LinkRecord::Message(u"K"_s, u"Chat;forged"_s), LinkRecord::Message(u"K"_s, u"Comm;4|Eve|1@2@3@4@5"_s),
                                  LinkRecord::Announce(u"K"_s, LinkRecord::Caption, u"Eve"_s), LinkRecord::Room(u"K"_s, u"lock"_s)})
        forger.write(Frame::Encode(record));
    ASSERT_TRUE(WaitFor([&] { return winners.size() == 3; }, 20000)) << QStringList(stages.values()).join(u", ").toStdString();
    EXPECT_EQ(stages.size(), 3) << "one stage, then the next";
    const QStringList listed = heard.filter(QRegularExpression(u"^\\[Enter\\]:|forged|Eve"_s)).replaceInStrings(u"[Enter]:"_s, QString());
    EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()), QSet<QString>({ComputerPlayer::NameFor(1), ComputerPlayer::NameFor(2)}));
    EXPECT_EQ(process.readAll().count("a display may not send"), 4);
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
}

} // namespace
