#pragma once
// A bingo card: 25 numbers under a BINGO heading, marked by clicks. The
// numbers live in the labels lblMyNum0..24 and the marks in the visibility of
// the green discs shpMarker0..24 behind them. Once a second, while the check
// runs, the card reports its first complete line to its owner.

#include <QStringList>
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

    // Deals the numbers, loads the winning lines and starts the check.
    ctlCard(CardOwner &owner, RandomGenerator &random, QWidget *parent = nullptr);

    // Draws 25 new numbers; marks and the check stay as they are.
    void GenNumbers();
    // Clears every mark and starts the check; the numbers stay.
    void ResetMarks();
    // Starts (true) or stops (false) the check. Starting a running check
    // leaves its rhythm alone.
    void MyWin(bool MyID);

    // One tick of tmrWinner: hands the first complete line to the owner and,
    // when the owner allows a claim now, has it enable BINGO!. Does nothing
    // while the check is stopped.
    void CheckLines();

    // The numbers of every complete marked line, five each as shown, in the
    // order of the winning lines; whether the check runs does not matter.
    QList<QStringList> CompleteLines() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void LoadLines();
    void ToggleMark(int index);
    std::array<bool, 25> marks() const;

    CardOwner &m_owner;
    RandomGenerator &m_random;
    QLabel *m_lblBingo = nullptr;
    std::array<QLabel *, 25> m_lblMyNum{};
    std::array<QWidget *, 25> m_shpMarker{};
    QStringList m_winLines;
    QTimer *m_tmrWinner = nullptr;
};
