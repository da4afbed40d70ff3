// The frame reader both ends of the game link use, fed a hostile stream in
// pieces of every size. Whatever the cut, it must read the same frames as
// from the whole stream at once, and each text it gives must encode back to
// exactly the bytes it came from (no lenient decoding of broken UTF-8).
#include "fuzzsupport.h"

#include "link/framecodec.h"

#include <QList>
#include <QtEndian>

namespace {

struct Result
{
    QList<QString> texts;
    bool failed = false;
};

Result readWhole(const QByteArray &stream)
{
    Frame::Reader reader;
    reader.Feed(stream);
    Result result;
    while (const auto text = reader.Next())
        result.texts << *text;
    result.failed = reader.Failed();
    return result;
}

Result readInPieces(const QByteArray &stream, quint8 seed)
{
    Frame::Reader reader;
    Result result;
    quint32 state = seed | 1u;
    for (qsizetype at = 0; at < stream.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype piece = std::min<qsizetype>(1 + (state >> 16) % 64, stream.size() - at);
        reader.Feed(stream.constData() + at, piece);
        at += piece;
        while (const auto text = reader.Next())
            result.texts << *text;
    }
    result.failed = reader.Failed();
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const quint8 seed = input.Byte();
    const QByteArray stream = input.Rest();

    const Result whole = readWhole(stream);
    const Result pieces = readInPieces(stream, seed);
    FUZZ_CHECK(whole.texts == pieces.texts);
    FUZZ_CHECK(whole.failed == pieces.failed);

    qsizetype at = 0;
    for (const QString &text : whole.texts) {
        const QByteArray frame = Frame::Encode(text);
        FUZZ_CHECK(frame == stream.mid(at, frame.size()));
        at += frame.size();
    }
    return 0;
}
