// The frame reader fed a hostile stream in pieces of random sizes reads what
// it reads from the whole stream at once, and each text it gives encodes back
// to exactly the bytes it came from (no lenient decoding of broken UTF-8).
#include "fuzzsupport.h"

#include "link/framecodec.h"

#include <QStringList>

// The texts read, then "failed" if the reader failed: fed in pieces of 1 to
// 64 bytes drawn from `seed`, or all at once for seed 0.
static QStringList read(const QByteArray &stream, quint32 seed)
{
    Frame::Reader reader;
    QStringList texts;
    for (qsizetype at = 0, piece; at < stream.size(); at += piece) {
        seed = seed ? seed * 1103515245u + 12345u : 0;
        piece = std::min<qsizetype>(seed ? 1 + (seed >> 16) % 64 : stream.size(), stream.size() - at);
        reader.Feed(stream.constData() + at, piece);
        while (const auto text = reader.Next())
            texts << *text;
    }
    return texts << (reader.Failed() ? QStringLiteral("failed") : QString());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const quint32 seed = input.Byte() | 1u;
    const QByteArray stream = input.Rest();
    QStringList whole = read(stream, 0);
    FUZZ_CHECK(read(stream, seed) == whole);
    whole.removeLast();
    qsizetype at = 0;
    for (const QString &text : whole) {
        const QByteArray frame = Frame::Encode(text);
        FUZZ_CHECK(frame == stream.mid(at, frame.size()));
        at += frame.size();
    }
    return 0;
}
