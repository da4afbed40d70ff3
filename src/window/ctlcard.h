// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bingo card on the window: its CardModel shown as 25 numbers under a
// BINGO heading, marked by clicks. The numbers show in the labels
// lblMyNum0..24, a mark as the green disc shpMarker0..24 behind its number.
// Once a second, while the check runs, the card reports its first complete
// line to its owner.
//
// From the keyboard: Tab comes into the card, the arrow keys move a focus
// ring between its cells and Space marks or unmarks the one in the ring.
// Every number label's accessible name says what it shows and whether its
// number has been called, "Card 2, row 1, column 3: 57, marked" or "Card 1,
// row 2, column 3: 57, called, not marked"; the card's own is that of the
// cell in the ring.

#include "card/cardmodel.h"

#include <QColor>
#include <QSet>
#include <QWidget>
#include <array>

class CardOwner;
class QLabel;
class QTimer;
class RandomGenerator;

class ctlCard : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CheckInterval = 1000; // ms between two checks
    static constexpr int DesignWidth = 3255, DesignHeight = 3735; // twips, at a scale of 1

    // The card's colours: its page, a number, the disc that marks a cell and
    // a number on its disc. High contrast makes every number readable.
    struct Colours
    {
        QColor background, number, marker, markedNumber;
    };
    static Colours ColoursOf(bool highContrast);

    // Deals the numbers and starts the check.
    ctlCard(CardOwner &owner, RandomGenerator &random, QWidget *parent = nullptr);

    // Draws 25 new numbers; marks and the check stay as they are.
    void GenNumbers();
    // Shows numbers dealt before (25, in cell order); marks stay as they are.
    void ShowNumbers(const QList<int> &numbers);
    // Clears every mark and starts the check; the numbers stay.
    void ResetMarks();
    // Starts (true) or stops (false) the check. Starting a running check
    // leaves its rhythm alone.
    void MyWin(bool checking);

    // One tick of tmrWinner: hands the first complete line to the owner and,
    // when the owner allows a claim now, has it enable BINGO!. Does nothing
    // while the check is stopped.
    void CheckLines();

    // What the card shows: its numbers and marks.
    const CardModel &Model() const { return m_model; }

    // Which card this is to a screen reader, 1 or 2.
    void SetCardNumber(int number);
    void SetHighContrast(bool on);
    // Marks the cell that shows n, if there is one; a marked cell stays marked.
    void MarkNumber(int n);
    // Number n has been called (it stays called when new numbers are
    // dealt, until ClearCalled); a screen reader hears it on the cell.
    void SetCalled(int n);
    void ClearCalled();
    // How many cells show a called number and are not marked.
    int CalledNotMarked() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void toggleMark(int index);
    // The cell as the model has it: its number, disc, colours and accessible name.
    void showCell(int index);
    void moveFocusCell(int index);

    CardOwner &m_owner;
    RandomGenerator &m_random;
    CardModel m_model;
    std::array<QLabel *, CardCells::Count> m_numberLabels{};
    class Marker;
    std::array<Marker *, CardCells::Count> m_markers{};
    QTimer *m_checkTimer = nullptr;
    QSet<int> m_called;
    int m_cardNumber = 1;
    int m_focusCell = 0;
    bool m_highContrast = false;
};
