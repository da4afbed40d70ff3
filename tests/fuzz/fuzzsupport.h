#pragma once
// What every fuzz target shares: the application it runs in, a reader that
// turns the fuzzer's bytes into the pieces a target needs, and a check that
// reports a broken rule as a crash, so the fuzzer keeps the input.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define FUZZ_CHECK(condition) ((condition) ? void() : Fuzz::Fail(#condition, __FILE__, __LINE__))

namespace Fuzz {

[[noreturn]] inline void Fail(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, condition);
    abort();
}

// The fuzzer's bytes, taken from the front piece by piece. Once they run out
// every piece is empty or zero, so a target never reads past the input.
class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_size == 0; }
    quint8 Byte() { return m_size ? quint8(Bytes(1).at(0)) : 0; }
    QByteArray Rest() { return Bytes(m_size); }
    QByteArray Bytes(size_t count)
    {
        count = std::min(count, m_size);
        const QByteArray bytes(reinterpret_cast<const char *>(m_data), qsizetype(count));
        m_data += count;
        m_size -= count;
        return bytes;
    }
    // The text up to the next zero byte (which is dropped), at most maxBytes.
    QString Utf8(size_t maxBytes = 4096)
    {
        const auto *zero = static_cast<const uint8_t *>(memchr(m_data, 0, std::min(maxBytes, m_size)));
        const QByteArray piece = Bytes(zero ? size_t(zero - m_data) : maxBytes);
        Bytes(zero ? 1 : 0);
        return QString::fromUtf8(piece);
    }

private:
    const uint8_t *m_data;
    size_t m_size;
};

} // namespace Fuzz
