// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub host run again: a round that goes on when the host's window, or
// the whole host, is killed and started again, and the same invitation until
// the game is ended on purpose or a new one is asked for.

#include "cli/hoststate.h"
#include "game/roundstore.h"
#include "link/invitation.h"
#include "link/tcpgamelink.h"
#include "support/windowfixture.h"
#include "window/ctlcard.h"
#include "window/windowoptions.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// A folder for kalumo-hub's state, settings, registry and chat transcripts (the file NAME for NAME's window).
struct Folder
{
    QTemporaryDir dir;
    QString Path(const QString &name) const { return dir.filePath(name); }
    QString State() const { return Path(u"state/kalumo"_s); }
    QString Contents(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Output and errors merged; the variables of `extra` win over the environment's.
    void Start(QProcess &process, const QStringList &arguments, const QString &name, const QStringList &extra = {}) const
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setEnvironment(QProcess::systemEnvironment()
                               + QStringList{u"QT_QPA_PLATFORM=offscreen"_s, u"XDG_CONFIG_HOME="_s + Path(u"config"_s), u"XDG_STATE_HOME="_s + Path(u"state"_s),
                                             u"KALUMO_REGISTRY="_s + Path(u"registry"_s), u"KALUMO_CHAT_TRANSCRIPT="_s + Path(name)}
                               + extra);
        process.start(QStringLiteral(KALUMO_HUB_PATH), arguments + QStringList{name});
    }
    // kalumo-hub host's invitation, and what it said before it in `said`.
    QString Host(QProcess &process, const QStringList &options, const QString &name, QString *said = nullptr, const QStringList &extra = {}) const
    {
        Start(process, QStringList{u"host"_s, u"--listen"_s, u"127.0.0.1"_s, u"--port"_s, u"0"_s} + options, name, extra);
        QString line, ignored;
        while (!line.startsWith(u"kalumo://") && QTest::qWaitFor([&] { return process.canReadLine(); }, 10000))
            (said ? *said : ignored) += std::exchange(line, QString::fromUtf8(process.readLine()));
        return line.trimmed();
    }
};

// The game window a process started, once it runs.
qint64 windowOf(qint64 parent)
{
    QString children;
    (void)QTest::qWaitFor(
        // clang-format off
        [&] {
            QFile file(u"/proc/%1/task/%1/children"_s.arg(parent));
            return file.open(QIODevice::ReadOnly)
                && !(children = QString::fromLatin1(file.readAll()).trimmed()).isEmpty();
        },
        10000);
    return children.section(u' ', 0, 0).toLongLong();
}

