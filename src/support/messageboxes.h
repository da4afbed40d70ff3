// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message box the game shows goes through this interface, so that a
// test can record them instead of blocking on a modal dialog. A box that
// names no title shows the program's title.

#include <QString>

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;

    // OK button, information icon.
    virtual void Information(const QString &title, const QString &text) = 0;
    // OK button, no icon.
    virtual void Plain(const QString &title, const QString &text) = 0;
    // OK button, error icon.
    virtual void Error(const QString &title, const QString &text) = 0;
    // Yes and No buttons, question icon; true for Yes.
    virtual bool Question(const QString &title, const QString &text) = 0;
    // The same, for a step that cannot be undone: No is the default button.
    virtual bool QuestionNoByDefault(const QString &title, const QString &text) { return Question(title, text); }
};
