// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/gamewindows.h"

#include "support/playername.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

QString freshKey()
{
    const quint64 value = QRandomGenerator::system()->generate64();
    return QStringLiteral("%1").arg(value, 16, 16, QLatin1Char('0')).toUpper();
}

} // namespace

GameWindows::GameWindows(quint16 port, const QString &program, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_program(program)
{}

QString GameWindows::CheckNames(const QStringList &names)
{
    if (names.isEmpty())
        return QStringLiteral("name at least one player; the first one hosts");
    QSet<QString> seen;
    for (const QString &name : names) {
        if (const QString refusal = PlayerName::Refusal(name); !refusal.isEmpty())
            return refusal;
        if (name.contains(QLatin1Char(' ')))
            return QStringLiteral("a player's name cannot hold a blank: \"%1\"").arg(name);
        if (seen.contains(PlayerName::SameNameKey(name)))
            return QStringLiteral("the name \"%1\" is given twice").arg(name);
        seen.insert(PlayerName::SameNameKey(name));
    }
    return {};
}

void GameWindows::SetGame(const QString &key, const QString &hostName, const QProcessEnvironment &extra)
{
    m_key = key;
    m_hostName = hostName;
    m_extra = extra;
}

bool GameWindows::Start(const QStringList &names)
{
    if (m_key.isEmpty())
        m_key = freshKey();
    m_hostNameToGive = m_hostName.isEmpty() ? names.value(0) : m_hostName;
    m_environment = QProcessEnvironment::systemEnvironment();
    // What says how to reach the hub is this game's, never the caller's.
    m_environment.insert(QStringLiteral("KALUMO_LINK_HOST"), QStringLiteral("127.0.0.1"));
    m_environment.remove(QStringLiteral("KALUMO_LINK_FINGERPRINT"));
    m_environment.remove(QStringLiteral("KALUMO_HOST_SECRET"));
    m_environment.remove(QStringLiteral("KALUMO_INVITATION"));
    m_environment.insert(m_extra);
    for (qsizetype slot = 0; slot < names.size(); ++slot)
        startOne(names[slot], int(slot));
    return !m_running.isEmpty();
}

bool GameWindows::startOne(const QString &name, int slot)
{
    auto *process = new QProcess(this);
    // Each window its own slot on the screen, so they open side by side.
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("KALUMO_WINDOW_SLOT"), QString::number(slot));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setProgram(m_program);
    // Each window runs in a process group of its own, so a Ctrl+C at the
    // terminal reaches the hub alone, which then closes the windows one
    // way, through CloseAll. Should the hub itself be killed, each window
    // is asked to close the normal way (so its tallies are saved)
    // instead of living on alone.
    process->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    process->setArguments({QStringLiteral("kalumo-hub"), QString::number(m_port), m_key, name, m_hostNameToGive});
    connect(process, &QProcess::finished, this, [this, process, name, slot](int code, QProcess::ExitStatus status) {
        // A window ended by the signal CloseAll sent it was closed, not crashed.
        const bool asked = m_closing && code == SIGTERM;
        const bool crashed = status != QProcess::NormalExit && !asked;
        m_running.removeOne(process);
        process->deleteLater();
        if (status == QProcess::NormalExit)
            emit Log(QStringLiteral("window of %1 closed (status %2)").arg(name).arg(code));
        else if (asked)
            emit Log(QStringLiteral("window of %1 closed when asked to").arg(name));
        else
            emit Log(QStringLiteral("window of %1 crashed").arg(name));
        if (crashed && m_restarts > 0 && !m_closing) {
            --m_restarts;
            emit Log(QStringLiteral("starting the window of %1 again").arg(name));
            if (startOne(name, slot))
                return;
        }
        m_cleanly = m_cleanly && (status == QProcess::NormalExit ? code == 0 : asked);
        if (m_running.isEmpty())
            emit Finished();
    });
    process->start();
    if (!process->waitForStarted()) {
        m_error = QStringLiteral("cannot start %1: %2").arg(m_program, process->errorString());
        emit Log(m_error);
        delete process;
        return false;
    }
    m_running << process;
    return true;
}

void GameWindows::CloseAll()
{
    m_closing = true;
    for (QProcess *process : std::as_const(m_running))
        process->terminate();
}
