// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub's command line: serve's options as the program, its usage and
// its manual page give them, and the computer players' process.
#include "cli/commandsupport.h"
#include "cli/computerplayers.h"
#include "cli/gamewindows.h"
#include "cli/serveoptions.h"
#include "computer/computerplayer.h"
#include "hub/support/runninghubs.h"

#include <QCommandLineParser>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The long options a text names, as "--name" or, in a manual page, "\-\-name".
QSet<QString> optionsIn(QString text)
{
    QSet<QString> names;
    for (const auto &match : QRegularExpression(u"--([a-z][a-z-]*)"_s).globalMatch(text.replace(u"\\-"_s, u"-"_s))) names << match.captured(1);
    return names;
}

// The part of `text` from `from` up to the next `to`.
QString section(const QString &text, const QString &from, const QString &to)
{
    const qsizetype start = text.indexOf(from);
    return start < 0 ? QString() : text.mid(start, text.indexOf(to, start + from.size()) - start);
}

TEST(ServeOptions, TheUsageAndTheManualPageNameEveryLimitAndNoOptionServeLacks)
{
    QCommandLineParser parser;
    ServeOptions::Add(parser);
    const QSet<QString> taken = optionsIn(parser.helpText());
    QFile file(QStringLiteral(KALUMO_HUB_MANUAL));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString manual = QString::fromUtf8(file.readAll());
    // clang-format off
    const std::pair<const char *, QString> places[] = {
        {"kalumo-hub --help", section(CommandSupport::Usage(), u"kalumo-hub serve"_s, u"kalumo-hub play"_s)},
        {"the manual's synopsis", section(manual, u".B kalumo-hub serve"_s, u".br"_s)},
        {"the manual's options of serve", section(manual, u".SS Options of serve"_s, u".SH"_s)},
    };
    // clang-format on
    for (const auto &[where, text] : places) {
        const QSet<QString> named = optionsIn(text);
        for (const ServeOptions::Limit &limit : ServeOptions::Limits())
            EXPECT_TRUE(named.contains(QString::fromLatin1(limit.name))) << "--" << limit.name << " is missing from " << where;
        EXPECT_TRUE(taken.contains(named)) << where << " names an option serve does not take";
    }
}

TEST(ServeOptions, EachLimitTakesAWholeNumberFromItsLeastUpWithoutOverflowing)
{
    const QString huge = QString::number(qint64(1) << 40);
    for (const ServeOptions::Limit &limit : ServeOptions::Limits()) {
        for (const QString &value : {QString::number(limit.least - 1), QString::number(limit.least), QString::number(limit.least + 9), huge, u"12x"_s}) {
            QCommandLineParser parser;
            ServeOptions::Add(parser);
            ASSERT_TRUE(parser.parse({u"kalumo-hub serve"_s, u"--"_s + QString::fromLatin1(limit.name), value}));
            const std::optional<Hub::Limits> limits = ServeOptions::Read(parser);
            bool number = false;
            const qint64 given = value.toLongLong(&number);
            ASSERT_EQ(limits.has_value(), number && given >= limit.least) << limit.name << ' ' << value.toStdString();
            // A huge value is cut to what the field holds.
            EXPECT_TRUE(!limits || (value == huge ? limit.get(*limits) > 0 : limit.get(*limits) == given)) << limit.name;
        }
    }
}

TEST(Subcommands, HelpNamesItsSubcommandAndJoinTakesTheInvitationOutOfThePastedSentence)
{
    QTemporaryDir registry;
    const auto run = [&](const QStringList &arguments) { // output and errors merged
        QProcess hub;
        hub.setProcessChannelMode(QProcess::MergedChannels);
        hub.setEnvironment(QProcess::systemEnvironment() << u"KALUMO_REGISTRY="_s + registry.path());
        hub.start(QStringLiteral(KALUMO_HUB_PATH), arguments);
        return hub.waitForFinished(20000) ? QString::fromUtf8(hub.readAll()) : u"no end"_s;
    };
    for (const QString &subcommand : {u"host"_s, u"join"_s, u"play"_s, u"serve"_s, u"games"_s})
        EXPECT_TRUE(run({subcommand, u"--help"_s}).startsWith(u"Usage: " KALUMO_HUB_PATH " "_s + subcommand + u" [options]"_s)) << subcommand.toStdString();
    const QString pasted = u"Join here: kalumo://127.0.0.1:1/0123456789abcdef0123456789abcdef?host=Ann&fp="_s + QString(64, u'e') + u"."_s;
    EXPECT_EQ(run({u"join"_s, u"--program"_s, u"/nowhere/kalumo-bingo"_s, pasted, u"Bob"_s}), u"kalumo-hub: no game program at /nowhere/kalumo-bingo\n"_s)
        << "the invitation was read";
}

