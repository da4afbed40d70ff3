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

TEST(FrameCodec, EncodesTheLengthBigEndianThenTheUtf8BytesUpToTheLimit)
{
    const QString text = QStringLiteral("G\u00FFK7\u00FFC\u00FFChat;hé");
    EXPECT_EQ(Frame::Encode(text), header(quint32(text.toUtf8().size())) + text.toUtf8());
    EXPECT_EQ(Frame::Encode(QString()), header(0));
    EXPECT_EQ(Frame::Encode(QString(65536, u'a')), header(65536) + QByteArray(65536, 'a'));
    EXPECT_TRUE(Frame::Encode(QString(65537, u'a')).isEmpty());
}

TEST(FrameReader, ReassemblesFramesSplitAtEveryByte)
{
    // A leading byte order mark is text, and a frame may be as long as the limit.
    const QStringList texts = {QStringLiteral("\uFEFFone"), QString(), QStringLiteral("\u00FF\u00FF"),
                               QStringLiteral("x😀y"), QString(65536, u'z')};
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

TEST(FrameReader, FailsOnABrokenStreamAndNeverResynchronises)
{
    const struct { const char *what; QByteArray bytes; } cases[] = {
        {"one byte over the limit", header(65537)},
        {"a huge length", header(0xFFFFFFFFu)},
        {"a lone continuation byte", header(1) + QByteArray("\x80", 1)},
        {"a truncated sequence", header(2) + QByteArray("a\xC3", 2)},
        {"an overlong encoding", header(2) + QByteArray("\xC0\xAF", 2)},
        {"a surrogate half", header(3) + QByteArray("\xED\xA0\x80", 3)}};
    for (const auto &c : cases) {
        Frame::Reader reader;
        reader.Feed(c.bytes);
        EXPECT_EQ(reader.Next(), std::nullopt) << c.what;
        EXPECT_TRUE(reader.Failed()) << c.what;
        reader.Feed(Frame::Encode(QStringLiteral("fine")));
        EXPECT_EQ(reader.Next(), std::nullopt) << c.what;
    }
}

} // namespace
