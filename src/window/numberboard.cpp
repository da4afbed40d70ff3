// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/numberboard.h"

#include "announce/accessiblename.h"
#include "window/designunits.h"

#include "window/layoutscaler.h"

#include <QLabel>

namespace {
// The board's cell template: lblItm(1) as placed in the window.
constexpr double CellLeft = 15, CellTop = 10, CellWidth = 495, CellHeight = 255;
} // namespace

QFont NumberBoard::Font(double points)
{
    // Where Arial Black is missing, a bold sans face keeps the board's weight.
    QFont font;
    font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setWeight(QFont::Bold);
    font.setPointSizeF(points);
    return font;
}

NumberBoard::Look NumberBoard::LookOf(bool called, bool highContrast)
{
    // Green on black is easy to miss beside white; high contrast fills a
    // called cell instead.
    if (!called)
        return {Qt::white, Qt::black};
    return highContrast ? Look{Qt::black, QColor(255, 255, 0)} : Look{QColor(0, 255, 0), Qt::black};
}

NumberBoard::NumberBoard(QWidget &window)
    : m_frame(new QWidget(&window))
{
    // One named group holds the cells, in reading order, for a screen
    // reader; it covers the board's corner, so each cell keeps its place.
    m_frame->setObjectName(QStringLiteral("fraBoard"));
    m_frame->setAccessibleName(QStringLiteral("Called numbers board"));
    m_frame->setGeometry(DesignUnits::Rect(0, 0, 5040, 2760));
    m_frame->setProperty(LayoutScaler::ScalesChildren, true);
    m_cells[0] = makeCell(0, DesignUnits::Rect(1080, 480, CellWidth, CellHeight));
    m_cells[0]->setVisible(false);
    m_cells[1] = makeCell(1, DesignUnits::Rect(CellLeft, CellTop, CellWidth, CellHeight));
}

QLabel *NumberBoard::makeCell(int n, const QRect &place)
{
    auto *cell = new QLabel(QString::number(n), m_frame);
    cell->setObjectName(QStringLiteral("lblItm%1").arg(n));
    cell->setFont(NumberBoard::Font(8.25));
    cell->setAlignment(Qt::AlignCenter);
    cell->setGeometry(place);
    m_cells[n] = cell;
    show(n);
    return cell;
}

void NumberBoard::Build()
{
    // Cell 1 is the template and keeps its own place, 5 twips right of the
    // column that the rule gives the others.
    for (int n = 2; n <= 100; ++n) {
        const int row = (n - 1) / 10, col = (n - 1) % 10;
        makeCell(n,
                 DesignUnits::Rect(float(col) * float(CellWidth) + 10, float(row) * float(CellHeight) + 10, CellWidth,
                                   CellHeight))
            ->show();
    }
}

void NumberBoard::show(int n)
{
    QLabel *cell = m_cells[n];
    const Look look = LookOf(m_called[n], m_highContrast);
    QPalette pal = cell->palette();
    pal.setColor(QPalette::WindowText, look.text);
    pal.setColor(QPalette::Window, look.background);
    cell->setPalette(pal);
    // Only a filled cell paints its background: the default board is the
    // window's black showing through.
    cell->setAutoFillBackground(m_called[n] && m_highContrast);
    SetAccessibleName(*cell, m_called[n] ? QStringLiteral("%1, called").arg(n) : QString::number(n));
}

void NumberBoard::SetCalled(int n, bool called)
{
    if (n < 1 || n > 100 || !m_cells[n])
        return;
    m_called[n] = called;
    show(n);
}

void NumberBoard::SetAllUncalled()
{
    for (int n = 1; n <= 100; ++n)
        SetCalled(n, false);
}

void NumberBoard::SetHighContrast(bool on)
{
    m_highContrast = on;
    for (int n = 1; n <= 100; ++n) {
        if (m_cells[n])
            show(n);
    }
}

void NumberBoard::SetToolTip(const QString &text)
{
    for (int n = 1; n <= 100; ++n) {
        if (m_cells[n])
            m_cells[n]->setToolTip(text);
    }
}
