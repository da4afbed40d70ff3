#include "link/framecodec.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QByteArray header(quint32 length)
{
    QByteArray bytes(4, '\0');
    bytes[0] = char(length >> 24);
    bytes[1] = char(length >> 16);
    bytes[2] = char(length >> 8);
    bytes[3] = char(length);
    return bytes;
}

TEST(FrameCodec, EncodesTheLengthBigEndianThenTheUtf8Bytes)
{
    const QByteArray frame = Frame::Encode(QStringLiteral("G\u00FFK7\u00FFC\u00FFChat;hé"));
    const QByteArray payload = QStringLiteral("G\u00FFK7\u00FFC\u00FFChat;hé").toUtf8();
    EXPECT_EQ(frame, header(quint32(payload.size())) + payload);
    EXPECT_EQ(Frame::Encode(QString()), header(0));
}

TEST(FrameCodec, RefusesToEncodeMoreThanTheLimit)
{
    EXPECT_EQ(Frame::Encode(QString(65536, u'a')).size(), 4 + 65536);
    EXPECT_TRUE(Frame::Encode(QString(65537, u'a')).isEmpty());
}

TEST(FrameReader, ReassemblesFramesSplitAtEveryByte)
{
    const QStringList texts = {QStringLiteral("one"), QString(), QStringLiteral("\u00FF\u00FF"), QStringLiteral("x😀y")};
    QByteArray stream;
    for (const QString &text : texts)
        stream += Frame::Encode(text);

    Frame::Reader reader;
    QStringList got;
    for (char byte : stream) {
        reader.Feed(&byte, 1);
        while (auto text = reader.Next())
            got << *text;
    }
    EXPECT_EQ(got, texts);
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(reader.Buffered(), 0);
}

TEST(FrameReader, KeepsALeadingByteOrderMarkAsText)
{
    Frame::Reader reader;
    reader.Feed(Frame::Encode(QStringLiteral("\uFEFFhi")));
    EXPECT_EQ(reader.Next(), QStringLiteral("\uFEFFhi"));
}

struct Broken
{
    const char *what;
    QByteArray bytes;
};

class FrameReaderErrors : public ::testing::TestWithParam<Broken> {};

TEST_P(FrameReaderErrors, FailsAndStaysFailed)
{
    Frame::Reader reader;
    reader.Feed(GetParam().bytes);
    EXPECT_EQ(reader.Next(), std::nullopt);
    EXPECT_TRUE(reader.Failed()) << GetParam().what;
    reader.Feed(Frame::Encode(QStringLiteral("fine")));
    EXPECT_EQ(reader.Next(), std::nullopt) << "a broken stream never resynchronises";
}

INSTANTIATE_TEST_SUITE_P(Table, FrameReaderErrors, ::testing::Values(
    Broken{"one byte over the limit", header(65537)},
    Broken{"a huge length", header(0xFFFFFFFFu)},
    Broken{"a lone continuation byte", header(1) + QByteArray("\x80", 1)},
    Broken{"a truncated sequence", header(2) + QByteArray("a\xC3", 2)},
    Broken{"an overlong encoding", header(2) + QByteArray("\xC0\xAF", 2)},
    Broken{"a surrogate half", header(3) + QByteArray("\xED\xA0\x80", 3)}));

TEST(FrameReader, AcceptsAFrameOfExactlyTheLimit)
{
    Frame::Reader reader;
    reader.Feed(header(65536) + QByteArray(65536, 'z'));
    const auto text = reader.Next();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->size(), 65536);
}

} // namespace
