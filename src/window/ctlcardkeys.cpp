// SPDX-License-Identifier: GPL-3.0-or-later
// A card from the keyboard and to a screen reader: the focus ring and its
// keys, the card's number and contrast, and marking by number.
#include "window/ctlcard.h"

#include <QKeyEvent>
#include <QLabel>

void ctlCard::SetCardNumber(int number)
{
    m_cardNumber = number;
    for (int i = 0; i < CardCells::Count; ++i)
        showCell(i);
}

void ctlCard::SetHighContrast(bool on)
{
    m_highContrast = on;
    for (int i = 0; i < CardCells::Count; ++i)
        showCell(i);
}

void ctlCard::MarkNumber(int n)
{
    const CardCells::Set newly = m_model.MarkNumber(n);
    for (int i = 0; i < CardCells::Count; ++i) {
        if (CardCells::Holds(newly, i))
            showCell(i);
    }
}

void ctlCard::moveFocusCell(int index)
{
    m_focusCell = index;
    showCell(index);
    update();
}

void ctlCard::keyPressEvent(QKeyEvent *event)
{
    const int row = m_focusCell / 5, column = m_focusCell % 5;
    switch (event->key()) {
    case Qt::Key_Left:
        moveFocusCell(row * 5 + qMax(column - 1, 0));
        break;
    case Qt::Key_Right:
        moveFocusCell(row * 5 + qMin(column + 1, 4));
        break;
    case Qt::Key_Up:
        moveFocusCell(qMax(row - 1, 0) * 5 + column);
        break;
    case Qt::Key_Down:
        moveFocusCell(qMin(row + 1, 4) * 5 + column);
        break;
    case Qt::Key_Space:
        toggleMark(m_focusCell);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ctlCard::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ctlCard::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
