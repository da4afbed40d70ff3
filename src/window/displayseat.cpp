// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/displayseat.h"

#include "game/bingogame.h"
#include "game/members.h"
#include "link/gamelink.h"
#include "support/commandline.h"
#include "window/callerdisplay.h"

#include <QApplication>
#include <QTextStream>

namespace {

constexpr int JoinAnswerMs = 10000;

int failed(const QString &why)
{
    QTextStream(stderr) << "kalumo-bingo: the caller's display cannot follow this game: " << why << Qt::endl;
    return 1;
}

} // namespace

int RunDisplaySeat(GameLink &link, const CommandLine &line, RandomGenerator &random)
{
    bool validPort = false;
    const int port = line.Piece(1).value_or(QString()).toInt(&validPort);
    const QString key = line.Piece(2).value_or(QString());
    if (!validPort || key.isEmpty())
        return failed(QStringLiteral("its command line names no game (ANY PORT KEY NAME HOSTNAME)."));
    if (!link.Connect(port))
        return failed(link.ErrorString());
    if (const std::optional<QString> refusal = link.Join({key, {}, {}, 0, {}, true}, JoinAnswerMs))
        return failed(*refusal);

    // The display plays no part: it counts what its host sends, as the
    // hub spells the host's name when it says it.
    MemberTable members;
    BingoGame game(link, members, random);
    game.SetNames({}, link.HostName().isEmpty() ? line.Piece(4).value_or(QString()) : link.HostName());
    CallerDisplay display(game, {});
    int status = 0;
    QObject::connect(&link, &GameLink::Ended, &display, [&display](const QString &host) {
        QTextStream(stderr) << "kalumo-bingo: " << host << " ended the game." << Qt::endl;
        display.close();
    });
    const auto lost = [&display, &status](const QString &why) {
        status = failed(why);
        display.close();
    };
    QObject::connect(&link, &GameLink::LinkLost, &display, lost);
    QObject::connect(&link, &GameLink::Refused, &display, lost);
    display.resize(960, 540);
    display.show();
    const int exitCode = QApplication::exec();
    return status != 0 ? status : exitCode;
}
