// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The board of the numbers 1 to 100 in the window's top left corner: the
// labels lblItm1 to lblItm100, white on black, a called number in green (in
// high contrast: black on yellow). lblItm0 exists too, hidden: the template
// the others were made from. A cell's accessible name says what it shows:
// "24" or "24, called". The cells are grouped, row by row, in one widget
// (fraBoard) named "Called numbers board".

#include <QColor>
#include <array>

class QLabel;
class QRect;
class QWidget;

class QFont;

class NumberBoard
{
public:
    // The board's face, Arial Black, or the boldest stand-in installed, at
    // the given size; the window's own labels use it too.
    static QFont Font(double points);

    // A cell's text colour and its background (black: the window's own).
    struct Look
    {
        QColor text, background;
    };
    static Look LookOf(bool called, bool highContrast);

    // Places the design-time cells 0 and 1 on the window.
    explicit NumberBoard(QWidget &window);

    // Adds cells 2 to 100: cell n in column (n - 1) mod 10, row (n - 1) div 10.
    void Build();
    void SetCalled(int n, bool called);
    void SetAllUncalled();
    void SetHighContrast(bool on);
    void SetToolTip(const QString &text);

private:
    QLabel *makeCell(int n, const QRect &place);
    void show(int n);

    QWidget *m_frame;
    std::array<QLabel *, 101> m_cells{};
    std::array<bool, 101> m_called{};
    bool m_highContrast = false;
};
