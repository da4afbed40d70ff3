// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A file's bytes read or written in one call, for tests that look at what a program stored.

#include <QByteArray>
#include <QFile>

// A byte literal that may hold NUL and bytes above 0x7F: "Ann@1\xFE"_b.
inline QByteArray operator""_b(const char *text, std::size_t size) { return QByteArray(text, qsizetype(size)); }

// The whole file, or "<no file>" when it cannot be read.
inline QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// Replaces the file with `bytes`; whether all of them were written.
inline bool PutFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
