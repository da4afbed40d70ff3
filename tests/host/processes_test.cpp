// The real programs: a hub, two game windows and a scripted third player.

#include "support/linktestclient.h"
#include "support/processtools.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Delivery = LinkTestClient::Delivery;

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

TEST(RealProcesses, TwoWindowsAndAScriptedPlayerMeetChatAndLeaveOnSigterm)
{
    QTemporaryDir folder;
    const QString program = ProcessTools::CopyGameProgram(folder);
    const quint16 port = ProcessTools::FreePort();
    QProcess hub;
    ASSERT_TRUE(ProcessTools::StartHub(hub, port)) << "hub did not come up";
    LinkTestClient cy;
    ASSERT_TRUE(cy.Connect(port));
    cy.Join(QStringLiteral("K7"), QStringLiteral("Cy"));
    ASSERT_TRUE(cy.WaitForDeliveries(1));

    const QString annLog = folder.filePath(QStringLiteral("ann.log")), bobLog = folder.filePath(QStringLiteral("bob.log"));
    QProcess ann, bob;
    // The chat host may pass the whole line as one argument...
    ProcessTools::Start(ann, program, {QStringLiteral("kalumo-hub %1 K7 Ann Ann").arg(port)},
                        {QStringLiteral("KALUMO_CHAT_TRANSCRIPT=") + annLog});
    ASSERT_TRUE(cy.WaitForDeliveries(2, 10000));
    // ...or in pieces, and a name that looks like a Qt option is still a name.
    ProcessTools::Start(bob, program, {QStringLiteral("kalumo-hub"), QString::number(port), QStringLiteral("K7"), QStringLiteral("-style"), QStringLiteral("Ann")},
                        {QStringLiteral("KALUMO_CHAT_TRANSCRIPT=") + bobLog});
    ASSERT_TRUE(cy.WaitForDeliveries(3, 10000));
    EXPECT_EQ(cy.received, QList<Delivery>({{"[Enter]", "Cy"}, {"[Enter]", "Ann"}, {"[Enter]", "-style"}}));

    cy.Chat(QStringLiteral("K7"), QStringLiteral("Chat;hello from Cy"));
    ASSERT_TRUE(cy.WaitForDeliveries(4));
    EXPECT_EQ(cy.received.last(), Delivery("Cy", "Chat;hello from Cy"));
    const QString shown = QStringLiteral("Cy:            hello from Cy");
    EXPECT_TRUE(QTest::qWaitFor([&] { return readLines(annLog).contains(shown) && readLines(bobLog).contains(shown); }, 10000));
    EXPECT_EQ(readLines(bobLog).value(0), u"Thank You For Choosing Kalumo Bingo.");
    EXPECT_TRUE(readLines(bobLog).contains(u"Ann has joined the game."));

    EXPECT_TRUE(ProcessTools::Terminate(ann));
    EXPECT_EQ(ann.exitCode(), 0);
    EXPECT_TRUE(ProcessTools::Terminate(bob));
    EXPECT_EQ(bob.exitCode(), 0);
    ASSERT_TRUE(cy.WaitForDeliveries(6));
    EXPECT_EQ(cy.received.mid(4), QList<Delivery>({{"[Exit]", "Ann"}, {"[Exit]", "-style"}}));
    EXPECT_TRUE(ProcessTools::Terminate(hub));
}

TEST(RealProcesses, ALocalGameStartsAWindowPerPlayerAndEndsWhenAskedToStop)
{
    QTemporaryDir folder;
    const QString program = ProcessTools::CopyGameProgram(folder);
    QProcess hub;
    hub.setProcessChannelMode(QProcess::MergedChannels);
    ProcessTools::Start(hub, QStringLiteral(KALUMO_HUB_PATH), {QStringLiteral("play"), QStringLiteral("--program"), program, QStringLiteral("Ann"), QStringLiteral("Bob")});
    QByteArray output;
    auto saw = [&](const char *text) {
        return QTest::qWaitFor([&] { output += hub.readAll(); return output.contains(text); }, 10000);
    };
    ASSERT_TRUE(saw(": Ann\n") && saw(": Bob\n")) << output.toStdString();
    EXPECT_TRUE(ProcessTools::Terminate(hub));
    EXPECT_EQ(hub.exitCode(), 0);
    output += hub.readAll();
    EXPECT_TRUE(output.contains("window of Ann closed (status 0)")) << output.toStdString();
    EXPECT_TRUE(output.contains("window of Bob closed (status 0)")) << output.toStdString();
}

TEST(RealProcesses, AWindowOutlivesItsHubAndStillSavesAtClose)
{
    QTemporaryDir folder;
    const QString program = ProcessTools::CopyGameProgram(folder);
    const quint16 port = ProcessTools::FreePort();
    auto hub = std::make_unique<QProcess>();
    ASSERT_TRUE(ProcessTools::StartHub(*hub, port)) << "hub did not come up";

    const QString annLog = folder.filePath(QStringLiteral("ann.log"));
    QProcess ann;
    ProcessTools::Start(ann, program, {QStringLiteral("x %1 K Ann Ann").arg(port)}, {QStringLiteral("KALUMO_CHAT_TRANSCRIPT=") + annLog});
    ASSERT_TRUE(QTest::qWaitFor([&] { return readLines(annLog).contains(u"Ann has joined the game."); }, 10000));

    hub->kill();
    hub->waitForFinished();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readLines(annLog).join(u'\n').contains(u"The link to the game was lost"); }, 10000));

    // The hub comes back on its port: new windows join it, the old one lives on.
    hub = std::make_unique<QProcess>();
    ASSERT_TRUE(ProcessTools::StartHub(*hub, port)) << "hub did not come back";
    LinkTestClient cy;
    ASSERT_TRUE(cy.Connect(port));
    cy.Join(QStringLiteral("K"), QStringLiteral("Cy"));
    ASSERT_TRUE(cy.WaitForDeliveries(1));
    EXPECT_EQ(ann.state(), QProcess::Running);

    EXPECT_TRUE(ProcessTools::Terminate(ann));
    EXPECT_EQ(ann.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("BingoMem.Usr")))) << "shutdown saved the tallies";
    EXPECT_TRUE(ProcessTools::Terminate(*hub));
}

} // namespace
