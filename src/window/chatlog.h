// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chat log (rtbChatIn): a read-only rich-text view of everything that
// happens in the game, one coloured line per event. Text is only ever
// inserted as plain text, so a peer's "<b>" shows as those characters.
// The log keeps the newest MaxLines lines; older ones are dropped. While
// its newest line is in view, the log keeps it there when resized and lines
// wrap anew; a player who scrolled up to read stays where they are.

#include "game/logkind.h"

#include <QTextEdit>

class ChatLog : public QTextEdit
{
    Q_OBJECT
public:
    static constexpr int MaxLines = 5000;

    explicit ChatLog(QWidget *parent = nullptr);

    // Appends text as one line in the colour of its kind: Welcome green,
    // Alert red, Chat black, Announcement magenta, Emote blue.
    void AddText(LogKind kind, const QString &text);

    static QColor ColourOf(LogKind kind);

signals:
    // Every line as it is added, for a transcript.
    void LineAdded(LogKind kind, const QString &line);

protected:
    // Releasing the left button copies the selection to the clipboard.
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_followNewest = true; // the newest line was in view at the last scroll
};
