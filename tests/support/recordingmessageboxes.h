#pragma once
// MessageBoxes that shows nothing and remembers every box, in order.
// Questions are answered from a queue (Yes when it is empty).

#include "support/messageboxes.h"

#include <QList>
#include <QString>

struct ShownBox
{
    enum Kind { Information, Plain, Error, Question } kind;
    QString title;
    QString text;
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
        return answers.isEmpty() ? true : answers.takeFirst();
    }

    QList<ShownBox> shown;
    QList<bool> answers;
};
