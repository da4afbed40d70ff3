#pragma once
// A bingo card: 25 numbers under a BINGO heading, marked by clicks.

#include <QWidget>

class CardOwner;
class RandomGenerator;

class ctlCard : public QWidget
{
    Q_OBJECT
public:
    ctlCard(CardOwner &owner, RandomGenerator &random, QWidget *parent = nullptr);

    void GenNumbers();
    void ResetMarks();
    void MyWin(bool MyID);

private:
    CardOwner &m_owner;
    RandomGenerator &m_random;
};
