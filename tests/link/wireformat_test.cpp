// The game link's frames and records: what the fuzz targets' round trips
// cannot tell, the byte order, the limits and the forms refused.

#include "link/framecodec.h"
#include "link/linkrecord.h"

#include <gtest/gtest.h>

namespace {

QByteArray header(quint32 length)
{
    return QByteArray(1, char(length >> 24)) + char(length >> 16) + char(length >> 8) + char(length);
}

TEST(Frame, IsTheLengthBigEndianThenTheUtf8BytesUpToTheLimitAndAReaderFailsForGoodOnABrokenStream)
{
    const QString text = QStringLiteral("G\u00FFK7\u00FFC\u00FFChat;hé"), longest(65536, u'a');
    EXPECT_EQ(Frame::Encode(text), header(quint32(text.toUtf8().size())) + text.toUtf8());
    EXPECT_TRUE(Frame::Encode(longest + u'a').isEmpty());
    Frame::Reader whole;
    whole.Feed(Frame::Encode(longest));
    EXPECT_EQ(whole.Next(), longest);
    for (const QByteArray &bytes : {header(65537), header(0xFFFFFFFFu), header(3) + QByteArray("\xED\xA0\x80", 3)}) {
        Frame::Reader reader;
        reader.Feed(bytes);
        EXPECT_TRUE(!reader.Next() && reader.Failed()) << bytes.toHex().toStdString();
        reader.Feed(Frame::Encode(QStringLiteral("fine")));
        EXPECT_EQ(reader.Next(), std::nullopt) << bytes.toHex().toStdString();
    }
}

TEST(LinkRecord, ReadsTheFormsItBuildsEvenWithEmptyFieldsAndRefusesAnyOther)
{
    const QString Y = QStringLiteral("\u00FF"), caption = QStringLiteral("Kalumo Bingo");
    const auto announce = LinkRecord::Parse(LinkRecord::Announce(QStringLiteral("K7"), caption, QString()));
    EXPECT_TRUE(announce && announce->kind == u'A' && announce->key == u"K7" && announce->name.isEmpty());
    EXPECT_EQ(LinkRecord::Parse("G" + Y + "K" + Y + "C" + Y).value().messageText, QString());
    for (const QString &record : {QString(), "G" + Y + "K", "X" + Y + "K" + Y + "C" + Y + "x", "G" + Y + "K" + Y + "C",
                                  "G" + Y + "K" + Y + "A" + Y + " " + caption, "G" + Y + "K" + Y + "CC" + Y + "x",
                                  "G" + Y + "K" + Y + "A" + Y + " " + caption + Y + "Ann Other Game"})
        EXPECT_FALSE(LinkRecord::Parse(record)) << record.toStdString();
    EXPECT_TRUE(LinkRecord::CanJoinWith(QString(65000, u'K'), caption, QStringLiteral("Ann")));
    EXPECT_FALSE(LinkRecord::CanJoinWith(QString(70000, u'K'), caption, QStringLiteral("Ann")));
}

} // namespace
