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
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

// The long options a text names, as "--name" or, in a manual page, "\-\-name".
QSet<QString> optionsIn(QString text)
{
    QSet<QString> names;
    for (const auto &match : QRegularExpression(u"--([a-z][a-z-]*)"_s).globalMatch(text.replace(u"\\-"_s, u"-"_s)))
        names << match.captured(1);
    return names;
}

// The part of `text` from `from` up to the next `to`.
QString section(const QString &text, const QString &from, const QString &to)
{
    const qsizetype start = text.indexOf(from);
    return start < 0 ? QString() : text.mid(start, text.indexOf(to, start + from.size()) - start);
}

std::optional<Hub::Limits> serveLimits(const QStringList &options)
{
    QCommandLineParser parser;
    ServeOptions::Add(parser);
    EXPECT_TRUE(parser.parse(QStringList{u"kalumo-hub serve"_s} + options)) << parser.errorText().toStdString();
    return ServeOptions::Read(parser);
}

TEST(ServeOptions, TheUsageAndTheManualPageNameEveryLimitAndNoOptionServeLacks)
{
    QCommandLineParser parser;
    ServeOptions::Add(parser);
    const QSet<QString> taken = optionsIn(parser.helpText());
    QFile file(QStringLiteral(KALUMO_HUB_MANUAL));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString manual = QString::fromUtf8(file.readAll());
    const struct
    {
        const char *where;
        QString text;
    } places[] = {
        {"kalumo-hub --help", section(CommandSupport::Usage(), u"kalumo-hub serve"_s, u"kalumo-hub play"_s)},
        {"the manual's synopsis", section(manual, u".B kalumo-hub serve"_s, u".br"_s)},
        {"the manual's options of serve", section(manual, u".SS Options of serve"_s, u".SH"_s)},
    };
    for (const auto &place : places) {
        const QSet<QString> named = optionsIn(place.text);
        for (const ServeOptions::Limit &limit : ServeOptions::Limits())
            EXPECT_TRUE(named.contains(QString::fromLatin1(limit.name)))
                << "--" << limit.name << " is missing from " << place.where;
        EXPECT_TRUE(taken.contains(named)) << place.where << " names an option serve does not take";
    }
}

TEST(ServeOptions, EachLimitTakesAWholeNumberFromItsLeastUpWithoutOverflowing)
{
    const QString huge = QString::number(qint64(1) << 40);
    for (const ServeOptions::Limit &limit : ServeOptions::Limits()) {
        for (const QString &value : {QString::number(limit.least - 1), QString::number(limit.least),
                                     QString::number(limit.least + 9), huge, u"12x"_s}) {
            const std::optional<Hub::Limits> limits = serveLimits({u"--"_s + QString::fromLatin1(limit.name), value});
            bool number = false;
            const qint64 given = value.toLongLong(&number);
            ASSERT_EQ(limits.has_value(), number && given >= limit.least) << limit.name << ' ' << value.toStdString();
            // A huge value is cut to what the field holds.
            EXPECT_TRUE(!limits || (value == huge ? limit.get(*limits) > 0 : limit.get(*limits) == given))
                << limit.name;
        }
    }
    // What "and five (eight) times as many at once" in their help says.
    const auto rates = serveLimits({u"--records-per-second"_s, u"7"_s, u"--bytes-per-second"_s, u"9000"_s});
    EXPECT_TRUE(rates && rates->recordBurst == 35 && rates->byteBurst == 72000);
}

TEST(ComputerPlayers, AreAskedForFrom0To20)
{
    for (const auto &[value, count] :
         {std::pair<QString, int>{u"0"_s, 0}, {u"20"_s, 20}, {u"21"_s, -1}, {u"-1"_s, -1}, {u"two"_s, -1}}) {
        QCommandLineParser parser;
        ComputerPlayers::AddOption(parser);
        ASSERT_TRUE(parser.parse({u"kalumo-hub play"_s, u"--computer"_s, value}));
        EXPECT_EQ(ComputerPlayers::Count(parser).value_or(-1), count) << value.toStdString();
    }
}

TEST(ComputerPlayers, TheirProcessTakesAPortACountUpTo20AndSecondsAHostWouldCallAt)
{
    const struct
    {
        QStringList arguments;
        bool taken;
    } table[] = {
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"20"_s}, true},
        {{u"1"_s, u"K"_s, u"Hal"_s, u"1"_s, u"1"_s}, true},
        {{u"65535"_s, u"K"_s, u"Hal"_s, u"1"_s, u"99"_s}, true},
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"1"_s, u"0"_s}, false}, // no number would ever be called
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"1"_s, u"-1"_s}, false},
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"1"_s, u"100"_s}, false},
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"1"_s, u"soon"_s}, false},
        {{u"0"_s, u"K"_s, u"Hal"_s, u"1"_s}, false},
        {{u"65536"_s, u"K"_s, u"Hal"_s, u"1"_s}, false},
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"0"_s}, false},
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"21"_s}, false},
        {{u"47474"_s, u"K"_s, u"Hal"_s}, false},
        {{u"47474"_s, u"K"_s, u"Hal"_s, u"1"_s, u"10"_s, u"more"_s}, false},
    };
    for (const auto &row : table) {
        const auto orders = ComputerPlayers::ReadOrders(QStringList{u"computer"_s} + row.arguments);
        EXPECT_EQ(orders.has_value(), row.taken) << row.arguments.join(u' ').toStdString();
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
