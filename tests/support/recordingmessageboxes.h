// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MessageBoxes that shows nothing and remembers every box, in order.
// Questions are answered from a queue (Yes when it is empty).

#include "support/messageboxes.h"

#include <QStringList>

struct ShownBox
{
    enum Kind { Information, Plain, Error, Question } kind;
    QString title, text;
};

class RecordingMessageBoxes : public MessageBoxes
{
public:
    void Information(const QString &title, const QString &text) override { shown.append({ShownBox::Information, title, text}); }
    void Plain(const QString &title, const QString &text) override { shown.append({ShownBox::Plain, title, text}); }
    void Error(const QString &title, const QString &text) override { shown.append({ShownBox::Error, title, text}); }
    bool Question(const QString &title, const QString &text) override
    {
        shown.append({ShownBox::Question, title, text});
        return answers.isEmpty() || answers.takeFirst();
    }
    // Every box, as "<kind> <title>: <text>", the text cut at its first line break if told.
    QStringList Lines(bool cut = false) const
    {
        QStringList lines;
        for (const ShownBox &box : shown) lines << QStringLiteral("%1 %2: %3").arg(box.kind).arg(box.title, box.text.section(u'\r', 0, cut ? 0 : -1));
        return lines;
    }

    QList<ShownBox> shown;
    QList<bool> answers;
};
