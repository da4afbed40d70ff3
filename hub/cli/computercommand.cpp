// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub computer: the process that plays the computer players of one
// game, started by ComputerPlayers. Each player has a link of its own and
// joins as a window would; the process ends when the last has left.
#include "cli/commands.h"
#include "cli/computerplayers.h"
#include "computer/computerplayer.h"
#include "link/tcpgamelink.h"
#include "support/randomgenerator.h"
#include "support/shutdownsignals.h"

#include <QCoreApplication>
#include <QTextStream>

#include <memory>
#include <unistd.h>

int Commands::Computer(const QStringList &arguments)
{
    QTextStream err(stderr);
    const std::optional<ComputerPlayers::Orders> orders = ComputerPlayers::ReadOrders(arguments);
    if (!orders) {
        err << "usage: kalumo-hub computer PORT KEY HOSTNAME COUNT (1 to " << ComputerPlayers::Most
            << ") [SECONDS (1 to 99)]" << Qt::endl;
        return 2;
    }

    struct Seat
    {
        std::unique_ptr<TcpGameLink> link;
        std::unique_ptr<RandomGenerator> random;
        std::unique_ptr<ComputerPlayer> player;
    };
    std::vector<Seat> seats;
    int playing = 0;
    for (int i = 1; i <= orders->count; ++i) {
        Seat seat{std::make_unique<TcpGameLink>(TcpGameLink::HostFromEnvironment()),
                  std::make_unique<RandomGenerator>(RandomGenerator::SystemClock() ^ (quint64(::getpid()) << 32)
                                                    ^ quint64(i) << 48),
                  nullptr};
        seat.link->SetFingerprint(TcpGameLink::FingerprintFromEnvironment());
        seat.player = std::make_unique<ComputerPlayer>(*seat.link, *seat.random);
        seat.player->SetNames(orders->key, ComputerPlayer::NameFor(i), orders->hostName, orders->seconds);
        if (const auto problem = seat.player->Join(orders->port)) {
            err << "kalumo-hub: " << seat.player->Name() << " could not join: " << *problem << Qt::endl;
            continue;
        }
        QObject::connect(seat.player.get(), &ComputerPlayer::Gone, qApp,
                         [&playing, &err, name = seat.player->Name()](const QString &why) {
                             err << "kalumo-hub: " << name << " left the game: " << why << Qt::endl;
                             if (--playing == 0)
                                 QCoreApplication::exit(0);
                         });
        ++playing;
        seats.push_back(std::move(seat));
    }
    if (playing == 0)
        return 1;
    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, qApp, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}
