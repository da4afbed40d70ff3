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
{
}

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
    const QString key = m_key;
    const QString hostName = m_hostName.isEmpty() ? names.value(0) : m_hostName;
    const QString port = QString::number(m_port);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // What says how to reach the hub is this game's, never the caller's.
    environment.insert(QStringLiteral("KALUMO_LINK_HOST"), QStringLiteral("127.0.0.1"));
    environment.remove(QStringLiteral("KALUMO_LINK_FINGERPRINT"));
    environment.remove(QStringLiteral("KALUMO_HOST_SECRET"));
    environment.remove(QStringLiteral("KALUMO_INVITATION"));
    environment.insert(m_extra);

    for (const QString &name : names) {
        auto *process = new QProcess(this);
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
        process->setArguments({QStringLiteral("kalumo-hub"), port, key, name, hostName});
        connect(process, &QProcess::finished, this, [this, process, name](int code, QProcess::ExitStatus status) {
            // A window ended by the signal CloseAll sent it was closed, not crashed.
            m_cleanly = m_cleanly && (status == QProcess::NormalExit ? code == 0 : m_closing && code == SIGTERM);
            if (status == QProcess::NormalExit)
                emit Log(QStringLiteral("window of %1 closed (status %2)").arg(name).arg(code));
            else if (m_closing && code == SIGTERM)
                emit Log(QStringLiteral("window of %1 closed when asked to").arg(name));
            else
                emit Log(QStringLiteral("window of %1 crashed").arg(name));
            m_running.removeOne(process);
            process->deleteLater();
            if (m_running.isEmpty())
                emit Finished();
        });
        process->start();
        if (!process->waitForStarted()) {
            m_error = QStringLiteral("cannot start %1: %2").arg(m_program, process->errorString());
            emit Log(m_error);
            delete process;
            continue;
        }
        m_running << process;
    }
    return !m_running.isEmpty();
}

void GameWindows::CloseAll()
{
    m_closing = true;
    for (QProcess *process : std::as_const(m_running))
        process->terminate();
}
