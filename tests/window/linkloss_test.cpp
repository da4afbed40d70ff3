#include "hub.h"
#include "link/tcpgamelink.h"
#include "support/randomgenerator.h"
#include "support/recordingmessageboxes.h"
#include "support/waitfor.h"
#include "window/frmmain.h"

#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// A game window joined to a real hub over loopback.
struct LinkedWindow
{
    LinkedWindow(quint16 port, const QString &name)
        : link(QStringLiteral("127.0.0.1"))
        , random(1)
        , window(WindowContext{boxes, link, random, folder.path(),
                               QStringLiteral("x %1 K %2 Ann").arg(port).arg(name)})
    {
    }
    QString Log() const { return window.findChild<QTextEdit *>("rtbChatIn")->toPlainText(); }
    bool WaitForLog(const QString &text) { return WaitFor([&] { return Log().contains(text); }, 5000); }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link;
    RandomGenerator random;
    frmMain window;
};

TEST(LinkLoss, TheWindowOutlivesItsHubAndStillClosesTheNormalWay)
{
    auto hub = std::make_unique<Hub>();
    ASSERT_TRUE(hub->Listen(QHostAddress::LocalHost, 0));
    const quint16 port = hub->Port();

    LinkedWindow ann(port, QStringLiteral("Ann"));
    ASSERT_EQ(ann.window.Startup(), std::nullopt);
    ASSERT_TRUE(ann.WaitForLog(QStringLiteral("Ann has joined the game.")));

    hub.reset();
    ASSERT_TRUE(ann.WaitForLog(QStringLiteral("The link to the game was lost")));

    // Typing on goes nowhere, but does no harm.
    auto *chat = ann.window.findChild<QLineEdit *>("txtChatOut");
    chat->setText(QStringLiteral("anyone there?"));
    emit chat->returnPressed();
    EXPECT_TRUE(chat->text().isEmpty());
    EXPECT_TRUE(ann.boxes.shown.isEmpty());

    // The hub comes back on its port; new windows join it, the old one stays as it is.
    hub = std::make_unique<Hub>();
    ASSERT_TRUE(hub->Listen(QHostAddress::LocalHost, port));
    LinkedWindow bob(port, QStringLiteral("Bob"));
    ASSERT_EQ(bob.window.Startup(), std::nullopt);
    ASSERT_TRUE(bob.WaitForLog(QStringLiteral("Bob has joined the game.")));
    EXPECT_EQ(hub->Players("K"), QStringList{"Bob"});

    QSignalSpy shutDown(&ann.window, &frmMain::ShutDown);
    EXPECT_TRUE(ann.window.close());
    EXPECT_EQ(shutDown.size(), 1);
    EXPECT_TRUE(QFile::exists(ann.window.MemFile())) << "the tallies were saved at close";
}

} // namespace
