// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher.h"

#include "hubrun.h"
#include "link/invitation.h"
#include "playerwords.h"
#include "support/playername.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString NameKey = QStringLiteral("name");
const QString AddressKey = QStringLiteral("host/address");
const QString PortKey = QStringLiteral("host/port");
const QString ComputersKey = QStringLiteral("play/computers");
// How often a launcher showing another's game looks whether it still runs.
constexpr int ShownGameCheckMs = 2000;

QString described(const RunningGame &game)
{
    const QString what[] = {QStringLiteral("The game you play here as %1"), QStringLiteral("The game you host as %1"),
                            QStringLiteral("The game you joined as %1")};
    return what[game.kind].arg(game.name);
}

} // namespace

Launcher::Launcher(ProcessRunner &runner, QSettings &settings, const QString &hubProgram, const RunningGameFile &noted,
                   QObject *parent)
    : QObject(parent)
    , m_runner(runner)
    , m_settings(settings)
    , m_hubProgram(hubProgram)
    , m_noted(noted)
    , m_showTimer(new QTimer(this))
{
    m_showTimer->setObjectName(QStringLiteral("shownGameCheck"));
    m_showTimer->setInterval(ShownGameCheckMs);
    connect(m_showTimer, &QTimer::timeout, this, &Launcher::CheckShownGame);
}