TEST(ComputerPlayers, ComeOnlyInCountsAndWithCallingIntervalsAGameCanHave)
{
    for (const auto &[value, count] : {std::pair<QString, int>{u"0"_s, 0}, {u"20"_s, 20}, {u"21"_s, -1}, {u"two"_s, -1}}) {
        QCommandLineParser parser;
        ComputerPlayers::AddOption(parser);
        ASSERT_TRUE(parser.parse({u"kalumo-hub play"_s, u"--computer"_s, value}));
        EXPECT_EQ(ComputerPlayers::Count(parser).value_or(-1), count) << value.toStdString();
    }
    // SECONDS 0 would start rounds in which no number is ever called.
    // clang-format off
    const std::pair<const char *, bool> table[] = {
        {"47474 K Hal 20", true},         {"1 K Hal 1 1", true},       {"65535 K Hal 1 99", true},
        {"47474 K Hal 1 0", false},       {"47474 K Hal 1 -1", false}, {"47474 K Hal 1 100", false},
        {"47474 K Hal 1 soon", false},    {"0 K Hal 1", false},        {"65536 K Hal 1", false},
        {"47474 K Hal 0", false},         {"47474 K Hal 21", false},   {"47474 K Hal", false},
        {"47474 K Hal 1 10 more", false},
    };
    // clang-format on
    for (const auto &[arguments, taken] : table) {
        const QStringList words = u"computer "_s.append(QLatin1StringView(arguments)).split(u' ');
        EXPECT_EQ(ComputerPlayers::ReadOrders(words).has_value(), taken) << arguments;
    }
}

TEST(ComputerPlayers, TheirProcessJoinsTheCountAskedForAndEndsOnlyOnceTheLastHasLeft)
{
    auto first = std::make_unique<LoopbackHub>(Hub::Limits{.graceMs = 0});
    const quint16 port = first->Port();
    QProcess computers;
    computers.setEnvironment(QProcess::systemEnvironment() << u"KALUMO_LINK_HOST=127.0.0.1"_s);
    computers.start(QStringLiteral(KALUMO_HUB_PATH), {u"computer"_s, QString::number(port), u"K"_s, u"Hal"_s, u"2"_s});
    // They join one after the other.
    ASSERT_TRUE(WaitFor([&] { return first->hub.Players(u"K"_s).size() >= 2; }));
    EXPECT_EQ(first->hub.Players(u"K"_s), QStringList({ComputerPlayer::NameFor(1), ComputerPlayer::NameFor(2)}));

    // The hub started again holds the game for "Computer 1" as its host, who is refused without the secret.
    first.reset();
    auto second = std::make_unique<LoopbackHub>(Hub::Limits{}, nullptr, port);
    second->hub.HoldOneGame(u"K"_s, ComputerPlayer::NameFor(1), u"secret"_s);
    QSignalSpy log(&second->hub, &Hub::Log);
    ASSERT_TRUE(WaitFor([&] { return log.size() == 2; })) << log.size(); // a refusal and a join
    EXPECT_FALSE(WaitFor([&] { return computers.state() == QProcess::NotRunning; }, 1000)) << "one left, all stopped";
    EXPECT_EQ(second->hub.Players(u"K"_s), QStringList{ComputerPlayer::NameFor(2)});

    // The next holds another game: the last is refused, and the process ends.
    second.reset();
    LoopbackHub third({}, nullptr, port);
    third.hub.HoldOneGame(u"other"_s, u"Zed"_s, {});
    EXPECT_TRUE(WaitFor([&] { return computers.state() == QProcess::NotRunning; }));
    EXPECT_EQ(computers.exitCode(), 0);

    // With no hub to join at all, it says so in its status.
    computers.start(QStringLiteral(KALUMO_HUB_PATH), {u"computer"_s, u"1"_s, u"K"_s, u"Hal"_s, u"1"_s});
    EXPECT_TRUE(computers.waitForFinished(10000) && computers.exitCode() == 1);
}

TEST(GameWindows, StartOnlyWithNamesThatCanPlayTogether)
{
    EXPECT_EQ(GameWindows::CheckNames({u"Ann"_s, u"-style"_s}), QString());
    for (const QStringList &names : {QStringList(), {u"Ann Lee"_s}, {u"Ann"_s, u"Ann"_s}, {u"Ann"_s, QString()}})
        EXPECT_FALSE(GameWindows::CheckNames(names).isEmpty()) << names.join(u',').toStdString();
}

} // namespace
