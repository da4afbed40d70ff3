// What a delivery is, who may send it and whose game acts on it, and how chat
// lines travel and show.

#include "game/delivery.h"
#include "game/messagetext.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>
#include <map>

using namespace Qt::StringLiterals;

namespace {

TEST(ReadDelivery, TakesTheFirstRuleThatHolds)
{
    using K = DeliveryKind;
    // The kind read ("-": nothing), and the text or the record's name.
    const struct { const char *sender, *data; const char *kind; QString text; } cases[] = {
        {"[Enter]", "Ann", "entered", u"Ann"_s}, {"[Exit]", "Ann", "exited", u"Ann"_s},
        {"[Enter]", "Chat;x", "entered", u"Chat;x"_s},
        {"Ann", "Chat;hello", "line", u"hello"_s}, {"Ann", "Chat;", "line", u""_s},
        {"Ann", "Chat;/call 7", "command", u"/call 7"_s}, {"Ann", "Chat;\\waves", "emote", u"\\waves"_s},
        {"Ann", "Comm;1|7Chat;x", "line", u"1|7Chat;x"_s}, {"Ann", "xx;Chat;hi", "line", u"Chat;hi"_s},
        {"Ann", "Comm;4|Ann|1@2", "claim", u"Ann"_s}, {"Ann", "Comm;4|Ann", "-", {}}, {"Ann", "Comm;9|x", "-", {}},
        {"Ann", "hello", "-", {}}, {"Ann", "chat;hello", "-", {}}, {"[Hub]", "Ping", "-", {}}};
    const std::map<K, const char *> names = {{K::PlayerEntered, "entered"}, {K::PlayerExited, "exited"}, {K::ChatLine, "line"},
                                             {K::ChatCommand, "command"}, {K::Emote, "emote"}, {K::Claim, "claim"}};
    for (const auto &c : cases) {
        const std::optional<Delivery> read = ReadDelivery(QString::fromUtf8(c.sender), QString::fromUtf8(c.data));
        EXPECT_EQ(read ? names.at(read->kind) : "-", std::string(c.kind)) << c.data;
        EXPECT_EQ(read ? read->text + read->record.name : QString(), c.text) << c.data;
    }
}

TEST(ReadDelivery, ReadsEveryCommandRecordKindByItsNumber)
{
    const char *const records[] = {"1|7", "2|ResetMe|10", "3|Ann|1", "4|Ann|1@2@3@4@5", "5|Ann|10|7", "6|Ann|over|"};
    for (int number = 1; number <= 6; ++number) {
        const std::optional<Delivery> read = ReadDelivery(u"Hal"_s, u"Comm;"_s + QString::fromUtf8(records[number - 1]));
        ASSERT_TRUE(read) << number;
        EXPECT_EQ(RuleOf(read->kind).recordNumber, number);
    }
    EXPECT_FALSE(CommandKindOf(0) || CommandKindOf(7) || CommandKindOf(-1));
}

TEST(Counts, LetsOnlyTheHostSteerTheGameAndAPlayerClaimOnlyInTheirOwnName)
{
    // Hal hosts; whether each delivery counts in Ann's game and in Hal's, sent by Bob and by Hal.
    const struct { const char *data; bool bobInAnns, halInAnns, bobInHals; } cases[] = {
        {"Comm;1|8", false, true, false}, {"Comm;2|ResetMe|15", false, true, false}, {"Comm;3|Bob|1", false, true, false},
        {"Chat;/call 9", false, true, false}, {"Chat;hello", true, true, true}, {"Chat;\\waves", true, true, true},
        // Claims are judged by the host's game alone, and only in their sender's name.
        {"Comm;4|Bob|1@2@3@4@5", false, false, true}, {"Comm;4|Ann|1@2@3@4@5", false, false, false},
        // Catch-ups and refusals count only from the host, in the game they name.
        {"Comm;5|Ann|15|7@3", false, true, false}, {"Comm;5|Bob|15|7@3", false, false, false},
        {"Comm;6|Ann|taken|", false, true, false}, {"Comm;6|Hal|taken|", false, false, false}};
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

TEST(ChatLines, AreCutWithAMarkWhenSentAndWhenShown)
{
    const QString x400(400, u'x'), cut = QString(396, u'x') + u" [\u2026]"_s;
    const QString pairsAtTheCut = QString(395, u'x') + u"\U0001F600\U0001F600\U0001F600"_s;
    for (const auto &[line, shown] : {std::pair{x400, x400}, {x400 + u'y', cut}, {QString(60000, u'x'), cut},
                                      {cut, cut}, {pairsAtTheCut, QString(395, u'x') + u" [\u2026]"_s}}) {
        EXPECT_EQ(MessageText::ChatMessage(line), "Chat;" + shown);
        EXPECT_EQ(MessageText::ChatLogLine(u"Bob"_s, line), "Bob:           " + shown);
    }
}

TEST(ChatLines, ShowTheSenderInAFieldOfFifteenAndAnEmoteWithTheNameAlone)
{
    const struct { const char *sender, *line; const char *shown; } cases[] = {
        {"Ann", "hello", "Ann:           hello"}, {"Alexandra-Jones", "hi", "Alexandra-Joneshi"},
        {"Alexandra-Jones-Smith", "hi", "Alexandra-Joneshi"}, {"Ann", "\\waves", "*Ann waves"}, {"Ann", "\\", "*Ann "},
        {"Alexandra-Jones", "\\waves", "*Alexandra-Jones waves"}, {"A:nn", "\\waves", "*A waves"}};
    for (const auto &c : cases) {
        const QString sender = QString::fromUtf8(c.sender), line = QString::fromUtf8(c.line);
        const QString shown = line.startsWith(u'\\') ? MessageText::EmoteLogLine(sender, line) : MessageText::ChatLogLine(sender, line);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.sender;
    }
}

} // namespace
