// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// MessageBoxes shown as real modal QMessageBox dialogs.

#include "support/messageboxes.h"

#include <QPointer>

class QWidget;

class QtMessageBoxes : public MessageBoxes
{
public:
    // Boxes are centred on parent while it lives.
    void SetParent(QWidget *parent) { m_parent = parent; }

    void Information(const QString &title, const QString &text) override;
    void Plain(const QString &title, const QString &text) override;
    void Error(const QString &title, const QString &text) override;
    bool Question(const QString &title, const QString &text) override;
    bool QuestionNoByDefault(const QString &title, const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};
