#pragma once
// What every fuzz target shares: the application it runs in, a reader that
// turns the fuzzer's bytes into the pieces a target needs, and a check that
// reports a broken rule as a crash, so the fuzzer keeps the input.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define FUZZ_CHECK(condition) \
    ((condition) ? void() : Fuzz::Fail(#condition, __FILE__, __LINE__))

namespace Fuzz {

[[noreturn]] void Fail(const char *condition, const char *file, int line);

// The fuzzer's bytes, taken from the front piece by piece. Once they run out
// every piece is empty or zero, so a target never reads past the input.
class Input
{
public:
    Input(const uint8_t *data, size_t size);

    bool Empty() const { return m_size == 0; }
    quint8 Byte();
    QByteArray Bytes(size_t count);
    QByteArray Rest();
    // The bytes up to the next zero byte (which is dropped), at most maxBytes.
    QByteArray Piece(size_t maxBytes = 4096);
    QString Utf8(size_t maxBytes = 4096) { return QString::fromUtf8(Piece(maxBytes)); }
    // Byte 0xFF is the link's field separator U+00FF this way.
    QString Latin1(size_t maxBytes = 4096) { return QString::fromLatin1(Piece(maxBytes)); }

private:
    const uint8_t *m_data;
    size_t m_size;
};

} // namespace Fuzz
