#pragma once
// Running the real programs in a test: under the offscreen platform, against
// a hub on loopback.

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace ProcessTools {

// A port on loopback that was free a moment ago.
inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A copy of kalumo-bingo in `folder`, so that its tally file lands there.
inline QString CopyGameProgram(const QTemporaryDir &folder)
{
    const QString copy = QDir(folder.path()).filePath(QStringLiteral("kalumo-bingo"));
    QFile::copy(QStringLiteral(KALUMO_BINGO_PATH), copy);
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner);
    return copy;
}

// Starts a program with extra "NAME=value" entries in its environment; its
// errors go to the test's own unless the caller reads them.
inline void Start(QProcess &process, const QString &program, const QStringList &arguments, const QStringList &environment = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : QStringList{QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("KALUMO_LINK_HOST=127.0.0.1")} + environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    process.setProcessEnvironment(env);
    if (process.processChannelMode() == QProcess::SeparateChannels)
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    process.waitForStarted();
}

// Sends SIGTERM and waits for a normal end.
inline bool Terminate(QProcess &process, int timeoutMs = 10000)
{
    process.terminate();
    return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)
        && process.exitStatus() == QProcess::NormalExit;
}

// Starts "kalumo-hub serve" on the port and waits until it takes connections.
inline bool StartHub(QProcess &hub, quint16 port)
{
    Start(hub, QStringLiteral(KALUMO_HUB_PATH), {QStringLiteral("serve"), QStringLiteral("--port"), QString::number(port)});
    return QTest::qWaitFor([&] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        return probe.waitForConnected(200);
    }, 10000);
}

} // namespace ProcessTools
