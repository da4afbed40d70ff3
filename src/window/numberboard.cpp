#include "window/numberboard.h"

#include "support/twips.h"

#include <QLabel>

namespace {
// The board's cell template: lblItm(1) as placed in the window.
constexpr double CellLeft = 15, CellTop = 10, CellWidth = 495, CellHeight = 255;

QLabel *makeCell(QWidget &window, int n, const QRect &place)
{
    auto *cell = new QLabel(QString::number(n), &window);
    cell->setObjectName(QStringLiteral("lblItm%1").arg(n));
    cell->setFont(NumberBoard::Font(8.25));
    cell->setAlignment(Qt::AlignCenter);
    cell->setGeometry(place);
    return cell;
}
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

NumberBoard::NumberBoard(QWidget &window)
    : m_window(window)
{
    m_cells[0] = makeCell(window, 0, Twips::Rect(1080, 480, CellWidth, CellHeight));
    m_cells[0]->setVisible(false);
    m_cells[1] = makeCell(window, 1, Twips::Rect(CellLeft, CellTop, CellWidth, CellHeight));
}

void NumberBoard::Build()
{
    // Cell 1 is the template and keeps its own place, 5 twips right of the
    // column that the rule gives the others.
    for (int n = 2; n <= 100; ++n) {
        const int row = (n - 1) / 10, col = (n - 1) % 10;
        m_cells[n] = makeCell(m_window, n,
                              Twips::Rect(float(col) * float(CellWidth) + 10, float(row) * float(CellHeight) + 10,
                                          CellWidth, CellHeight));
        m_cells[n]->show();
    }
}

void NumberBoard::SetColour(int n, const QColor &colour)
{
    if (n < 1 || n > 100 || !m_cells[n])
        return;
    QPalette pal = m_cells[n]->palette();
    pal.setColor(QPalette::WindowText, colour);
    m_cells[n]->setPalette(pal);
}

void NumberBoard::SetAllColours(const QColor &colour)
{
    for (int n = 1; n <= 100; ++n)
        SetColour(n, colour);
}
