#pragma once
// Helpers for tests that run the real programs.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace ProcessTools {

// A port on loopback that was free a moment ago.
quint16 FreePort();

// Copies kalumo-bingo into `folder`, so that its tally file lands there and
// not beside the build's own copy. Returns the copy's path.
QString CopyGameProgram(const QTemporaryDir &folder);

// Starts a program under the offscreen platform with the given extra
// environment ("NAME=value" entries).
void Start(QProcess &process, const QString &program, const QStringList &arguments,
           const QStringList &environment = {});

// Starts "kalumo-hub serve" on the port and waits until it takes
// connections; false when it does not come up.
bool StartHub(QProcess &hub, quint16 port);

// Sends SIGTERM and waits for a normal end; false when it did not come.
bool Terminate(QProcess &process, int timeoutMs = 10000);

} // namespace ProcessTools
