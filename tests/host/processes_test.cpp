// The real programs, started as the chat host would start them.
#include "support/waitfor.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

QProcessEnvironment environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KALUMO_LINK_HOST"), QStringLiteral("127.0.0.1"));
    return env;
}

// A program whose standard error is collected as it runs.
struct Program
{
    Program(const QString &path, const QStringList &arguments)
    {
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, [this] { output += process.readAll(); });
        process.start(path, arguments);
        EXPECT_TRUE(process.waitForStarted(5000)) << path.toStdString();
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool WaitForOutput(const QString &text)
    {
        return WaitFor([&] { return output.contains(text.toUtf8()); }, 10000);
    }
    bool WaitForExit()
    {
        return WaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
    }
    void Signal(int number) { ::kill(pid_t(process.processId()), number); }

    QProcess process;
    QByteArray output;
};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(Processes, ALocalGameStartsAWindowPerPlayerAndEndsWhenTheHubIsStopped)
{
    Program hub(KALUMO_HUB_PATH, {"play", "--program", KALUMO_BINGO_PATH, "Ann", "Bob"});
    ASSERT_TRUE(hub.WaitForOutput(": Ann\n")) << hub.output.toStdString();
    ASSERT_TRUE(hub.WaitForOutput(": Bob\n")) << hub.output.toStdString();
    hub.Signal(SIGTERM);
    ASSERT_TRUE(hub.WaitForExit()) << hub.output.toStdString();
    EXPECT_EQ(hub.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(hub.process.exitCode(), 0);
    EXPECT_TRUE(hub.output.contains("window of Ann closed (status 0)")) << hub.output.toStdString();
}

TEST(Processes, AWindowSurvivesItsHubBeingKilledAndRestarted)
{
    const QString port = QString::number(freePort());
    auto hub = std::make_unique<Program>(KALUMO_HUB_PATH, QStringList{"serve", "--port", port});
    ASSERT_TRUE(hub->WaitForOutput("listening"));
    Program ann(KALUMO_BINGO_PATH, {"x", port, "K", "Ann", "Ann"});
    ASSERT_TRUE(hub->WaitForOutput("join: game K: Ann")) << hub->output.toStdString();

    hub->Signal(SIGKILL);
    ASSERT_TRUE(hub->WaitForExit());
    hub = std::make_unique<Program>(KALUMO_HUB_PATH, QStringList{"serve", "--port", port});
    ASSERT_TRUE(hub->WaitForOutput("listening")) << hub->output.toStdString();
    Program bob(KALUMO_BINGO_PATH, {"x", port, "K", "Bob", "Ann"});
    ASSERT_TRUE(hub->WaitForOutput("join: game K: Bob")) << hub->output.toStdString();

    EXPECT_EQ(ann.process.state(), QProcess::Running);
    ann.Signal(SIGTERM);
    ASSERT_TRUE(ann.WaitForExit());
    EXPECT_EQ(ann.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ann.process.exitCode(), 0) << ann.output.toStdString();
}

} // namespace
