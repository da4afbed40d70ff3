#pragma once
// Reads back what a window's chat log shows: one entry per line, as
// "<kind>:<text>", the kind told by the colour the line was written in
// (3 for black, whatever kind asked for it).

#include "window/chatlog.h"

#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

inline QStringList ChatLines(const QWidget &window)
{
    QStringList lines;
    const auto *log = window.findChild<ChatLog *>(QStringLiteral("rtbChatIn"));
    for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty())
            continue; // the empty block after the last line
        const QColor colour = block.begin().fragment().charFormat().foreground().color();
        int kind = 3;
        for (int k : {1, 2, 4, 5})
            kind = ChatLog::ColourOf(k) == colour ? k : kind;
        lines << QString::number(kind) + u':' + block.text();
    }
    return lines;
}
