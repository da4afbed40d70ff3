// SPDX-License-Identifier: GPL-3.0-or-later
// What a delivery is, who may send it and whose game acts on it, and how chat
// lines travel and show.

#include "game/delivery.h"
#include "game/messagetext.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(ReadDelivery, TakesTheFirstRuleThatHolds)
{
    using K = DeliveryKind;
    // The kind read, if any, and its text or its record's name.
    // clang-format off
    const struct { const char *sender, *data; std::optional<K> kind; QString text; } cases[] = {
        {"[Enter]", "Ann", K::PlayerEntered, u"Ann"_s}, {"[Exit]", "Ann", K::PlayerExited, u"Ann"_s},
        {"[Enter]", "Chat;x", K::PlayerEntered, u"Chat;x"_s}, {"Ann", "Chat;hello", K::ChatLine, u"hello"_s},
        {"Ann", "Chat;", K::ChatLine, u""_s}, {"Ann", "Chat;/call 7", K::ChatCommand, u"/call 7"_s},
        {"Ann", "Chat;\\waves", K::Emote, u"\\waves"_s}, {"Ann", "Comm;1|7Chat;x", K::ChatLine, u"1|7Chat;x"_s},
        {"Ann", "xx;Chat;hi", K::ChatLine, u"Chat;hi"_s}, {"Ann", "Comm;4|Ann|1@2", K::Claim, u"Ann"_s},
        {"Ann", "Comm;4|Ann", {}, {}}, {"Ann", "Comm;10|x", {}, {}}, {"Ann", "hello", {}, {}}, {"Ann", "chat;hello", {}, {}},
        {"[Hub]", "Ping", {}, {}}};
    // clang-format on
    for (const auto &c : cases) {
        const std::optional<Delivery> read = ReadDelivery(QString::fromUtf8(c.sender), QString::fromUtf8(c.data));
        EXPECT_EQ(read ? std::optional(read->kind) : std::nullopt, c.kind) << c.data;
        EXPECT_EQ(read ? read->text + read->record.name : QString(), c.text) << c.data;
    }
}

TEST(Counts, LetsOnlyTheHostSteerTheGameAndAPlayerClaimOnlyInTheirOwnName)
{
    // Hal hosts; whether each delivery counts in Ann's game and in Hal's, sent by Bob and by Hal.
    // clang-format off
    const struct { const char *data; bool bobInAnns, halInAnns, bobInHals; } cases[] = {
        {"Comm;1|8", false, true, false}, {"Comm;2|ResetMe|15", false, true, false}, {"Comm;3|Bob|1", false, true, false},
        {"Chat;/call 9", false, true, false}, {"Chat;hello", true, true, true}, {"Chat;\\waves", true, true, true},
        // Claims are judged by the host's game alone, and only in their sender's name.
        {"Comm;4|Bob|1@2@3@4@5", false, false, true}, {"Comm;4|Ann|1@2@3@4@5", false, false, false},
        // Catch-ups and refusals count only from the host, in the game they name.
        {"Comm;5|Ann|15|7@3", false, true, false}, {"Comm;5|Bob|15|7@3", false, false, false},
        {"Comm;6|Ann|taken|", false, true, false}, {"Comm;6|Hal|taken|", false, false, false}};
    // clang-format on
    for (const auto &c : cases) {
        const QString data = QString::fromUtf8(c.data);
        const auto counts = [&](const char *sender, const char *me) {
            const std::optional<Delivery> read = ReadDelivery(QString::fromUtf8(sender), data);
            return read && Counts(*read, QString::fromUtf8(me), u"Hal"_s);
        };
        EXPECT_EQ(counts("Bob", "Ann"), c.bobInAnns) << c.data;
        EXPECT_EQ(counts("Hal", "Ann"), c.halInAnns) << c.data;
        EXPECT_EQ(counts("Bob", "Hal"), c.bobInHals) << c.data;
    }
    const std::optional<Delivery> entered = ReadDelivery(u"[Enter]"_s, u"Bob"_s);
    EXPECT_TRUE(entered && Counts(*entered, u"Ann"_s, u"Hal"_s));
}

TEST(ChatLines, AreCutWithAMarkWhenSentAndShownAfterASenderFieldOfFifteen)
{
    const QString x400(400, u'x'), cut = QString(396, u'x') + u" [\u2026]"_s;
    const QString pairsAtTheCut = QString(395, u'x') + u"\U0001F600\U0001F600\U0001F600"_s;
    for (const auto &[line, shown] :
         {std::pair{x400, x400}, {x400 + u'y', cut}, {QString(60000, u'x'), cut}, {cut, cut}, {pairsAtTheCut, QString(395, u'x') + u" [\u2026]"_s}}) {
        EXPECT_EQ(MessageText::ChatMessage(line), "Chat;" + shown);
        EXPECT_EQ(MessageText::ChatLogLine(u"Bob"_s, line), "Bob:           " + shown);
    }
    // clang-format off
    const struct { const char *sender, *line, *shown; } cases[] = {
        {"Alexandra-Jones", "hi", "Alexandra-Joneshi"}, {"Alexandra-Jones-Smith", "hi", "Alexandra-Joneshi"},
        {"Ann", "\\waves", "*Ann waves"}, {"Ann", "\\", "*Ann "}, {"Alexandra-Jones", "\\waves", "*Alexandra-Jones waves"},
        {"A:nn", "\\waves", "*A waves"}};
    // clang-format on
    for (const auto &c : cases) {
        const QString sender = QString::fromUtf8(c.sender), line = QString::fromUtf8(c.line);
        const QString shown = line.startsWith(u'\\') ? MessageText::EmoteLogLine(sender, line) : MessageText::ChatLogLine(sender, line);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.sender;
    }
}

} // namespace
