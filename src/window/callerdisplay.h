// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The caller's display: a window of its own, big enough for a room to read
// (a host may put it full-screen on a television). It shows the last number
// called very large, the five before it, how many have been called and, from
// a win to the next round, the winner and their total (in a plan of several
// stages, the stage they won, and the stage played with its pattern). It follows the game's
// records, as the board does, and its text grows and shrinks with it. F11
// switches full screen on and off; Escape leaves it.

#include <QWidget>

class BingoGame;
class BrowserLinkView;
class QLabel;

class CallerDisplay : public QWidget
{
    Q_OBJECT
public:
    static inline const QString Title = QStringLiteral("Kalumo Bingo: caller's display");

    // With a browser link, the display shows it as a QR code beside the calls.
    CallerDisplay(const BingoGame &game, const QString &browserLink, QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();

    const BingoGame &m_game;
    QLabel *m_winner = nullptr;
    QLabel *m_last = nullptr;
    QLabel *m_before = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_stage = nullptr;
    class PatternPicture *m_picture = nullptr;
    BrowserLinkView *m_link = nullptr;
};
