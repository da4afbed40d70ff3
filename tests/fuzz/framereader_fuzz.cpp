// The frame reader both ends of the game link use, fed a hostile stream in
// pieces of random sizes. Whatever the cut, it reads what it reads from the
// whole stream at once, and each text it gives encodes back to exactly the
// bytes it came from (no lenient decoding of broken UTF-8).
#include "fuzzsupport.h"

#include "link/framecodec.h"

#include <QStringList>

namespace {

// The texts read and whether the reader failed: fed in pieces of 1 to 64
// bytes drawn from `seed`, or all at once for seed 0.
QStringList read(const QByteArray &stream, quint32 seed, bool &failed)
{
    Frame::Reader reader;
    QStringList texts;
    quint32 state = seed;
    for (qsizetype at = 0; at < stream.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype piece = std::min<qsizetype>(seed ? 1 + (state >> 16) % 64 : stream.size(), stream.size() - at);
        reader.Feed(stream.constData() + at, piece);
        at += piece;
        while (const auto text = reader.Next())
            texts << *text;
    }
    failed = reader.Failed();
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const quint32 seed = input.Byte() | 1u;
    const QByteArray stream = input.Rest();

    bool wholeFailed = false, piecesFailed = false;
    const QStringList whole = read(stream, 0, wholeFailed);
    FUZZ_CHECK(read(stream, seed, piecesFailed) == whole);
    FUZZ_CHECK(piecesFailed == wholeFailed);

    qsizetype at = 0;
    for (const QString &text : whole) {
        const QByteArray frame = Frame::Encode(text);
        FUZZ_CHECK(frame == stream.mid(at, frame.size()));
        at += frame.size();
    }
    return 0;
}
