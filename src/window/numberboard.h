#pragma once
// The board of the numbers 1 to 100 in the window's top left corner: the
// labels lblItm1 to lblItm100, white on black, a called number in green.
// lblItm0 exists too, hidden: the template the others were made from.

#include <QColor>
#include <array>

class QLabel;
class QWidget;

class QFont;

class NumberBoard
{
public:
    // The board's face, Arial Black, or the boldest stand-in installed, at
    // the given size; the window's own labels use it too.
    static QFont Font(double points);

    static inline const QColor Uncalled{255, 255, 255};
    static inline const QColor Called{0, 255, 0};

    // Places the design-time cells 0 and 1 on the window.
    explicit NumberBoard(QWidget &window);

    // Adds cells 2 to 100: cell n in column (n - 1) mod 10, row (n - 1) div 10.
    void Build();
    void SetColour(int n, const QColor &colour);
    void SetAllColours(const QColor &colour);

private:
    QWidget &m_window;
    std::array<QLabel *, 101> m_cells{};
};
