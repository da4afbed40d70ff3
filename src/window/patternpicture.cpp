// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/patternpicture.h"

#include <QPainter>

PatternPicture::PatternPicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("picPattern"));
    setMinimumSize(15, 15);
}

void PatternPicture::Show(CardCells::Set cells, const QString &words)
{
    m_cells = cells;
    setAccessibleName(words);
    setToolTip(words);
    update();
}

void PatternPicture::paintEvent(QPaintEvent * /*event*/)
{
    QPainter painter(this);
    const int side = std::min(width(), height());
    const qreal cell = qreal(side) / CardCells::Side;
    painter.fillRect(QRectF(0, 0, side, side), QColor(192, 192, 160));
    for (int index = 0; index < CardCells::Count; ++index) {
        const QRectF place((index % CardCells::Side) * cell, (index / CardCells::Side) * cell, cell, cell);
        if (CardCells::Holds(m_cells, index))
            painter.fillRect(place.adjusted(1, 1, -1, -1), QColor(0, 128, 0));
        painter.setPen(QColor(96, 96, 96));
        painter.drawRect(place);
    }
}
