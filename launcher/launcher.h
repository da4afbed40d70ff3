#pragma once
// What the launcher does, without a widget: it turns the player's choice
// (play here, host a game, join a game) into one run of kalumo-hub with the
// same command line a player would type,
//   kalumo-hub play NAME [--computer N]
//   kalumo-hub host NAME
//   kalumo-hub join INVITATION NAME
// reads the invitation from the first line `host` prints and the browser
// link from the second, and tells the
// player in plain words what the hub and the windows report. One run at a
// time. The player's name is remembered in the settings.

#include <QObject>
#include <QString>

class HubRun;
class ProcessRunner;
class QSettings;

class Launcher : public QObject
{
    Q_OBJECT
public:
    Launcher(ProcessRunner &runner, QSettings &settings, const QString &hubProgram, QObject *parent = nullptr);

    // kalumo-hub beside the launcher when it is there, else the one on the PATH.
    static QString HubProgram(const QString &launcherFolder);
    // The invitation in a pasted text: its first word starting with
    // "kalumo://"; empty when there is none.
    static QString InvitationIn(const QString &text);
    // A line the hub or a window wrote, for the player: without the
    // program's name in front, starting with a capital.
    static QString PlainWords(const QString &line);

    QString Name() const; // the name used last
    bool Running() const { return m_run != nullptr; }

    // Each starts a run and returns true, or says why not (Message) and
    // returns false.
    bool Play(const QString &name, int computers);
    bool Host(const QString &name);
    bool Join(const QString &pastedText, const QString &name);

signals:
    void InvitationReady(const QString &invitation);
    void BrowserLinkReady(const QString &link);
    void Message(const QString &text);
    void RunningChanged(bool running);

private:
    bool start(const QString &name, const QStringList &arguments, bool hosting);

    ProcessRunner &m_runner;
    QSettings &m_settings;
    QString m_hubProgram;
    HubRun *m_run = nullptr;
    int m_linesAwaited = 0; // of host's output: the invitation, then the browser link
    QString m_lastError;
};
