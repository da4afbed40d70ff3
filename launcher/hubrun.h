// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One run of kalumo-hub as the launcher sees it: the lines it writes and its
// end. ProcessRunner starts it; the launcher never plays a game itself, it
// only starts the hub the way a player would from a terminal.

#include <QObject>
#include <QStringList>

class QProcess;

class HubRun : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void Started(qint64 processId); // the program runs, as this process
    void OutputLine(const QString &line); // a line of standard output
    void ErrorLine(const QString &line); // a line of standard error
    // Emitted once. `failure` is empty when the program ran and exited with
    // `exitCode`; otherwise a clause saying that it could not start, and
    // why, or that it crashed.
    void Ended(int exitCode, const QString &failure);
};

class ProcessRunner
{
public:
    virtual ~ProcessRunner() = default;
    // Starts `program` with `arguments` (no shell in between); the run is a
    // child of `parent`.
    virtual HubRun *Start(const QString &program, const QStringList &arguments, QObject *parent) = 0;
};

// Runs real processes. Their standard error, a log for a terminal, goes on
// to the launcher's own as well.
class QProcessRunner : public ProcessRunner
{
public:
    HubRun *Start(const QString &program, const QStringList &arguments, QObject *parent) override;
};
