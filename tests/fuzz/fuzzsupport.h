// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every fuzz target shares: a reader of the fuzzer's bytes, and a check
// that reports a broken rule as a crash, so the fuzzer keeps the input.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define FUZZ_CHECK(condition) ((condition) ? void() : (fprintf(stderr, "%s:%d: rule broken: %s\n", __FILE__, __LINE__, #condition), abort()))

namespace Fuzz {

// The fuzzer's bytes, taken from the front piece by piece. Once they run out
// every piece is empty or zero, so a target never reads past the input.
struct Input
{
    bool Empty() const { return m_size == 0; }
    quint8 Byte() { return m_size ? quint8(Bytes(1).at(0)) : 0; }
    QByteArray Rest() { return Bytes(m_size); }
    QByteArray Bytes(size_t count)
    {
        count = std::min(count, m_size);
        m_data += count;
        m_size -= count;
        return QByteArray(reinterpret_cast<const char *>(m_data - count), qsizetype(count));
    }
    // The text up to the next zero byte (which is dropped), at most maxBytes.
    QString Utf8(size_t maxBytes = 4096)
    {
        const auto *zero = static_cast<const uint8_t *>(memchr(m_data, 0, std::min(maxBytes, m_size)));
        const QString text = QString::fromUtf8(Bytes(zero ? size_t(zero - m_data) : maxBytes));
        Bytes(zero ? 1 : 0);
        return text;
    }

    const uint8_t *m_data;
    size_t m_size;
};

} // namespace Fuzz
