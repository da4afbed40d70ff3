// SPDX-License-Identifier: GPL-3.0-or-later
// What the window offers around the board: the keyboard's way through it,
// accessible names, the options and what they remember, the win banner, the
// caller's display, the player list's marks, contrast and scaling.

#include "support/windowfixture.h"
#include "window/browserlinkview.h"
#include "window/ctlcard.h"
#include "window/numberboard.h"
#include "window/windowoptions.h"
#include "window/windowplacement.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString accessibleName(QWidget *widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); }

QLabel *cell(const WindowFixture &f, int card, int index) { return f.Control<ctlCard>(u"Card%1"_s.arg(card))->findChild<QLabel *>(u"lblMyNum%1"_s.arg(index)); }

// Ann's window in Hal's game, started, shown and active, a round begun.
class AnnsWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(f.window->Startup());
        f.Show();
        f.link.Deliver(u"Hal"_s, u"Comm;2|ResetMe|10"_s);
    }
    WindowFixture f{u"x 7001 K1 Ann Hal"_s};
};

TEST(Keyboard, TabGoesThroughTheWindowInOrderAndPassesAPlayersDarkNewGameBy)
{
    for (const char *me : {"Hal", "Ann"}) {
        WindowFixture f(u"x 7001 K1 %1 Hal"_s.arg(me));
        ASSERT_FALSE(f.window->Startup());
        f.Show();
        QStringList order;
        for (int step = 0; step < 6; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(order.join(u' ').toStdString(),
                  qstrcmp(me, "Hal") == 0 ? "cmdNewGame Card0 Card1 txtSec lstUsers rtbChatIn" : "Card0 Card1 txtSec lstUsers rtbChatIn txtChatOut");
    }
}

TEST_F(AnnsWindow, ArrowKeysMoveARingOnTheCardAndSpaceMarksTheCellInIt)
{
    auto *card = f.Control<ctlCard>(u"Card1"_s);
    const auto ringShows = [card] { return card->grab().toImage().pixelColor(10, 44) == QColor(Qt::black); }; // cell 0's left edge
    EXPECT_FALSE(ringShows());
    card->setFocus();
    EXPECT_TRUE(ringShows());
    // From the top left corner: off the edge stays, then to row 2, column 3.
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Space}) QTest::keyClick(card, key);
    const QString n = cell(f, 1, 7)->text();
    EXPECT_EQ(accessibleName(cell(f, 1, 7)), "Card 2, row 2, column 3: " + n + ", marked");
    EXPECT_EQ(accessibleName(card), accessibleName(cell(f, 1, 7))) << "the card reads as the cell in its ring";
    QTest::keyClick(card, Qt::Key_Space);
    EXPECT_EQ(accessibleName(cell(f, 1, 7)), "Card 2, row 2, column 3: " + n);
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Space}) QTest::keyClick(card, key);
    EXPECT_EQ(card->Model().Marks(), CardCells::Cell(24)) << "off the bottom right edge stays";
}

