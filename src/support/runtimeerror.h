// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own run-time errors. A box shows one as its number, a
// carriage return and line feed, and its description; start-up shows each
// and goes on.

#include <QString>

struct RunTimeError
{
    int number;
    QString description;

    QString BoxText() const { return QString::number(number) + QStringLiteral("\r\n") + description; }

    // A piece of the command line that is not there.
    static RunTimeError MissingPiece(int piece)
    {
        return {9, QStringLiteral("Subscript out of range: the command line has no piece %1").arg(piece)};
    }
    // A piece that should be a number and is not one, or is out of range.
    static RunTimeError NotANumber(const QString &text)
    {
        return {13, QStringLiteral("Type mismatch: \"%1\" is not a whole number in range").arg(text)};
    }
    // A file that exists but cannot be read.
    static RunTimeError FileAccess(const QString &path, const QString &reason)
    {
        return {75, QStringLiteral("Path/File access error: %1: %2").arg(path, reason)};
    }
};
