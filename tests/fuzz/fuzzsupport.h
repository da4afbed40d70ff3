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

#define FUZZ_CHECK(condition) ((condition) ? void() : Fuzz::Fail(#condition, __FILE__, __LINE__))

namespace Fuzz {

[[noreturn]] void Fail(const char *condition, const char *file, int line);

// The fuzzer's bytes, taken from the front piece by piece. Once they run out
// every piece is empty or zero, so a target never reads past the input.
class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_size == 0; }
    quint8 Byte() { const QByteArray b = Bytes(1); return b.isEmpty() ? 0 : quint8(b[0]); }
    QByteArray Bytes(size_t count);
    QByteArray Rest() { return Bytes(m_size); }
    // The text up to the next zero byte (which is dropped), at most maxBytes.
    QString Utf8(size_t maxBytes = 4096);

private:
    const uint8_t *m_data;
    size_t m_size;
};

} // namespace Fuzz
