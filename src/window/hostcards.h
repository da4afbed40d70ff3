// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The host's menu entries for cards: "Only checked cards can win" (on at
// first, remembered between runs), "Print paper cards…" and "Check a paper
// card…", whose answers come from the host's game.

#include <QObject>

class BingoGame;
class MessageBoxes;
class QMenu;
class QSettings;
class QWidget;

class HostCards : public QObject
{
    Q_OBJECT
public:
    HostCards(BingoGame &game, MessageBoxes &boxes, QSettings &settings, QMenu &menu, QWidget &window);

    // What "Check a paper card…" does once a number is typed in: says
    // whether the card holds a called line and, if the host confirms,
    // announces its win.
    void CheckPaperCard(int number);

private:
    void printPaperCards();

    BingoGame &m_game;
    MessageBoxes &m_boxes;
    QWidget &m_window;
};
