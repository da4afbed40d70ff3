#pragma once
// Reads back what a window's chat log shows: one entry per line, with the
// colour the line was written in.

#include "window/chatlog.h"

#include <QColor>
#include <QList>
#include <QTextBlock>
#include <QTextDocument>

struct ChatLine
{
    QString text;
    QColor colour;
    bool operator==(const ChatLine &) const = default;
};

inline QList<ChatLine> ChatLines(const QWidget &window)
{
    QList<ChatLine> lines;
    const auto *log = window.findChild<ChatLog *>(QStringLiteral("rtbChatIn"));
    if (!log)
        return lines;
    for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty())
            continue; // the empty block after the last line
        lines.append({block.text(), block.begin().fragment().charFormat().foreground().color()});
    }
    return lines;
}

inline std::ostream &operator<<(std::ostream &out, const ChatLine &line)
{
    return out << '"' << line.text.toStdString() << "\" in " << line.colour.name().toStdString();
}
