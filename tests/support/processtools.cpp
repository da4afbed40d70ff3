#include "support/processtools.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace ProcessTools {

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString CopyGameProgram(const QTemporaryDir &folder)
{
    const QString copy = QDir(folder.path()).filePath(QStringLiteral("kalumo-bingo"));
    QFile::copy(QStringLiteral(KALUMO_BINGO_PATH), copy);
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner);
    return copy;
}

void Start(QProcess &process, const QString &program, const QStringList &arguments, const QStringList &environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KALUMO_LINK_HOST"), QStringLiteral("127.0.0.1"));
    for (const QString &entry : environment)
        env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    process.setProcessEnvironment(env);
    // Diagnostics go to the test's own output unless the caller reads them.
    if (process.processChannelMode() == QProcess::SeparateChannels)
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    process.waitForStarted();
}

bool StartHub(QProcess &hub, quint16 port)
{
    Start(hub, QStringLiteral(KALUMO_HUB_PATH), {QStringLiteral("serve"), QStringLiteral("--port"), QString::number(port)});
    return QTest::qWaitFor([&] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        return probe.waitForConnected(200);
    }, 10000);
}

bool Terminate(QProcess &process, int timeoutMs)
{
    process.terminate();
    return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeoutMs)
        && process.exitStatus() == QProcess::NormalExit;
}

} // namespace ProcessTools
