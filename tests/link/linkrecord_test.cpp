#include "link/linkrecord.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

const QString Y = QString(LinkRecord::Separator);

TEST(LinkRecord, BuiltRecordsParseBackToTheirFields)
{
    const auto identify = LinkRecord::Parse(LinkRecord::Identify(QStringLiteral("K7"), 123456789012ull));
    ASSERT_TRUE(identify);
    EXPECT_EQ(identify->kind, u'I');
    EXPECT_EQ(identify->key, QStringLiteral("K7"));

    const QString announce = LinkRecord::Announce(QStringLiteral("K7"), QStringLiteral("Kalumo Bingo"), QStringLiteral("Ann"));
    EXPECT_EQ(announce, "G" + Y + "K7" + Y + "A" + Y + " Kalumo Bingo" + Y + "Ann Kalumo Bingo");
    const auto parsedAnnounce = LinkRecord::Parse(announce);
    ASSERT_TRUE(parsedAnnounce);
    EXPECT_EQ(parsedAnnounce->kind, u'A');
    EXPECT_EQ(parsedAnnounce->name, QStringLiteral("Ann"));

    // A message keeps every separator it holds.
    const QString text = "Chat;a" + Y + "b" + Y;
    const auto message = LinkRecord::Parse(LinkRecord::Message(QStringLiteral("K7"), text));
    ASSERT_TRUE(message);
    EXPECT_EQ(message->kind, u'C');
    EXPECT_EQ(message->messageText, text);
}

struct Case
{
    const char *what;
    QString record;
};

class RecordOfNoKnownForm : public ::testing::TestWithParam<Case> {};

TEST_P(RecordOfNoKnownForm, DoesNotParse)
{
    EXPECT_EQ(LinkRecord::Parse(GetParam().record), std::nullopt) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Records, RecordOfNoKnownForm, ::testing::Values(
    Case{"empty", QString()},
    Case{"no separator", QStringLiteral("G")},
    Case{"another lead", "g" + Y + "K" + Y + "C" + Y + "x"},
    Case{"no kind", "G" + Y + "K"},
    Case{"unknown kind", "G" + Y + "K" + Y + "X" + Y + "x"},
    Case{"kind of two letters", "G" + Y + "K" + Y + "CC" + Y + "x"},
    Case{"message without its field", "G" + Y + "K" + Y + "C"},
    Case{"announce with one field", "G" + Y + "K" + Y + "A" + Y + "Ann"},
    Case{"name without the caption", "G" + Y + "K" + Y + "A" + Y + " Kalumo Bingo" + Y + "Ann"}));

} // namespace
