// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A process runner that starts nothing: it keeps what it was asked to run,
// and the test speaks for each run through its signals.

#include "hubrun.h"

struct FakeProcessRunner : ProcessRunner
{
    struct Started
    {
        QString program;
        QStringList arguments;
        HubRun *run;
    };
    HubRun *Start(const QString &program, const QStringList &arguments, QObject *parent) override
    {
        started.append({program, arguments, new HubRun(parent)});
        return started.last().run;
    }
    QList<Started> started;
};
