// What the window offers around the board: the keyboard's way through it,
// accessible names, the options and what they remember, the win banner, the
// caller's display, the player list's marks, contrast and scaling.

#include "window/ctlcard.h"
#include "support/windowfixture.h"
#include "window/numberboard.h"
#include "window/windowoptions.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

namespace {

QString accessibleName(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

QWidget *cell(const WindowFixture &f, int card, int index)
{
    return f.Control<ctlCard>(QStringLiteral("Card%1").arg(card))->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(index));
}

void activate(const WindowFixture &f)
{
    f.window->show();
    QApplication::setActiveWindow(f.window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
}

TEST(Keyboard, TabsThroughTheWindowInOrderMovesOnACardMarksWithSpaceAndClaimsWithCtrlB)
{
    // A player's New Game is dark, and Tab passes it by.
    for (const char *me : {"Hal", "Ann"}) {
        WindowFixture f(QStringLiteral("x 7001 K1 %1 Hal").arg(me));
        ASSERT_FALSE(f.window->Startup());
        activate(f);
        QStringList order;
        for (int step = 0; step < 6; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(order.join(u' ').toStdString(), qstrcmp(me, "Hal") == 0 ? "cmdNewGame Card0 Card1 txtSec lstUsers rtbChatIn"
                                                                           : "Card0 Card1 txtSec lstUsers rtbChatIn txtChatOut");
    }

    WindowFixture f(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(f.window->Startup());
    activate(f);
    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
    auto *card = f.Control<ctlCard>(QStringLiteral("Card1"));
    const QImage unfocused = card->grab().toImage();
    card->setFocus();
    EXPECT_NE(card->grab().toImage(), unfocused) << "the ring shows";
    // From the top left corner: off the edge stays, then to row 2, column 3, and back along row 1.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Space})
        QTest::keyClick(card, key);
    const QString n = static_cast<QLabel *>(cell(f, 1, 7))->text();
    EXPECT_EQ(accessibleName(cell(f, 1, 7)), "Card 2, row 2, column 3: " + n + ", marked");
    EXPECT_EQ(accessibleName(card), accessibleName(cell(f, 1, 7))) << "the card reads as the cell in its ring";
    QTest::keyClick(card, Qt::Key_Space);
    EXPECT_EQ(accessibleName(cell(f, 1, 7)), "Card 2, row 2, column 3: " + n);
    // The whole of row 2, from its left end.
    QStringList row;
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Space, Qt::Key_Right, Qt::Key_Space, Qt::Key_Right,
                        Qt::Key_Space, Qt::Key_Right, Qt::Key_Space, Qt::Key_Right, Qt::Key_Space})
        QTest::keyClick(card, key);
    for (int i = 5; i < 10; ++i)
        row << static_cast<QLabel *>(cell(f, 1, i))->text();
    auto *bingo = f.Control<QPushButton>(QStringLiteral("cmdBingo"));
    EXPECT_EQ(accessibleName(bingo), "BINGO!, not available");
    QTest::keyClick(card, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(f.link.sent, QStringList()) << "a dark BINGO! takes no shortcut";
    card->CheckLines();
    EXPECT_EQ(accessibleName(bingo), "BINGO!, available");
    QTest::keyClick(card, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(f.link.sent, QStringList("Comm;4|Ann|" + row.join(u'@')));
}

TEST(Options, AreOffAtFirstRememberedAndSpeakMarkAndBannerWhatTheGameSays)
{
    WindowFixture f(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(f.window->Startup());
    for (const char *name : {"Hal", "Ann", "Bob"})
        f.link.Deliver(QStringLiteral("[Enter]"), QString::fromUtf8(name));
    QStringList players;
    const auto *list = f.Control<QListWidget>(QStringLiteral("lstUsers"));
    for (int row = 0; row < list->count(); ++row)
        players << list->item(row)->text() + u'/' + list->item(row)->data(Qt::AccessibleTextRole).toString()
                       + (list->item(row)->font().bold() ? "/bold" : "");
    EXPECT_EQ(players, QStringList({"Hal (host)/Hal, host", "Ann/Ann, you/bold", "Bob/Bob"}));

    WindowOptions &options = f.window->Options();
    for (auto option : {WindowOptions::Speak, WindowOptions::HighContrast, WindowOptions::AutoMark}) {
        EXPECT_FALSE(options.IsOn(option)) << option;
        options.Action(option)->trigger();
    }
    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;2|ResetMe|10"));
    const QString n = static_cast<QLabel *>(cell(f, 0, 12))->text();
    f.link.Deliver(QStringLiteral("Hal"), "Comm;1|" + n);
    EXPECT_EQ(accessibleName(cell(f, 0, 12)), "Card 1, row 3, column 3: " + n + ", marked") << "marked automatically";
    EXPECT_EQ(accessibleName(f.Control(QStringLiteral("lblItm") + n)), n + ", called");
    EXPECT_EQ(accessibleName(f.Control(QStringLiteral("lblItm%1").arg(n.toInt() % 100 + 1))), QString::number(n.toInt() % 100 + 1));

    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;3|Bob|<b>4</b>"));
    auto *banner = f.Control<QLabel>(QStringLiteral("lblWinBanner"));
    EXPECT_TRUE(!banner->isHidden() && banner->text() == u"BINGO!\nBob wins, with <b>4</b> wins"
                && banner->textFormat() == Qt::PlainText);
    EXPECT_EQ(f.speaker.said.mid(1), QStringList("Bob wins, with <b>4</b> wins"));
    QMetaObject::invokeMethod(f.Control<QTimer>(QStringLiteral("tmrBanner")), "timeout");
    EXPECT_TRUE(banner->isHidden());

    // A speaker that cannot talk: the option goes dark and says why, and nothing is said.
    f.speaker.unavailable = QStringLiteral("No speech engine.");
    options.Action(WindowOptions::Speak)->trigger();
    options.Action(WindowOptions::Speak)->trigger();
    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;1|5"));
    EXPECT_TRUE(!options.Action(WindowOptions::Speak)->isEnabled() && f.speaker.said.size() == 2
                && options.Action(WindowOptions::Speak)->toolTip() == f.speaker.unavailable);

    // The next run reads the choices back.
    frmMain again({f.boxes, f.link, f.random, f.folder.path(), {}, {}, {}, {}, &f.speaker, f.folder.filePath("settings.ini")});
    for (auto option : {WindowOptions::HighContrast, WindowOptions::AutoMark})
        EXPECT_TRUE(again.Options().IsOn(option)) << option;
    EXPECT_TRUE(again.Options().Action(WindowOptions::Speak)->isChecked());
}

TEST(HighContrast, PutsEveryNumberAtAContrastOfAtLeastFourAndAHalfToOne)
{
    // The relative luminance ratio of two colours, as accessibility guidelines measure it.
    const auto ratio = [](const QColor &a, const QColor &b) {
        const auto luminance = [](const QColor &c) {
            const auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
        };
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    const ctlCard::Colours card = ctlCard::ColoursOf(true);
    const NumberBoard::Look called = NumberBoard::LookOf(true, true), uncalled = NumberBoard::LookOf(false, true);
    const struct { const char *what; QColor text, background; } pairs[] = {
        {"a marked number on its disc", card.markedNumber, card.marker},
        {"an unmarked number on the card", card.number, card.background},
        {"a called number on the board", called.text, called.background},
        {"an uncalled number on the board", uncalled.text, uncalled.background}};
    for (const auto &pair : pairs)
        EXPECT_GE(ratio(pair.text, pair.background), 4.5) << pair.what;
    EXPECT_LT(ratio(ctlCard::ColoursOf(false).markedNumber, ctlCard::ColoursOf(false).marker), 1.5) << "what it mends";
}

TEST(CallerDisplay, OpensWithF2FollowsCatchUpCallsAndWinsAndGrowsWithItsWindow)
{
    WindowFixture f(QStringLiteral("x 7001 K1 Ann Hal"));
    ASSERT_FALSE(f.window->Startup());
    activate(f);
    f.link.Deliver(QStringLiteral("Hal"), QStringLiteral("Comm;5|Ann|10|7@3@9"));
    QTest::keyClick(f.window.get(), Qt::Key_F2);
    auto *display = f.Control(QStringLiteral("CallerDisplay"));
    ASSERT_TRUE(display && display->isVisible());
    const auto shown = [display] {
        QStringList texts;
        for (const char *name : {"lblWinner", "lblLast", "lblBefore", "lblCount"})
            texts << display->findChild<QLabel *>(QString::fromLatin1(name))->text();
        return texts.join(u'|');
    };
    EXPECT_EQ(shown(), "|9|3  7|3 numbers called");
    for (const char *record : {"Comm;1|50", "Comm;3|Ann|2"})
        f.link.Deliver(QStringLiteral("Hal"), QString::fromUtf8(record));
    EXPECT_EQ(shown(), "Ann wins, with 2 wins|50|9  3  7|4 numbers called");
    auto *last = display->findChild<QLabel *>(QStringLiteral("lblLast"));
    const int small = last->font().pixelSize();
    display->resize(display->width() * 2, display->height() * 2);
    EXPECT_GE(last->font().pixelSize(), small * 2 - 1);
}

TEST(Scaling, GrowsEveryPlaceAndFontInProportionCentredAndIsTheDesignAgainAtItsSize)
{
    WindowFixture f(QStringLiteral("x 7001 K1 Hal Hal"));
    ASSERT_FALSE(f.window->Startup());
    f.window->show();
    const QSize design = f.window->size();
    const QImage designed = f.window->grab().toImage();
    QWidget *cellOnBoard = f.Control(QStringLiteral("lblItm57")), *onCard = cell(f, 1, 24);
    const QRect places[] = {cellOnBoard->geometry(), onCard->geometry(), f.Control(QStringLiteral("Card1"))->geometry()};
    const double points = onCard->font().pointSizeF();
    // Twice as wide and three times as high: the factor is 2, and the design stands in the middle.
    f.window->resize(design.width() * 2, design.height() * 3);
    const QPoint middle(0, qRound(design.height() / 2.0));
    EXPECT_EQ(cellOnBoard->geometry(), QRect(places[0].topLeft() * 2 + middle, places[0].size() * 2));
    EXPECT_EQ(onCard->geometry(), QRect(places[1].topLeft() * 2, places[1].size() * 2));
    EXPECT_EQ(f.Control(QStringLiteral("Card1"))->geometry(), QRect(places[2].topLeft() * 2 + middle, places[2].size() * 2));
    EXPECT_DOUBLE_EQ(onCard->font().pointSizeF(), points * 2);
    f.window->resize(design);
    EXPECT_EQ(f.window->grab().toImage(), designed);
}

} // namespace