// Ann hosts with calls every second, Bob's window is a process, Cy's is this
// test's own; Ann's window is killed, then the whole host, and each time the
// same round goes on until Cy wins.
TEST(HostAgain, TheRoundGoesOnWhenTheHostsWindowOrTheWholeHostIsKilledAndStartedAgain)
{
    Folder f;
    QTcpServer free; // a port nobody uses, for the game kept from "before"
    const quint16 port = free.listen(QHostAddress::LocalHost) ? free.serverPort() : 0;
    free.close();
    const HostedGame kept{Invitation::NewKey(), port, Invitation::NewKey()};
    ASSERT_EQ(HostState(f.State(), u"Ann"_s).Save(kept), QString());
    // A round with 70 numbers called, so one of the cards soon holds a line.
    RoundState round;
    round.seconds = u"1"_s;
    round.inProgress = true;
    for (int n = 1; n <= 100; ++n)
        n % 10 < 7 ? void(round.called << n) : void();
    ASSERT_EQ(RoundStore(f.State(), kept.key).Save(round), QString());

    QProcess host, bob;
    const QStringList copy{u"--program"_s, f.Path(u"kalumo-bingo"_s)};
    ASSERT_TRUE(QFile::copy(QStringLiteral(KALUMO_BINGO_PATH), copy[1]));
    const QString invitation = f.Host(host, copy, u"Ann"_s);
    const Invitation parsed = Invitation::Parse(invitation, nullptr).value();
    ASSERT_EQ(parsed.key, kept.key);
    f.Start(bob, {u"join"_s, invitation}, u"Bob"_s);
    RecordingMessageBoxes boxes;
    TcpGameLink link(u"127.0.0.1"_s);
    link.SetFingerprint(QString::fromLatin1(parsed.fingerprint.toHex()));
    RandomGenerator random(9, [] { return quint64(77); });
    frmMain cy({boxes,
                link,
                random,
                f.dir.path(),
                u"kalumo-hub %1 %2 Cy Ann"_s.arg(port).arg(kept.key),
                {},
                f.Path(u"registry"_s),
                {},
                nullptr,
                f.Path(u"cy.ini"_s)});
    ASSERT_FALSE(cy.Startup()) << boxes.Lines().join(u'\n').toStdString();
    const auto calls = [&](const QString &log) { return log.count(u" Has Been Called."_s); };
    const auto both = [&](const std::function<bool(const QString &)> &holds) {
        return QTest::qWaitFor([&] { return holds(f.Contents(u"Bob"_s)) && holds(ChatLines(cy).join(u'\n')); }, 15000);
        // clang-format on
    };
    ASSERT_TRUE(both([&](const QString &log) { return calls(log) >= 10; })) << f.Contents(u"Bob"_s).toStdString();
    const auto cards = [&] { return cy.findChild<ctlCard *>(u"Card0"_s)->Model().AllNumbers(); };
    const auto dealt = cards();

    ::kill(pid_t(windowOf(host.processId())), SIGKILL); // kalumo-hub host starts it again
    ASSERT_TRUE(both([&](const QString &log) { return log.count(u"** Ann is back: the round goes on."_s) == 1; }))
        << f.Contents(u"Bob"_s).toStdString() << host.readAll().toStdString();
    const qsizetype beforeHub = calls(f.Contents(u"Bob"_s));
    ASSERT_TRUE(both([&](const QString &log) { return calls(log) > beforeHub; }));

    const qint64 window = windowOf(host.processId());
    host.kill(); // its window closes once its host is gone
    (void)QTest::qWaitFor([&] { return host.waitForFinished(10) && !QFile::exists(u"/proc/%1"_s.arg(window)); }, 10000);
    QProcess again;
    EXPECT_EQ(f.Host(again, copy, u"Ann"_s), invitation);
    ASSERT_TRUE(both([&](const QString &log) { return log.count(u"** Ann is back: the round goes on."_s) == 2; }))
        << f.Contents(u"Bob"_s).toStdString() << again.readAll().toStdString();

    cy.Options().Action(WindowOptions::AutoMark)->setChecked(true);
    auto *bingo = cy.findChild<QPushButton *>(u"cmdBingo"_s);
    ASSERT_TRUE(both([&](const QString &log) {
        if (bingo->isEnabled()) bingo->click();
        return log.contains(u"** Cy Has Won The Game! 1 Total Win(s)! **"_s); // tallies beside the copy of the game
    })) << ChatLines(cy).join(u'\n').toStdString();
    // The same round all along: no number called twice, nobody dealt anew.
    const QString bobs = f.Contents(u"Bob"_s);
    QSet<QString> numbers;
    for (const QRegularExpressionMatch &m : QRegularExpression(u"The Number \\((\\d+)\\) Has Been Called"_s).globalMatch(bobs)) numbers << m.captured(1);
    EXPECT_EQ(numbers.size(), calls(bobs));
    EXPECT_TRUE(bobs.count(u"You joined a round in progress"_s) == 1 && cards() == dealt);

    again.terminate(); // ended on purpose: said in one line, and forgotten
    EXPECT_TRUE(again.waitForFinished(10000) && again.exitCode() == 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.Contents(u"Bob"_s).contains(u"** Ann ended the game: you may close the window."_s); }, 10000));
    EXPECT_TRUE(QDir(f.State()).entryList(QDir::Files).isEmpty());
    bob.terminate();
    EXPECT_TRUE(bob.waitForFinished(10000));

    // A window that merely closes leaves the game to be taken up again.
    const auto hostOnce = [&](const QStringList &options, QString *said = nullptr) {
        QProcess run; // killed once it has said its invitation: its game is kept
        const QString line = f.Host(run, QStringList{u"--program"_s, u"/bin/true"_s} + options, u"Ann"_s, said);
        return run.kill(), run.waitForFinished(), line;
    };
    const QString fresh = hostOnce({});
    EXPECT_NE(fresh, invitation) << "a game ended on purpose is not taken up";
    EXPECT_EQ(hostOnce({}), fresh);
    // A machine that shuts down stops kalumo-hub host with SIGTERM, which is nobody's choice: the game is kept.
    QDir(f.Path({})).mkpath(u"bin"_s);
    for (const auto &[name, body] : {std::pair{u"systemctl"_s, "echo stopping"}, {u"window"_s, "exec sleep 60"}}) {
        QFile file(f.Path(u"bin/"_s + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray("#!/bin/sh\n") + body + '\n') > 0
                    && file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
    }
    QProcess stopped;
    EXPECT_EQ(
        f.Host(stopped, {u"--program"_s, f.Path(u"bin/window"_s)}, u"Ann"_s, nullptr, {u"PATH="_s + f.Path(u"bin"_s) + u':' + qEnvironmentVariable("PATH")}),
        fresh);
    stopped.terminate();
    EXPECT_TRUE(stopped.waitForFinished(10000));
    EXPECT_EQ(hostOnce({}), fresh) << stopped.readAll().toStdString();
    EXPECT_NE(hostOnce({u"--new"_s}), fresh);
    QFile broken(QDir(f.State()).entryInfoList(QDir::Files).value(0).filePath()); // the one file kept: the host's
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly) && broken.write("{\"key\": 7") > 0 && broken.flush());
    QString said;
    EXPECT_TRUE(hostOnce({}, &said).startsWith(u"kalumo://"_s) && said.contains(u"is damaged): hosting a new one"_s)) << said.toStdString();
    EXPECT_EQ(QFileInfo(f.State()).permissions() & 0x0077, 0) << "the state folder is its user's alone";
}

} // namespace
