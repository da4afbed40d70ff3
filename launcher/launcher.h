// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the launcher does, without a widget: it turns the player's choice
// (play here, host a game, join a game) into one run of kalumo-hub with the
// same command line a player would type,
//   kalumo-hub play [--computer N] -- NAME
//   kalumo-hub host [--address PUBLIC-NAME] [--port N] -- NAME
//   kalumo-hub join -- INVITATION NAME
// reads the invitation from the first line `host` prints and the browser
// link from the second, and tells the
// player in plain words how it goes (PlayerWords). One run at a time. The
// player's name, the number of computer players and the host's address and
// port are remembered in the settings.
//
// The running game is noted in a RunningGameFile, so that a launcher opened
// while it runs shows it again (ShowRunningGame), and one asked to start
// another says so instead.

#include "runninggame.h"

#include <QObject>
#include <QString>

class HubRun;
class ProcessRunner;
class QSettings;
class QTimer;

// Where a hosted game is reached: by default, the address kalumo-hub finds
// and its own port.
struct HostChoice
{
    static constexpr quint16 DefaultPort = 47474; // kalumo-hub host's own
    QString address;
    quint16 port = DefaultPort;
};

class Launcher : public QObject
{
    Q_OBJECT
public:
    Launcher(ProcessRunner &runner, QSettings &settings, const QString &hubProgram, const RunningGameFile &noted,
             QObject *parent = nullptr);

    // kalumo-hub beside the launcher when it is there, else the one on the PATH.
    static QString HubProgram(const QString &launcherFolder);

    static constexpr int DefaultComputers = 2;
    static constexpr int MaxComputers = 20;

    QString Name() const; // the name used last
    int LastComputers() const; // the number of computer players of the last game played here
    HostChoice LastHostChoice() const;
    // Whether this launcher runs a game (not one it only shows).
    bool Running() const { return m_run != nullptr; }

    // Each starts a run and returns true, or says why not (Message) and
    // returns false.
    bool Play(const QString &name, int computers);
    bool Host(const QString &name, const HostChoice &choice = {});
    bool Join(const QString &pastedText, const QString &name);

    // Shows the game another launcher noted as running, if there is one:
    // RunningChanged(true), its invitation, and a message saying whose game
    // it is. Until it ends (CheckShownGame), nothing else starts.
    bool ShowRunningGame();
    // Notices that a game shown by ShowRunningGame has ended; checked every
    // few seconds while one is shown.
    void CheckShownGame();

signals:
    void InvitationReady(const QString &invitation);
    void BrowserLinkReady(const QString &link);
    void Message(const QString &text);
    void RunningChanged(bool running);
    // A game started by another launcher runs; ShowRunningGame shows it.
    void OtherGameRunning();

private:
    bool start(const QString &name, const QStringList &arguments, RunningGame::Kind kind,
               const QString &invitation = {});
    void follow(HubRun *run);
    void note();

    ProcessRunner &m_runner;
    QSettings &m_settings;
    QString m_hubProgram;
    const RunningGameFile &m_noted;
    HubRun *m_run = nullptr;
    RunningGame m_game; // the one this launcher runs
    std::optional<RunningGame> m_shown; // the one another launcher runs, shown here
    QTimer *m_showTimer = nullptr;
    int m_linesAwaited = 0; // of host's output: the invitation, then the browser link
    QString m_lastError;
};
