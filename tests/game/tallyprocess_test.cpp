// A win counted by the real program survives a SIGTERM and a restart: the
// host's window runs on Qt's VNC platform and is played through it, a
// scripted player claims a line from the numbers it hears called.

#include "support/linktestclient.h"
#include "support/processtools.h"
#include "support/vncinput.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Delivery = LinkTestClient::Delivery;

// One run of the host's window: start it, have it call five numbers a
// second apart, claim them as Cy, and return the win record that comes back.
QString playOneRound(const QString &program, quint16 hubPort)
{
    const quint16 screenPort = ProcessTools::FreePort();
    QProcess host;
    ProcessTools::Start(host, program, {QStringLiteral("kalumo-hub %1 K7 Ann Ann").arg(hubPort)},
                        {QStringLiteral("QT_QPA_PLATFORM=vnc:size=567x445:port=%1").arg(screenPort)});
    VncInput screen;
    EXPECT_TRUE(screen.Connect(screenPort)) << "the host's window did not come up";

    LinkTestClient cy;
    EXPECT_TRUE(cy.Connect(hubPort));
    cy.Join(QStringLiteral("K7"), QStringLiteral("Cy"));
    EXPECT_TRUE(cy.WaitForDeliveries(2)) << "Ann and Cy entered";

    // The window fills the screen: "Calls @" box, then New Game, then Yes.
    screen.Click(280, 241);
    screen.Key(VncInput::End);
    screen.Key(VncInput::BackSpace);
    screen.Key(VncInput::BackSpace);
    screen.Type(QStringLiteral("1"));
    screen.Click(280, 200);
    QTest::qWait(300);
    screen.Key(VncInput::Return);

    QStringList called;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        called.clear();
        for (const Delivery &d : std::as_const(cy.received))
            if (d.first == u"Ann" && d.second.startsWith(u"Comm;1|"))
                called << d.second.mid(7);
        return called.size() >= 5;
    }, 20000)) << "five numbers were not called";
    cy.Chat(QStringLiteral("K7"), QStringLiteral("Comm;4|Cy|") + called.mid(0, 5).join(u'@'));

    QString win;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        for (const Delivery &d : std::as_const(cy.received))
            if (d.second.startsWith(u"Comm;3|"))
                win = d.second.mid(5);
        return !win.isEmpty();
    }, 10000)) << "the claim was not confirmed";

    EXPECT_TRUE(ProcessTools::Terminate(host));
    EXPECT_EQ(host.exitCode(), 0);
    return win;
}

TEST(RealProcesses, AWinIsStillCountedAfterSigtermAndARestart)
{
    QTemporaryDir folder;
    const QString program = ProcessTools::CopyGameProgram(folder);
    const quint16 hubPort = ProcessTools::FreePort();
    QProcess hub;
    ASSERT_TRUE(ProcessTools::StartHub(hub, hubPort)) << "hub did not come up";

    EXPECT_EQ(playOneRound(program, hubPort), u"3|Cy|1");
    QFile tallies(QDir(folder.path()).filePath(QStringLiteral("BingoMem.Usr")));
    ASSERT_TRUE(tallies.open(QIODevice::ReadOnly));
    EXPECT_EQ(tallies.readAll(), QByteArray("@0\xFE" "Cy@1\xFE"));
    tallies.close();

    EXPECT_EQ(playOneRound(program, hubPort), u"3|Cy|2");
    ASSERT_TRUE(tallies.open(QIODevice::ReadOnly));
    EXPECT_EQ(tallies.readAll(), QByteArray("@0\xFE" "Cy@2\xFE"));
    EXPECT_TRUE(ProcessTools::Terminate(hub));
}

} // namespace
