#include "computers.h"

#include "computer/computerplayer.h"
#include "link/tcpgamelink.h"
#include "support/randomgenerator.h"
#include "support/shutdownsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <unistd.h>

void ComputerPlayers::AddOption(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("computer"), QStringLiteral("Computer players to add, 0 to %1 (default 0).").arg(Most),
                      QStringLiteral("n"), QStringLiteral("0")});
}

std::optional<int> ComputerPlayers::Count(const QCommandLineParser &parser)
{
    bool ok = false;
    const int count = parser.value(QStringLiteral("computer")).toInt(&ok);
    return ok && count >= 0 && count <= Most ? std::optional<int>(count) : std::nullopt;
}

QString ComputerPlayers::CountProblem()
{
    return QStringLiteral("--computer takes a whole number from 0 to %1").arg(Most);
}

ComputerPlayers::ComputerPlayers(const Game &game, int count, const std::function<void(const QString &)> &log,
                                 QObject *parent)
    : QObject(parent)
{
    if (count <= 0)
        return;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KALUMO_LINK_HOST"), game.address);
    environment.remove(QStringLiteral("KALUMO_HOST_SECRET")); // the host's window's alone
    environment.remove(QStringLiteral("KALUMO_LINK_FINGERPRINT"));
    if (!game.fingerprint.isEmpty())
        environment.insert(QStringLiteral("KALUMO_LINK_FINGERPRINT"), game.fingerprint);
    m_process = new QProcess(this);
    m_process->setProcessEnvironment(environment);
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    // As for the windows: out of the terminal's process group, so a Ctrl+C
    // reaches the hub alone, and told to end should the hub be killed.
    m_process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    m_process->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("computer"), QString::number(game.port), game.key, game.hostName, QString::number(count)});
    connect(m_process, &QProcess::finished, this, [log](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            log(QStringLiteral("the computer players ended unexpectedly (%1)")
                    .arg(status == QProcess::NormalExit ? QStringLiteral("status %1").arg(code) : QStringLiteral("crashed")));
    });
    if (!m_process->waitForStarted())
        log(QStringLiteral("cannot start the computer players: %1").arg(m_process->errorString()));
}

ComputerPlayers::~ComputerPlayers()
{
    if (!m_process || m_process->state() == QProcess::NotRunning)
        return;
    disconnect(m_process, nullptr, this, nullptr); // its end is no surprise now: it was asked to
    m_process->terminate();
    if (!m_process->waitForFinished(3000))
        m_process->kill(); // QProcess reaps it
}

int ComputerPlayers::Run(const QStringList &arguments)
{
    QTextStream err(stderr);
    bool portOk = false, countOk = false;
    const uint port = arguments.value(1).toUInt(&portOk);
    const int count = arguments.value(4).toInt(&countOk);
    const QString seconds = arguments.value(5, QStringLiteral("10")); // the host's calling interval
    if (arguments.size() < 5 || arguments.size() > 6 || !portOk || port < 1 || port > 65535 || !countOk || count < 1 || count > Most) {
        err << "usage: kalumo-hub computer PORT KEY HOSTNAME COUNT (1 to " << Most << ") [SECONDS]" << Qt::endl;
        return 2;
    }
    const QString key = arguments[2], hostName = arguments[3];

    struct Seat
    {
        std::unique_ptr<TcpGameLink> link;
        std::unique_ptr<RandomGenerator> random;
        std::unique_ptr<ComputerPlayer> player;
    };
    std::vector<Seat> seats;
    int playing = 0;
    for (int i = 1; i <= count; ++i) {
        Seat seat{std::make_unique<TcpGameLink>(TcpGameLink::HostFromEnvironment()),
                  std::make_unique<RandomGenerator>(RandomGenerator::SystemClock() ^ (quint64(::getpid()) << 32) ^ quint64(i) << 48),
                  nullptr};
        seat.link->SetFingerprint(TcpGameLink::FingerprintFromEnvironment());
        seat.player = std::make_unique<ComputerPlayer>(*seat.link, *seat.random);
        seat.player->SetNames(key, ComputerPlayer::NameFor(i), hostName, seconds);
        if (const auto problem = seat.player->Join(quint16(port))) {
            err << "kalumo-hub: " << seat.player->Name() << " could not join: " << *problem << Qt::endl;
            continue;
        }
        QObject::connect(seat.player.get(), &ComputerPlayer::Gone, qApp, [&playing, &err, name = seat.player->Name()](const QString &why) {
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
