// A player who joins a round under way, over real TCP: a hub, Hal hosting
// and Ann playing in this process; Bob comes after six calls. Hal steers his
// calls with "/call" to the top row that Bob's first card will be dealt.

#include "card/deal.h"
#include "game/routing.h"
#include "hub.h"
#include "link/tcpgamelink.h"
#include "support/chatlines.h"
#include "support/randomgenerator.h"
#include "support/recordingmessageboxes.h"
#include "window/frmmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Seat
{
    Seat(quint16 port, const QString &name, quint64 seed)
        : link(QStringLiteral("127.0.0.1"))
        , random(seed, [] { return quint64(1000); })
        , window(WindowContext{boxes, link, random, folder.path(), QStringLiteral("x %1 K1 %2 Hal").arg(port).arg(name)})
    {
    }
    template <typename T>
    T *Control(const QString &name) const { return window.findChild<T *>(name); }
    bool Logged(const QString &text) const
    {
        const QList<ChatLine> lines = ChatLines(window);
        return std::any_of(lines.begin(), lines.end(), [&](const ChatLine &line) { return line.text == text; });
    }
    void Type(const QString &text)
    {
        auto *chat = Control<QLineEdit>(QStringLiteral("txtChatOut"));
        chat->setText(text);
        QTest::keyClick(chat, Qt::Key_Return);
    }
    QSet<int> Green() const
    {
        QSet<int> green;
        for (int n = 1; n <= 100; ++n) {
            if (Control<QLabel>(QStringLiteral("lblItm%1").arg(n))->palette().color(QPalette::WindowText) == Qt::green)
                green << n;
        }
        return green;
    }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link;
    RandomGenerator random;
    frmMain window;
};

TEST(LateJoin, ANewcomerSeesTheRoundsCallsAndWinsWithALineOfThem)
{
    Hub hub;
    ASSERT_TRUE(hub.Listen(QHostAddress::LocalHost, 0)) << hub.ErrorString().toStdString();
    Seat hal(hub.Port(), QStringLiteral("Hal"), 11), ann(hub.Port(), QStringLiteral("Ann"), 12);
    for (Seat *seat : {&hal, &ann})
        ASSERT_FALSE(seat->window.Startup());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ann.Logged(QStringLiteral("Ann has joined the game.")); }, 10000));
    hal.Control<QLineEdit>(QStringLiteral("txtSec"))->setText(QStringLiteral("99"));
    hal.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();

    // Bob's window deals two cards when it is made and deals again when it
    // catches up; his random state replays that second deal of his first card.
    RandomGenerator twin(13, [] { return quint64(1000); });
    for (int i = 0; i < 2 * CardDeal::Cells; ++i)
        twin.NextNumber(CardDeal::HighestDraw);
    const auto deal = CardDeal::Deal([&] { return twin.NextNumber(CardDeal::HighestDraw); });
    QList<int> forced(deal.begin(), deal.begin() + 5);
    forced << 0; // and one at random
    auto *calling = hal.Control<QTimer>(QStringLiteral("tmrHost"));
    for (int i = 0; i < forced.size(); ++i) {
        // Hal's own line comes back after his command: the command has been taken.
        hal.Type(QStringLiteral("/call %1").arg(forced[i]));
        hal.Type(QStringLiteral("next %1").arg(i));
        ASSERT_TRUE(QTest::qWaitFor([&] { return hal.Logged(Routing::SenderField(QStringLiteral("Hal")) + QStringLiteral("next %1").arg(i)); }, 10000));
        QMetaObject::invokeMethod(calling, "timeout");
        ASSERT_TRUE(QTest::qWaitFor([&] { return ann.Green().size() == i + 1; }, 10000));
    }
    const QSet<int> called = ann.Green();
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(called.contains(forced[i])) << forced[i];

    Seat bob(hub.Port(), QStringLiteral("Bob"), 13);
    ASSERT_FALSE(bob.window.Startup());
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob.Green() == called; }, 10000));
    EXPECT_EQ(bob.Control<QLineEdit>(QStringLiteral("txtSec"))->text(), u"99");
    auto *card = bob.Control<QWidget>(QStringLiteral("Card0"));
    for (int i = 0; i < 5; ++i) {
        auto *label = card->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i));
        ASSERT_EQ(label->text().toInt(), forced[i]);
        QTest::mouseClick(label, Qt::LeftButton);
    }
    QMetaObject::invokeMethod(card->findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
    auto *bingo = bob.Control<QPushButton>(QStringLiteral("cmdBingo"));
    ASSERT_TRUE(bingo->isEnabled());
    bingo->click();
    const QString win = QStringLiteral("** Bob Has Won The Game! 1 Total Win(s)! **");
    EXPECT_TRUE(QTest::qWaitFor([&] { return hal.Logged(win) && bob.Logged(win); }, 10000));
}

} // namespace
