// SPDX-License-Identifier: GPL-3.0-or-later
#include "hubrun.h"

#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

namespace {

// Emits every whole line the channel holds; at the end, what is left too.
void emitLines(QProcess &process, QProcess::ProcessChannel channel, HubRun &run, bool atEnd)
{
    process.setReadChannel(channel);
    while (process.canReadLine() || (atEnd && process.bytesAvailable() > 0)) {
        const QString line = QString::fromLocal8Bit(process.readLine()).trimmed();
        if (channel == QProcess::StandardOutput) {
            emit run.OutputLine(line);
        } else {
            QTextStream(stderr) << line << Qt::endl;
            emit run.ErrorLine(line);
        }
    }
}

} // namespace

HubRun *QProcessRunner::Start(const QString &program, const QStringList &arguments, QObject *parent)
{
    auto *run = new HubRun(parent);
    auto *process = new QProcess(run);
    QObject::connect(process, &QProcess::readyReadStandardOutput, run,
                     [process, run] { emitLines(*process, QProcess::StandardOutput, *run, false); });
    QObject::connect(process, &QProcess::readyReadStandardError, run,
                     [process, run] { emitLines(*process, QProcess::StandardError, *run, false); });
    QObject::connect(process, &QProcess::started, run, [process, run] { emit run->Started(process->processId()); });
    const QString name = QFileInfo(program).fileName();
    QObject::connect(process, &QProcess::finished, run, [process, run, name](int code, QProcess::ExitStatus status) {
        emitLines(*process, QProcess::StandardOutput, *run, true);
        emitLines(*process, QProcess::StandardError, *run, true);
        emit run->Ended(code, status == QProcess::CrashExit ? name + QStringLiteral(" crashed") : QString());
    });
    QObject::connect(process, &QProcess::errorOccurred, run, [process, run, name](QProcess::ProcessError error) {
        // Only a failed start has no finished() after it.
        if (error == QProcess::FailedToStart)
            emit run->Ended(-1, QStringLiteral("%1 could not be started (%2)").arg(name, process->errorString()));
    });
    // Started from the event loop, so that whoever gets the run is connected
    // before a failed start is reported.
    QTimer::singleShot(0, process, [process, program, arguments] { process->start(program, arguments); });
    return run;
}
