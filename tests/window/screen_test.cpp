// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window opens on its screen, and the chat log keeping its newest
// line in view as it is resized.

#include "support/windowfixture.h"
#include "window/chatlog.h"
#include "window/windowplacement.h"

#include <QApplication>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(WindowPlacement, OpensWhollyInsideTheFreeAreaCascadingFromARememberedPlaceThatStillFitsOrTheCorner)
{
    const QRect screen(0, 0, 1280, 1000), belowPanel(0, 30, 800, 570);
    const QSize window(600, 500);
    // clang-format off
    const struct { QRect area; QSize size; int slot; std::optional<QPoint> remembered; QRect placed; } cases[] = {
        {screen, window, 0, {}, {{0, 0}, window}},
        {screen, window, 3, {}, {{96, 96}, window}},
        {screen, window, 16, {}, {{0, 0}, window}},                 // 16 steps fit across and down: the 17th starts again
        {belowPanel, window, 3, {}, {{0, 30}, window}},             // three fit below the panel
        {screen, window, 1, QPoint(100, 100), {{132, 132}, window}},
        {screen, window, 13, QPoint(100, 100), {{0, 0}, window}},   // past the remembered place's room: from the corner
        {screen, window, 0, QPoint(0, 570), {{0, 0}, window}},      // its foot would be cut off
        {screen, window, 0, QPoint(1500, 20), {{0, 0}, window}},    // a screen that is gone
        {{0, 0, 500, 400}, window, 2, {}, {0, 0, 500, 400}},        // too large: the whole area
    };
    // clang-format on
    for (const auto &c : cases) EXPECT_EQ(WindowPlacement::Place(c.area, c.size, c.slot, c.remembered), c.placed) << &c - cases;
}

TEST(WindowPlacement, AWindowOnASmallScreenOpensOnItAndAgainWhereItClosedWhileThatFits)
{
    const QRect small(0, 0, 640, 520);
    for (const QPoint closedAt : {QPoint(40, 20), QPoint(300, 300)}) {
        WindowFixture f(u"x 7001 K1 Ann Hal"_s);
        f.window->PlaceOn(small, 5);
        EXPECT_TRUE(small.contains(QRect(f.window->pos(), f.window->size() + QSize(16, 40))));
        ASSERT_FALSE(f.window->Startup());
        f.Show();
        f.window->move(closedAt);
        f.window->close();
        frmMain again({f.boxes, f.link, f.random, f.folder.path(), {}, {}, {}, {}, &f.speaker, f.folder.filePath(u"settings.ini"_s)});
        again.PlaceOn(small, 0);
        EXPECT_EQ(again.pos(), closedAt == QPoint(40, 20) ? closedAt : QPoint(0, 0));
    }
}

TEST(ChatLog, KeepsItsNewestLineInViewWhenResizedUnlessThePlayerScrolledUp)
{
    for (const bool scrolledUp : {false, true}) {
        ChatLog log;
        log.resize(400, 200);
        log.show();
        for (int i = 0; i < 60; ++i) log.AddText(LogKind::Chat, u"Ann:           a line long enough to wrap when the log is narrower %1"_s.arg(i));
        QScrollBar *bar = log.verticalScrollBar();
        if (scrolledUp) bar->setValue(bar->maximum() / 2);
        const int before = bar->value();
        log.resize(200, 200);
        QApplication::processEvents();
        EXPECT_EQ(bar->value(), scrolledUp ? before : bar->maximum()) << scrolledUp;
    }
}

} // namespace
