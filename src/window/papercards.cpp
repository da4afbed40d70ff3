// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/papercards.h"

#include "card/seededdeal.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace PaperCards {

namespace {

// The colours of the window's cards.
const QColor CardBackground(198, 197, 174);
const QColor NumberColour(192, 64, 0);

void drawCard(QPainter &painter, const QRectF &area, int number, const CardModel::Numbers &numbers)
{
    const qreal side = std::min(area.width(), area.height() * 0.8);
    const QRectF card(area.center().x() - side / 2, area.top(), side, side * 1.15);
    painter.setPen(QPen(Qt::black, side / 150));
    painter.setBrush(CardBackground);
    painter.drawRect(card);
    const qreal cell = side * 0.9 / CardCells::Side;
    const QPointF grid(card.left() + side * 0.05, card.top() + cell * 1.1);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(int(cell * 0.5));
    painter.setFont(font);
    const QString heading = QStringLiteral("BINGO");
    for (int column = 0; column < CardCells::Side; ++column)
        painter.drawText(QRectF(grid.x() + column * cell, card.top(), cell, cell), Qt::AlignCenter, heading.at(column));
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < CardCells::Count; ++i) {
        const QRectF box(grid.x() + (i % CardCells::Side) * cell, grid.y() + (i / CardCells::Side) * cell, cell, cell);
        painter.setPen(QPen(Qt::black, side / 300));
        painter.drawRect(box);
        painter.setPen(NumberColour);
        painter.drawText(box, Qt::AlignCenter, QString::number(numbers[i]));
    }
    font.setPixelSize(int(cell * 0.3));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(card.left(), grid.y() + CardCells::Side * cell, side, cell * 0.6), Qt::AlignCenter,
                     SeededDeal::PaperName(number));
}

} // namespace

CardModel::Numbers CardOf(const QString &seed, int number)
{
    return SeededDeal::Card(seed, SeededDeal::PaperName(number), 0);
}

QString Write(const QString &path, const QString &seed, int count, int perPage)
{
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(300);
    pdf.setTitle(QStringLiteral("Kalumo Bingo: paper cards"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return QStringLiteral("%1 cannot be written").arg(path);
    const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
    // Two cards one above the other, or four in two rows of two.
    const int columns = perPage == 4 ? 2 : 1;
    const QSizeF slot(page.width() / columns, page.height() / 2);
    for (int n = 1; n <= count; ++n) {
        const int place = (n - 1) % perPage;
        if (n > 1 && place == 0)
            pdf.newPage();
        const QRectF area(QPointF((place % columns) * slot.width(), (place / columns) * slot.height()), slot);
        drawCard(painter, area.adjusted(slot.width() * 0.06, slot.height() * 0.06, -slot.width() * 0.06, 0), n,
                 CardOf(seed, n));
    }
    if (!painter.end())
        return QStringLiteral("%1 could not be completed").arg(path);
    return {};
}

} // namespace PaperCards
