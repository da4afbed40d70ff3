// SPDX-License-Identifier: GPL-3.0-or-later
// Paper cards: the card printed under a number is the one the host's window
// checks under that number, and a confirmed line wins as any claim does.

#include "game/bingogame.h"
#include "game/members.h"
#include "support/fakegamelink.h"
#include "support/randomgenerator.h"
#include "support/recordingmessageboxes.h"
#include "window/hostcards.h"
#include "window/papercards.h"

#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(PaperCards, ThePrintedCardIsTheOneTheHostChecksAndAConfirmedLineOfItWins)
{
    QTemporaryDir dir;
    FakeGameLink link;
    MemberTable table;
    RandomGenerator random{1};
    BingoGame game{link, table, random};
    game.SetNames(u"Hal"_s, u"Hal"_s);
    QWidget window;
    QMenu menu;
    QSettings settings(dir.filePath(u"options.ini"_s), QSettings::IniFormat);
    RecordingMessageBoxes boxes;
    HostCards cards(game, boxes, settings, menu, window);

    // Printed before New Game: for the round it starts.
    const QString seed = game.PaperSeed(), pdf = dir.filePath(u"cards.pdf"_s);
    ASSERT_EQ(PaperCards::Write(pdf, seed, 5, 4), QString());
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-" && file.size() > 1000);
    game.StartNewGame(u"10"_s);
    for (const QString &sent : std::exchange(link.sent, {})) link.Deliver(u"Hal"_s, sent);
    const CardModel::Numbers printed = PaperCards::CardOf(seed, 3);
    for (int cell : {2, 7, 12, 17}) link.Deliver(u"Hal"_s, u"Comm;1|%1"_s.arg(printed[cell]));
    cards.CheckPaperCard(3); // a column short of its last number
    link.Deliver(u"Hal"_s, u"Comm;1|%1"_s.arg(printed[22]));
    boxes.answers = {false, true};
    for (int number : {3, 3, 4}) cards.CheckPaperCard(number); // declined, confirmed, another card
    EXPECT_TRUE(boxes.shown.size() == 4 && boxes.shown.value(0).text.contains(u"no line"_s)
                && boxes.shown.value(3).text.startsWith(u"Paper card 4 holds no"_s));
    EXPECT_TRUE(boxes.shown.value(1).text.contains(u"%1, %2"_s.arg(printed[2]).arg(printed[7])));
    EXPECT_EQ(link.sent, QStringList{u"Comm;3|Paper card 3|1|1"_s}) << "announced once, when the host confirms";
}

} // namespace
