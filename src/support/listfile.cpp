// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/listfile.h"

#include "support/runtimeerror.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace ListFile {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F. The five bytes it
// leaves undefined map to the control characters of the same code, as
// Windows itself reads them.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.append(byte >= 0x80 && byte <= 0x9F ? QChar(Windows1252High[byte - 0x80]) : QChar(byte));
    }
    return text;
}

QByteArray readBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw RunTimeError::FileAccess(fileName, file.errorString());
    const qint64 size = file.size();
    if (size > MaxFileSize)
        throw RunTimeError::FileAccess(fileName, QStringLiteral("the file is larger than %1 bytes").arg(MaxFileSize));
    QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        throw RunTimeError::FileAccess(fileName, file.errorString());
    return bytes;
}

void writeBytes(const QString &fileName, const QByteArray &bytes, const BeforeReplace &beforeReplace)
{
    // QSaveFile writes into a temporary file beside the target and, on
    // commit, syncs it to disk and renames it over the target. Until then the
    // old file is untouched; a save file dropped without commit removes its
    // temporary file.
    // Unbuffered, so that a failing write reports the system's reason (a
    // full disk, say) rather than failing later in a flush.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw RunTimeError::FileAccess(fileName, file.errorString());
    // A short write is tried again for the rest: the retry either goes on or
    // fails with the system's reason.
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            throw RunTimeError::FileAccess(fileName, reason);
        }
        written += n;
    }
    if (beforeReplace)
        beforeReplace();
    if (!file.commit())
        throw RunTimeError::FileAccess(fileName, file.errorString());
}

} // namespace

QString DecodeText(const QByteArray &bytes, bool *utf8)
{
    // Keep a leading byte order mark as a character: the text must give back
    // exactly the bytes it was read from.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (utf8)
        *utf8 = !decoder.hasError();
    return decoder.hasError() ? fromWindows1252(bytes) : text;
}

QByteArray JoinEntries(const QList<QByteArray> &entries)
{
    QByteArray bytes;
    for (const QByteArray &entry : entries) {
        bytes += entry;
        bytes += Separator;
    }
    return bytes;
}

QList<QByteArray> SplitEntries(const QByteArray &bytes)
{
    QList<QByteArray> entries;
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf(Separator, start)) >= 0; start = end + 1)
        entries.append(bytes.mid(start, end - start));
    return entries;
}

void SaveEntriesToFile(const QList<QByteArray> &entries, const QString &fileName, const BeforeReplace &beforeReplace)
{
    writeBytes(fileName, JoinEntries(entries), beforeReplace);
}

QList<QByteArray> EntriesFromFile(const QString &fileName) { return SplitEntries(readBytes(fileName)); }

} // namespace ListFile
