// SPDX-License-Identifier: GPL-3.0-or-later
// The frame reader fed a hostile stream in pieces of random sizes reads what it reads from it at once,
// and each text encodes back to exactly the bytes it came from (no lenient decoding of broken UTF-8).
#include "fuzzsupport.h"

#include "link/framecodec.h"

#include <QStringList>

// The texts read, then "failed" if it failed: fed in pieces of 1 to 64 bytes, or at once for seed 0.
static QStringList read(const QByteArray &stream, quint32 seed)
{
    Frame::Reader reader;
    QStringList texts;
    for (qsizetype at = 0, piece; at < stream.size(); at += piece) {
        seed = seed ? seed * 1103515245u + 12345u : 0;
        piece = std::min<qsizetype>(seed ? 1 + (seed >> 16) % 64 : stream.size(), stream.size() - at);
        reader.Feed(stream.constData() + at, piece);
        while (const auto text = reader.Next()) texts << *text;
    }
    return texts << (reader.Failed() ? QStringLiteral("failed") : QString());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input{data, size};
    const quint32 seed = input.Byte() | 1u;
    const QByteArray stream = input.Rest();
    QStringList whole = read(stream, 0);
    FUZZ_CHECK(read(stream, seed) == whole);
    whole.removeLast();
    for (qsizetype at = 0; const QString &text : std::as_const(whole)) {
        FUZZ_CHECK(stream.mid(at).startsWith(Frame::Encode(text)));
        at += Frame::Encode(text).size();
    }
    return 0;
}
