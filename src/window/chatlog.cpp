// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/chatlog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextCursor>

ChatLog::ChatLog(QWidget *parent)
    : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setUndoRedoEnabled(false);
    // A flood would otherwise grow the window without end. Every line is a
    // block, and one more block is the empty one after the newest line.
    document()->setMaximumBlockCount(MaxLines + 1);
    // Lines are coloured per kind, and black text needs a light page.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    // A resize wraps the lines anew and changes the scroll range (the
    // document may be laid out in steps, after the resize itself), which
    // leaves the view where it was: the newest line is brought back when it
    // was in view. Whether it was is known from every scroll, the player's
    // or the log's own.
    QScrollBar *bar = verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_followNewest = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_followNewest)
            bar->setValue(maximum);
    });
}

QColor ChatLog::ColourOf(LogKind kind)
{
    switch (kind) {
    case LogKind::Welcome:
        return QColor(0, 255, 0);
    case LogKind::Alert:
        return QColor(255, 0, 0);
    case LogKind::Chat:
        return QColor(0, 0, 0);
    case LogKind::Announcement:
        return QColor(255, 0, 255);
    case LogKind::Emote:
        return QColor(0, 0, 255);
    }
    return QColor(0, 0, 0);
}

void ChatLog::AddText(LogKind kind, const QString &text)
{
    // One event is one line: a peer cannot break its text over several lines
    // and make the rest look like the game's own announcements.
    QString line = text;
    for (QChar &c : line) {
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u' ';
    }

    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(ColourOf(kind));
    cursor.insertText(line, format);
    cursor.insertBlock(QTextBlockFormat(), format);
    // The caret follows the newest line, which scrolls it into view.
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    emit LineAdded(kind, line);
}

void ChatLog::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, u'\n');
    QGuiApplication::clipboard()->setText(selected);
}
