#include "link/linkrecord.h"

#include <gtest/gtest.h>

namespace {

const QString Y = QStringLiteral("\u00FF");

TEST(LinkRecord, BuildsTheThreeKindsFieldByField)
{
    EXPECT_EQ(LinkRecord::Identify(QStringLiteral("K7"), 4242), "G" + Y + "K7" + Y + "I" + Y + "4242");
    EXPECT_EQ(LinkRecord::Announce(QStringLiteral("K7"), QStringLiteral("Kalumo Bingo"), QStringLiteral("Ann")),
              "G" + Y + "K7" + Y + "A" + Y + " Kalumo Bingo" + Y + "Ann Kalumo Bingo");
    EXPECT_EQ(LinkRecord::Message(QStringLiteral("K7"), QStringLiteral("Chat;hi")), "G" + Y + "K7" + Y + "C" + Y + "Chat;hi");
}

TEST(LinkRecord, ReadsBackWhatItBuilds)
{
    auto announce = LinkRecord::Parse(LinkRecord::Announce(QStringLiteral("K7"), QStringLiteral("Kalumo Bingo"), QStringLiteral("Ann")));
    ASSERT_TRUE(announce);
    EXPECT_EQ(announce->kind, u'A');
    EXPECT_EQ(announce->key, u"K7");
    EXPECT_EQ(announce->name, u"Ann");

    auto empty = LinkRecord::Parse(LinkRecord::Announce(QStringLiteral("K7"), QStringLiteral("Kalumo Bingo"), QString()));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->name, QString());

    auto identify = LinkRecord::Parse(LinkRecord::Identify(QStringLiteral("K7"), 1));
    ASSERT_TRUE(identify);
    EXPECT_EQ(identify->kind, u'I');
}

TEST(LinkRecord, AMessageTextIsEverythingAfterTheThirdSeparator)
{
    auto parsed = LinkRecord::Parse("G" + Y + "K" + Y + "C" + Y + "Chat;a" + Y + "b" + Y);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->messageText, "Chat;a" + Y + "b" + Y);
    auto empty = LinkRecord::Parse("G" + Y + "K" + Y + "C" + Y);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->messageText, QString());
}

TEST(LinkRecord, RefusesRecordsOfNoKnownForm)
{
    for (const QString &record : {QString(), QStringLiteral("G"), "G" + Y, "G" + Y + "K", "X" + Y + "K" + Y + "C" + Y + "x",
                                  "g" + Y + "K" + Y + "C" + Y + "x", "G" + Y + "K" + Y + "Z" + Y + "x",
                                  "G" + Y + "K" + Y + "C", "G" + Y + "K" + Y + "A" + Y + " Kalumo Bingo",
                                  "G" + Y + "K" + Y + "A" + Y + " Kalumo Bingo" + Y + "Ann Other Game",
                                  "G" + Y + "K" + Y + "CC" + Y + "x"})
        EXPECT_FALSE(LinkRecord::Parse(record)) << record.toStdString();
}

} // namespace
