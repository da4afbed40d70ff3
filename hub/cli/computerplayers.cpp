// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/computerplayers.h"

#include "game/interval.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

void ComputerPlayers::AddOption(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("computer"),
                      QStringLiteral("Computer players to add, 0 to %1 (default 0).").arg(Most), QStringLiteral("n"),
                      QStringLiteral("0")});
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
    m_process->start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("computer"), QString::number(game.port), game.key, game.hostName, QString::number(count)});
    connect(m_process, &QProcess::finished, this, [log](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            log(QStringLiteral("the computer players ended unexpectedly (%1)")
                    .arg(status == QProcess::NormalExit ? QStringLiteral("status %1").arg(code)
                                                        : QStringLiteral("crashed")));
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

std::optional<ComputerPlayers::Orders> ComputerPlayers::ReadOrders(const QStringList &arguments)
{
    bool portOk = false, countOk = false;
    const uint port = arguments.value(1).toUInt(&portOk);
    const int count = arguments.value(4).toInt(&countOk);
    const QString seconds = arguments.value(5, QStringLiteral("10"));
    // 0 seconds would start rounds in which no number is ever called.
    const std::optional<int> interval = Interval::Seconds(seconds);
    if (arguments.size() < 5 || arguments.size() > 6 || !portOk || port < 1 || port > 65535 || !countOk || count < 1
        || count > Most || !interval || *interval < 1)
        return std::nullopt;
    return Orders{quint16(port), arguments[2], arguments[3], count, seconds};
}
