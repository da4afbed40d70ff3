// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small picture of a pattern: a 5 × 5 grid with the pattern's cells
// filled. Its accessible name says the pattern in words, for a player who
// cannot see the picture.

#include "card/cardmodel.h"

#include <QWidget>

class PatternPicture : public QWidget
{
    Q_OBJECT
public:
    explicit PatternPicture(QWidget *parent = nullptr);

    // Shows `cells` filled, named `words`.
    void Show(CardCells::Set cells, const QString &words);
    CardCells::Set Cells() const { return m_cells; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CardCells::Set m_cells = 0;
};
