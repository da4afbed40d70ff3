// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game link's frames, both directions: a length, then that much UTF-8
// text (docs/protocol.md).

#include <QByteArray>
#include <QString>
#include <optional>

namespace Frame {

inline constexpr quint32 MaxPayload = 65536;
inline constexpr int HeaderSize = 4;

// The frame for one text. Texts longer than MaxPayload bytes are not sent:
// the result is empty then.
QByteArray Encode(const QString &text);

class Reader
{
public:
    // Appends bytes as they came off the socket.
    void Feed(const QByteArray &bytes);
    void Feed(const char *data, qsizetype size);

    // The next whole frame's text, or nothing when more bytes are needed or
    // the stream is broken (see Failed).
    std::optional<QString> Next();

    bool Failed() const { return !m_error.isEmpty(); }
    const QString &Error() const { return m_error; }
    qsizetype Buffered() const { return m_buffer.size() - m_offset; }

private:
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    QString m_error;
};

} // namespace Frame