TEST_F(AnnsWindow, CtrlBClaimsOnlyWhileBingoIsLit)
{
    auto *card = f.Control<ctlCard>(u"Card1"_s);
    for (int i = 5; i < 10; ++i) QTest::mouseClick(cell(f, 1, i), Qt::LeftButton);
    auto *bingo = f.Control<QPushButton>(u"cmdBingo"_s);
    EXPECT_EQ(accessibleName(bingo), "BINGO!, not available");
    QTest::keyClick(card, Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(f.link.sent, QStringList()) << "a dark BINGO! takes no shortcut";
    card->CheckLines();
    EXPECT_EQ(accessibleName(bingo), "BINGO!, available");
    QTest::keyClick(f.Control(u"txtChatOut"_s), Qt::Key_B, Qt::ControlModifier);
    const QList<int> row = card->Model().NumbersIn(CardCells::Row(1));
    EXPECT_EQ(f.link.sent, QStringList(u"Comm;4|Ann|%1@%2@%3@%4@%5|1"_s.arg(row[0]).arg(row[1]).arg(row[2]).arg(row[3]).arg(row[4])));
}

TEST_F(AnnsWindow, ListsThePlayersMarkingTheHostAndThisPlayerAndIsolatesARightToLeftNameThereAndInTheBanner)
{
    for (const char *name : {"Hal", "Ann", "Bob", "سارة"}) f.link.Deliver(u"[Enter]"_s, QString::fromUtf8(name));
    emit f.link.PresenceChanged(u"سارة"_s, true);
    QStringList players;
    const auto *list = f.Control<QListWidget>(u"lstUsers"_s);
    for (int row = 0; row < list->count(); ++row)
        players << list->item(row)->text() + u'/' + list->item(row)->data(Qt::AccessibleTextRole).toString() + (list->item(row)->font().bold() ? "/bold" : "");
    EXPECT_EQ(players, QStringList({"Hal (host)/Hal, host", "Ann/Ann, you/bold", "Bob/Bob", "\u2068سارة\u2069 (away)/سارة, away"}));
    f.link.Deliver(u"Hal"_s, u"Comm;3|سارة|2"_s);
    EXPECT_EQ(f.Control<QLabel>(u"lblWinBanner"_s)->text(), u"BINGO!\n\u2068سارة\u2069 wins, with 2 wins"_s);
}

TEST_F(AnnsWindow, OptionsAreCheckableStartAsDesignedAndAreRememberedForTheNextRunAsIsWhereTheWindowClosed)
{
    WindowOptions &options = f.window->Options();
    const auto switches = {WindowOptions::Speak, WindowOptions::HighContrast, WindowOptions::AutoMark,
                           WindowOptions::AnnounceCalls, WindowOptions::AnnounceWins, WindowOptions::AnnounceChat};
    for (auto option : switches) {
        EXPECT_TRUE(options.Action(option)->isCheckable()) << option;
        EXPECT_EQ(options.IsOn(option), option >= WindowOptions::AnnounceCalls) << "the screen reader's are on at first";
        options.Action(option)->trigger();
    }
    f.window->move(40, 20);
    f.window->close();
    frmMain again({f.boxes, f.link, f.random, f.folder.path(), {}, {}, {}, {}, &f.speaker, f.folder.filePath("settings.ini")});
    for (auto option : switches)
        EXPECT_NE(again.Options().Action(option)->isChecked(), option >= WindowOptions::AnnounceCalls) << option;
    again.PlaceOn({0, 0, 640, 520}, 0);
    EXPECT_EQ(again.pos(), QPoint(40, 20));
    again.PlaceOn({0, 0, 640, 520}, 5); // a small screen: the frame is guessed before the window shows
    EXPECT_TRUE(QRect(0, 0, 640, 520).contains(QRect(again.pos(), again.size() + QSize(16, 40))));
}

TEST(CopyInvitation, IsOfferedFirstInTheMenuOfAWindowGivenTheInvitationAndPutsItOnTheClipboard)
{
    for (const QString &given : {u"kalumo://hub:47474/0123456789abcdef0123456789abcdef?host=Hal&fp=00"_s, QString()}) {
        WindowFixture f(u"x 7001 K1 Hal Hal"_s, {}, {}, {}, given);
        QAction *copy = f.window->findChild<QAction *>(u"mnuCopyInvitation"_s);
        ASSERT_EQ(copy != nullptr, !given.isEmpty());
        EXPECT_TRUE(!copy || f.window->Options().Menu()->actions().value(0) == copy);
        QGuiApplication::clipboard()->clear();
        if (copy) copy->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), given);
    }
}

TEST_F(AnnsWindow, AutoMarkingMarksACalledNumberOnTheCardsAndTheBoardSaysItWasCalled)
{
    f.window->Options().Action(WindowOptions::AutoMark)->trigger();
    const QString n = cell(f, 0, 12)->text(), other = QString::number(n.toInt() % 100 + 1);
    f.link.Deliver(u"Hal"_s, "Comm;1|" + n);
    EXPECT_EQ(accessibleName(cell(f, 0, 12)), "Card 1, row 3, column 3: " + n + ", called, marked");
    EXPECT_EQ(accessibleName(f.Control(u"lblItm"_s + n)), n + ", called");
    EXPECT_EQ(f.Control(u"lblItm"_s + n)->parentWidget()->accessibleName(), "Called numbers board");
    EXPECT_EQ(accessibleName(f.Control(u"lblItm"_s + other)), other);
}

TEST_F(AnnsWindow, AWinShowsAsPlainTextInABannerForAWhileAndIsSpoken)
{
    f.window->Options().Action(WindowOptions::Speak)->trigger();
    f.link.Deliver(u"Hal"_s, u"Comm;3|Bob|<b>4</b>"_s);
    auto *banner = f.Control<QLabel>(u"lblWinBanner"_s);
    EXPECT_TRUE(!banner->isHidden() && banner->text() == u"BINGO!\nBob wins, with <b>4</b> wins" && banner->textFormat() == Qt::PlainText);
    EXPECT_EQ(f.speaker.said, QStringList("Bob wins, with <b>4</b> wins"));
    QMetaObject::invokeMethod(f.Control<QTimer>(u"tmrBanner"_s), "timeout");
    EXPECT_TRUE(banner->isHidden());
}

