// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// List files: the entries of a list, each written as its text in UTF-8
// followed by the single byte 0xFE, with no header, count or escaping. 0xFE
// never occurs inside UTF-8, so every entry that holds no such byte reads back
// as it was written. A piece that is not valid UTF-8 (a file written by the
// Windows program, in its Western code page) is read as Windows-1252.
//
// The tally file keeps such an entry's bytes exactly: EntriesFromFile and
// SaveEntriesToFile work on entries as the bytes they were read or are
// written as.
//
// Writing replaces a file only once the new content is complete on disk: the
// bytes go to a temporary file in the same folder, which is flushed and then
// renamed over the old one. Every failure, reading or writing, is thrown as
// RunTimeError::FileAccess naming the file and the reason; a failed write
// leaves the old file as it was.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace ListFile {

inline constexpr char Separator = char(0xFE);
// A list file is read whole into memory; anything larger than this is not a
// list this program wrote and is refused rather than read.
inline constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

// Runs once the new content is written beside the old file and before it
// replaces it.
using BeforeReplace = std::function<void()>;

void SaveEntriesToFile(const QList<QByteArray> &entries, const QString &fileName,
                       const BeforeReplace &beforeReplace = {});
// The file's entries. Bytes after the last separator are not an entry; a
// file without any separator holds no entries.
QList<QByteArray> EntriesFromFile(const QString &fileName);

// The bytes of a list file, and the entries they hold.
QByteArray JoinEntries(const QList<QByteArray> &entries);
QList<QByteArray> SplitEntries(const QByteArray &bytes);

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise. `utf8`,
// when given, tells which; text read as UTF-8 encodes back to its bytes.
QString DecodeText(const QByteArray &bytes, bool *utf8 = nullptr);

} // namespace ListFile
