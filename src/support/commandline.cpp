// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/commandline.h"

QString CommandLine::FromArguments(const QStringList &argumentsAfterName)
{
    return argumentsAfterName.join(QLatin1Char(' '));
}

CommandLine::CommandLine(const QString &text)
    : m_text(text)
{
    if (text.isEmpty())
        return;
    // At most five pieces: the fifth keeps every space that follows it.
    qsizetype start = 0;
    while (m_pieces.size() < 4) {
        const qsizetype space = text.indexOf(QLatin1Char(' '), start);
        if (space < 0)
            break;
        m_pieces << text.mid(start, space - start);
        start = space + 1;
    }
    m_pieces << text.mid(start);
}

std::optional<QString> CommandLine::Piece(int index) const
{
    if (index < 0 || index >= m_pieces.size())
        return std::nullopt;
    return m_pieces.at(index);
}