TEST_F(AnnsWindow, ASpeakerThatCannotTalkDarkensSpeakingAndSaysWhyOnceInTheLogWhenItFailsMidGame)
{
    QAction *speak = f.window->Options().Action(WindowOptions::Speak);
    for (const bool failsMidGame : {false, true}) {
        f.speaker.unavailable = failsMidGame ? QString() : u"No sound device."_s;
        speak->setEnabled(true);
        speak->setChecked(false);
        speak->trigger();
        f.speaker.unavailable = u"No sound device."_s;
        for (const int n : {5, 6}) f.link.Deliver(u"Hal"_s, u"Comm;1|%1"_s.arg(failsMidGame ? n + 10 : n));
        EXPECT_TRUE(!speak->isEnabled() && f.speaker.said.isEmpty() && speak->toolTip() == f.speaker.unavailable);
        EXPECT_EQ(ChatLines(*f.window).filter(u"no longer spoken. No sound device."_s).size(), failsMidGame ? 1 : 0);
    }
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
    // clang-format off
    const struct { const char *what; QColor text, background; } pairs[] = {
        {"a marked number on its disc", card.markedNumber, card.marker},
        {"an unmarked number on the card", card.number, card.background},
        {"a called number on the board", called.text, called.background},
        {"an uncalled number on the board", uncalled.text, uncalled.background}};
    // clang-format on
    for (const auto &pair : pairs) EXPECT_GE(ratio(pair.text, pair.background), 4.5) << pair.what;
    EXPECT_LT(ratio(ctlCard::ColoursOf(false).markedNumber, ctlCard::ColoursOf(false).marker), 1.5) << "what it mends";
}

TEST(CallerDisplay, OpensWithF2FollowsCatchUpCallsAndWinsAndGrowsWithItsWindow)
{
    WindowFixture f(u"x 7001 K1 Ann Hal"_s);
    ASSERT_FALSE(f.window->Startup());
    f.Show();
    f.link.Deliver(u"Hal"_s, u"Comm;5|Ann|10|7@3@9"_s);
    QAction *entry = f.window->Options().Action(WindowOptions::ShowDisplay);
    EXPECT_EQ(f.window->accessibleDescription(), "Ann") << "whose window it is";
    QTest::keyClick(f.window.get(), Qt::Key_F2);
    auto *display = f.Control(QStringLiteral("CallerDisplay"));
    ASSERT_TRUE(display && display->isVisible());
    EXPECT_TRUE(entry->isChecked()) << "while the display is open";
    EXPECT_EQ(display->windowTitle(), "Kalumo Bingo: caller's display, Ann");
    // clang-format off
    const auto shown = [display] {
        QStringList texts;
        for (const char *name : {"lblWinner", "lblLast", "lblBefore", "lblCount"})
            texts << display->findChild<QLabel *>(QString::fromLatin1(name))->text();
        return texts.join(u'|');
    };
    // clang-format on
    EXPECT_EQ(shown(), "|9|3  7|3 numbers called");
    for (const char *record : {"Comm;1|50", "Comm;3|Ann|2"}) f.link.Deliver(QStringLiteral("Hal"), QString::fromUtf8(record));
    EXPECT_EQ(shown(), "Ann wins, with 2 wins|50|9  3  7|4 numbers called");
    auto *last = display->findChild<QLabel *>(QStringLiteral("lblLast"));
    const int small = last->font().pixelSize();
    display->resize(display->width() * 2, display->height() * 2);
    EXPECT_GE(last->font().pixelSize(), small * 2 - 1);
    display->close();
    EXPECT_FALSE(entry->isChecked());
}

