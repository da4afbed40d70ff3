#include "link/linkrecord.h"

#include <QStringList>
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

TEST(LinkRecord, ReadsBackWhatItBuildsAndAMessageTextIsEverythingAfterTheThirdSeparator)
{
    for (const char *name : {"Ann", ""}) {
        const auto announce = LinkRecord::Parse(LinkRecord::Announce(QStringLiteral("K7"), QStringLiteral("Kalumo Bingo"), QString::fromUtf8(name)));
        ASSERT_TRUE(announce);
        EXPECT_EQ(QStringList({QString(announce->kind), announce->key, announce->name}), QStringList({"A", "K7", name}));
    }
    EXPECT_EQ(LinkRecord::Parse(LinkRecord::Identify(QStringLiteral("K7"), 1)).value().kind, u'I');
    for (const QString &text : {"Chat;a" + Y + "b" + Y, QString()}) {
        const auto message = LinkRecord::Parse("G" + Y + "K" + Y + "C" + Y + text);
        ASSERT_TRUE(message);
        EXPECT_EQ(message->messageText, text);
    }
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
