// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qtmessageboxes.h"

#include <QMessageBox>

static int show(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text,
                QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent);
    return box.exec();
}

void QtMessageBoxes::Information(const QString &title, const QString &text)
{
    show(m_parent, QMessageBox::Information, title, text, QMessageBox::Ok);
}

void QtMessageBoxes::Plain(const QString &title, const QString &text)
{
    show(m_parent, QMessageBox::NoIcon, title, text, QMessageBox::Ok);
}

void QtMessageBoxes::Error(const QString &title, const QString &text)
{
    show(m_parent, QMessageBox::Critical, title, text, QMessageBox::Ok);
}

bool QtMessageBoxes::Question(const QString &title, const QString &text)
{
    return show(m_parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtMessageBoxes::QuestionNoByDefault(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
