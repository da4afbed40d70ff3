// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a screen reader is told as it happens, wherever the player's focus
// is: the game's news (NewsKind) and BINGO! lighting up. The player chooses
// whether calls, wins and other players' chat are told; a player coming or
// going, a refused claim with its reason, the link's loss and return and
// BINGO! lighting up always are.
//
// Nothing is told twice: a number once a round, a round's win once, the
// link's loss and return only when what is to tell changes, BINGO! only when it
// lights after being dark. What the player asks for (CardState) is told
// every time it is asked.

#include "game/newskind.h"

#include <QObject>
#include <QSet>

class BingoGame;

class Announcer : public QObject
{
    Q_OBJECT
public:
    enum Topic { Calls, Wins, Chat };

    // Follows the game's news from now on; every topic is told at first.
    explicit Announcer(BingoGame &game, QObject *parent = nullptr);

    void SetTold(Topic topic, bool on);
    bool IsTold(Topic topic) const;
    // BINGO! is lit (a claim can be made) or dark.
    void SetBingoLit(bool lit);
    // The player asked where the round stands: the last call and how many
    // numbers on the cards are called and not marked.
    void TellCardState(int calledNotMarked);

signals:
    // Words for the screen reader to say now.
    void Announce(const QString &text);

private:
    void onNews(NewsKind kind, const QString &text);

    BingoGame &m_game;
    bool m_told[3] = {true, true, true};
    QSet<int> m_calledThisRound;
    QSet<QString> m_winsTold; // this round's wins told: each stage's, and each share of it, once
    QString m_linkLost; // what was told of the link since it was last in the game
    bool m_bingoLit = false;
};
