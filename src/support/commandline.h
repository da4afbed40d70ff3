// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line the chat host starts the game with, e.g.
//   "kalumo-hub 7001 K7 Ann Ann"
// cut at every single space into at most five pieces: 0 is not used, 1 is the
// link number, 2 the game key, 3 this player's name, 4 the host's name (the
// whole rest of the line, spaces included). Two spaces in a row give an empty
// piece between them.

#include <QString>
#include <QStringList>
#include <optional>

class CommandLine
{
public:
    // The arguments after the program's name, joined by single spaces. The
    // host may pass the whole line as one argument or as several pieces;
    // both give the same text.
    static QString FromArguments(const QStringList &argumentsAfterName);

    explicit CommandLine(const QString &text);

    bool IsEmpty() const { return m_text.isEmpty(); }
    const QString &Text() const { return m_text; }
    int PieceCount() const { return int(m_pieces.size()); }
    // Nothing when the line is too short to hold that piece.
    std::optional<QString> Piece(int index) const;

private:
    QString m_text;
    QStringList m_pieces;
};