TEST(WindowPlacement, OpensWhollyInsideTheFreeAreaCascadingFromARememberedPlaceThatStillFitsOrTheCorner)
{
    const QRect screen(0, 0, 1280, 1000), belowPanel(0, 30, 800, 570);
    const QSize window(600, 500);
    // clang-format off
    const struct { QRect area; QSize size; int slot; std::optional<QPoint> remembered; QRect placed; } cases[] = {
        {screen, window, 0, {}, {{0, 0}, window}}, {screen, window, 3, {}, {{96, 96}, window}},
        {screen, window, 16, {}, {{0, 0}, window}},                 // 16 steps fit across and down: the 17th starts again
        {belowPanel, window, 3, {}, {{0, 30}, window}},             // three fit below the panel
        {screen, window, 1, QPoint(100, 100), {{132, 132}, window}}, {screen, window, 13, QPoint(100, 100), {{0, 0}, window}}, // 13: from the corner
        {screen, window, 0, QPoint(0, 570), {{0, 0}, window}},      // its foot would be cut off, as on a screen that is gone
        {{0, 0, 500, 400}, window, 2, {}, {0, 0, 500, 400}},        // too large: the whole area
    };
    // clang-format on
    for (const auto &c : cases) EXPECT_EQ(WindowPlacement::Place(c.area, c.size, c.slot, c.remembered), c.placed) << &c - cases;
}

TEST(Scaling, GrowsEveryPlaceAndFontInProportionCentredAndIsTheDesignAgainAtItsSize)
{
    WindowFixture f(QStringLiteral("x 7001 K1 Hal Hal"));
    ASSERT_FALSE(f.window->Startup());
    f.window->show();
    const QSize design = f.window->size();
    const QImage designed = f.window->grab().toImage();
    QWidget *cellOnBoard = f.Control(QStringLiteral("lblItm57")), *onCard = cell(f, 1, 24);
    // The board's cells are placed in their group, where the window has them.
    const auto onWindow = [&] { return QRect(cellOnBoard->mapTo(f.window.get(), QPoint()), cellOnBoard->size()); };
    const QRect places[] = {onWindow(), onCard->geometry(), f.Control(QStringLiteral("Card1"))->geometry()};
    const double points = onCard->font().pointSizeF();
    // Twice as wide and three times as high: the factor is 2, and the design stands in the middle.
    f.window->resize(design.width() * 2, design.height() * 3);
    const QPoint middle(0, qRound(design.height() / 2.0));
    EXPECT_EQ(onWindow(), QRect(places[0].topLeft() * 2 + middle, places[0].size() * 2));
    EXPECT_EQ(onCard->geometry(), QRect(places[1].topLeft() * 2, places[1].size() * 2));
    EXPECT_EQ(f.Control(QStringLiteral("Card1"))->geometry(), QRect(places[2].topLeft() * 2 + middle, places[2].size() * 2));
    EXPECT_DOUBLE_EQ(onCard->font().pointSizeF(), points * 2);
    f.window->resize(design);
    EXPECT_EQ(f.window->grab().toImage(), designed);
}

TEST(BrowserLink, OnlyAWindowGivenOneOffersItAsACodeWithTheLinkAndWhatItLeavesOpen)
{
    const QString link = u"http://192.168.1.2:47474/#key=0123456789abcdef0123456789abcdef&host=Ann"_s;
    for (const QString &given : {QString(), link}) {
        WindowFixture f(u"x 77 K7 Ann Ann"_s, {}, {}, {}, {}, given);
        ASSERT_EQ(f.window->Startup(), std::nullopt);
        auto *invite = f.window->findChild<QAction *>(u"mnuInvite"_s);
        ASSERT_EQ(invite != nullptr, !given.isEmpty());
        if (!invite) continue;
        invite->trigger();
        auto *dialog = f.Control<QDialog>(u"dlgInvite"_s);
        ASSERT_TRUE(dialog && dialog->isVisible());
        QStringList texts;
        for (const QLabel *label : dialog->findChildren<QLabel *>()) texts << label->text();
        EXPECT_TRUE(texts.contains(link));
        EXPECT_TRUE(texts.join(u' ').contains(u"Not encrypted"_s));
        f.window->ShowCallerDisplay();
        EXPECT_TRUE(f.Control(u"CallerDisplay"_s)->findChild<QWidget *>(u"browserLink"_s));
    }
    // Square, a light quiet zone around a finder pattern's dark corner; nothing for a text no code holds.
    const QImage code = BrowserLinkView::Code(link);
    ASSERT_FALSE(code.isNull());
    EXPECT_EQ(code.width(), code.height());
    EXPECT_EQ(code.pixelColor(0, 0), Qt::white);
    EXPECT_EQ(code.pixelColor(4, 4), Qt::black);
    EXPECT_TRUE(BrowserLinkView::Code(QString(8000, u'a')).isNull());
}

} // namespace
