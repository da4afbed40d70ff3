// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/framecodec.h"

#include <QStringDecoder>
#include <QtEndian>

namespace Frame {

QByteArray Encode(const QString &text)
{
    const QByteArray payload = text.toUtf8();
    if (payload.size() > qsizetype(MaxPayload))
        return {};
    QByteArray frame(HeaderSize + payload.size(), Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(payload.size()), frame.data());
    memcpy(frame.data() + HeaderSize, payload.constData(), payload.size());
    return frame;
}

void Reader::Feed(const QByteArray &bytes) { Feed(bytes.constData(), bytes.size()); }

void Reader::Feed(const char *data, qsizetype size)
{
    if (Failed())
        return;
    // Consumed bytes are dropped only once they are half the buffer, so a
    // stream of small frames costs no quadratic copying.
    if (m_offset > 0 && m_offset >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_offset);
        m_offset = 0;
    }
    m_buffer.append(data, size);
}

std::optional<QString> Reader::Next()
{
    if (Failed() || Buffered() < HeaderSize)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_offset);
    if (length > MaxPayload) {
        m_error = QStringLiteral("frame of %1 bytes is over the limit of %2").arg(length).arg(MaxPayload);
        return std::nullopt;
    }
    if (Buffered() < HeaderSize + qsizetype(length))
        return std::nullopt;

    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(QByteArrayView(m_buffer.constData() + m_offset + HeaderSize, length));
    if (decoder.hasError()) {
        m_error = QStringLiteral("frame is not valid UTF-8");
        return std::nullopt;
    }
    m_offset += HeaderSize + length;
    if (m_offset == m_buffer.size()) {
        m_buffer.clear();
        m_offset = 0;
    }
    return text;
}

} // namespace Frame
