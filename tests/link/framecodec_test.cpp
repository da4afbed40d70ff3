#include "link/framecodec.h"
#include "support/qtprinters.h"

#include <QStringList>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray header(quint32 length)
{
    QByteArray bytes(Frame::HeaderSize, Qt::Uninitialized);
    qToBigEndian<quint32>(length, bytes.data());
    return bytes;
}

QStringList readAll(Frame::Reader &reader)
{
    QStringList texts;
    while (const auto text = reader.Next())
        texts << *text;
    return texts;
}

class FrameRoundTrip : public ::testing::TestWithParam<QString> {};

TEST_P(FrameRoundTrip, GivesBackTheSameTextWholeOrByteByByte)
{
    const QByteArray frame = Frame::Encode(GetParam());
    ASSERT_FALSE(frame.isEmpty());

    Frame::Reader whole;
    whole.Feed(frame + frame);
    EXPECT_EQ(readAll(whole), QStringList({GetParam(), GetParam()}));

    Frame::Reader trickle;
    QStringList texts;
    for (char byte : frame + frame) {
        trickle.Feed(&byte, 1);
        texts << readAll(trickle);
    }
    EXPECT_EQ(texts, QStringList({GetParam(), GetParam()}));
    EXPECT_FALSE(trickle.Failed());
    EXPECT_EQ(trickle.Buffered(), 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, FrameRoundTrip, ::testing::Values(
    QString(), QStringLiteral("G\u00ffK7\u00ffC\u00ffChat;hi"), QStringLiteral("\U0001F600 \u00e9"),
    QStringLiteral("\ufeffstarts with a byte order mark"), QString(int(Frame::MaxPayload), QLatin1Char('x'))));

TEST(FrameEncode, RefusesATextOverTheLimit)
{
    EXPECT_TRUE(Frame::Encode(QString(int(Frame::MaxPayload) + 1, QLatin1Char('x'))).isEmpty());
    // The limit counts UTF-8 bytes, not characters.
    EXPECT_TRUE(Frame::Encode(QString(int(Frame::MaxPayload) / 2 + 1, QChar(0x00e9))).isEmpty());
}

struct Broken
{
    const char *what;
    QByteArray bytes;
};

class BrokenStream : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenStream, FailsAfterTheGoodFramesAndStaysFailed)
{
    Frame::Reader reader;
    reader.Feed(Frame::Encode(QStringLiteral("before")) + GetParam().bytes);
    EXPECT_EQ(readAll(reader), QStringList{QStringLiteral("before")});
    EXPECT_TRUE(reader.Failed()) << GetParam().what;
    reader.Feed(Frame::Encode(QStringLiteral("after")));
    EXPECT_EQ(reader.Next(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Streams, BrokenStream, ::testing::Values(
    Broken{"over the limit", header(Frame::MaxPayload + 1)},
    Broken{"length of 4 GiB", header(0xffffffffu)},
    Broken{"invalid byte", header(2) + QByteArray("a\xff")},
    Broken{"truncated sequence", header(2) + QByteArray("a\xc3")},
    Broken{"encoded surrogate", header(3) + QByteArray("\xed\xa0\x80")},
    Broken{"overlong slash", header(2) + QByteArray("\xc0\xaf")}));

TEST(FrameReader, WaitsForTheRestOfAFrame)
{
    const QByteArray frame = Frame::Encode(QStringLiteral("hello"));
    Frame::Reader reader;
    reader.Feed(frame.left(6));
    EXPECT_EQ(reader.Next(), std::nullopt);
    EXPECT_FALSE(reader.Failed());
    reader.Feed(frame.mid(6));
    EXPECT_EQ(reader.Next(), QStringLiteral("hello"));
}

} // namespace