QString Launcher::HubProgram(const QString &launcherFolder)
{
    // The hub of the same installation first: an older one on the PATH may
    // not know the commands this launcher gives.
    const QString beside = QDir(launcherFolder).filePath(QStringLiteral("kalumo-hub"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("kalumo-hub"));
    return onPath.isEmpty() ? beside : onPath;
}

QString Launcher::Name() const { return m_settings.value(NameKey).toString(); }

HostChoice Launcher::LastHostChoice() const
{
    const uint port = m_settings.value(PortKey, HostChoice::DefaultPort).toUInt();
    return {m_settings.value(AddressKey).toString(), port <= 65535 ? quint16(port) : HostChoice::DefaultPort};
}

// Every run puts "--" before the names: a player may be called "-x", which
// kalumo-hub would otherwise take for an option.
bool Launcher::Play(const QString &name, int computers)
{
    QStringList arguments{QStringLiteral("play")};
    if (computers > 0)
        arguments << QStringLiteral("--computer") << QString::number(computers);
    if (!start(name, arguments << QStringLiteral("--") << name.trimmed(), RunningGame::Play))
        return false;
    m_settings.setValue(ComputersKey, computers);
    m_settings.sync();
    return true;
}

int Launcher::LastComputers() const
{
    const int computers = m_settings.value(ComputersKey, DefaultComputers).toInt();
    return computers >= 0 && computers <= MaxComputers ? computers : DefaultComputers;
}

bool Launcher::Host(const QString &name, const HostChoice &choice)
{
    QStringList arguments{QStringLiteral("host")};
    const QString address = choice.address.trimmed();
    if (!address.isEmpty())
        arguments << QStringLiteral("--address") << address;
    if (choice.port != HostChoice::DefaultPort)
        arguments << QStringLiteral("--port") << QString::number(choice.port);
    if (!start(name, arguments << QStringLiteral("--") << name.trimmed(), RunningGame::Host))
        return false;
    m_settings.setValue(AddressKey, address);
    m_settings.setValue(PortKey, choice.port);
    m_settings.sync();
    return true;
}

bool Launcher::Join(const QString &pastedText, const QString &name)
{
    const QString found = Invitation::Find(pastedText);
    if (found.isEmpty()) {
        emit Message(QStringLiteral("There is no invitation in the text you pasted: it starts with kalumo://."));
        return false;
    }
    QString why;
    const std::optional<Invitation> invitation = Invitation::Parse(found, &why);
    if (!invitation) {
        emit Message(why);
        return false;
    }
    if (!start(name, {QStringLiteral("join"), QStringLiteral("--"), found, name.trimmed()}, RunningGame::Join, found))
        return false;
    emit Message(QStringLiteral("Joining the game %1 hosts…").arg(invitation->hostName));
    return true;
}

bool Launcher::start(const QString &name, const QStringList &arguments, RunningGame::Kind kind,
                     const QString &invitation)
{
    if (m_run || m_shown) {
        emit Message(QStringLiteral("A game started from here is still running; close its windows first."));
        return false;
    }
    if (const std::optional<RunningGame> other = m_noted.Read()) {
        emit Message(QStringLiteral("%1 is still running on this computer: show it, or close its windows first.")
                         .arg(described(*other)));
        emit OtherGameRunning();
        return false;
    }
    // A blank typed around the name is no part of it.
    if (const QString refusal = PlayerName::Refusal(name.trimmed()); !refusal.isEmpty()) {
        emit Message(QStringLiteral("This name cannot be used: %1.").arg(refusal));
        return false;
    }
    m_settings.setValue(NameKey, name.trimmed());
    m_settings.sync();

    m_game = {0, m_hubProgram, kind, name.trimmed(), invitation};
    m_linesAwaited = kind == RunningGame::Host ? 2 : 0; // the invitation, then the browser link
    m_lastError.clear();
    m_run = m_runner.Start(m_hubProgram, arguments, this);
    follow(m_run);
    emit RunningChanged(true);
    if (kind != RunningGame::Join)
        emit Message(kind == RunningGame::Host ? QStringLiteral("Setting up your game…")
                                               : QStringLiteral("Starting the game: its windows open in a moment."));
    return true;
}

void Launcher::follow(HubRun *run)
{
    connect(run, &HubRun::Started, this, [this](qint64 processId) {
        m_game.processId = processId;
        note();
    });
    connect(run, &HubRun::OutputLine, this, [this](const QString &line) {
        if (m_linesAwaited == 0)
            return;
        if (--m_linesAwaited == 0) {
            emit BrowserLinkReady(line.trimmed());
            return;
        }
        m_game.invitation = line.trimmed();
        note();
        emit InvitationReady(m_game.invitation);
        emit Message(QStringLiteral("Your game is open: pass the invitation on, and the others join with it."));
    });
    // The hub's log is for a terminal; the player reads what its end means.
    connect(run, &HubRun::ErrorLine, this, [this](const QString &line) {
        if (!line.trimmed().isEmpty())
            m_lastError = line;
    });
    connect(run, &HubRun::Ended, this, [this](int exitCode, const QString &failure) {
        if (m_game.processId > 0)
            m_noted.Remove(m_game.processId);
        emit Message(failure.isEmpty() ? PlayerWords::ForEnd(exitCode, m_lastError)
                                       : QStringLiteral("The game could not go on: %1.").arg(failure));
        m_run->deleteLater();
        m_run = nullptr;
        emit RunningChanged(false);
    });
}

void Launcher::note()
{
    QString error;
    if (m_game.processId > 0 && !m_noted.Write(m_game, &error))
        qWarning().noquote() << "kalumo: cannot note the running game in" << m_noted.Path() << ":" << error;
}

bool Launcher::ShowRunningGame()
{
    const std::optional<RunningGame> game = m_run || m_shown ? std::nullopt : m_noted.Read();
    if (!game)
        return false;
    m_shown = game;
    emit RunningChanged(true);
    if (game->kind == RunningGame::Host && !game->invitation.isEmpty())
        emit InvitationReady(game->invitation);
    emit Message(QStringLiteral("%1 is still running.").arg(described(*game))
                 + (game->kind == RunningGame::Host
                        ? QStringLiteral(" Pass its invitation on; the others join with it.")
                        : QString()));
    m_showTimer->start();
    return true;
}

void Launcher::CheckShownGame()
{
    if (!m_shown)
        return;
    const std::optional<RunningGame> game = m_noted.Read();
    if (game && game->processId == m_shown->processId) {
        // A hosted game noted before its invitation was printed gets it now.
        if (game->kind == RunningGame::Host && game->invitation != m_shown->invitation)
            emit InvitationReady(game->invitation);
        m_shown = game;
        return;
    }
    m_shown.reset();
    m_showTimer->stop();
    emit RunningChanged(false);
    emit Message(QStringLiteral("The game has ended."));
}
