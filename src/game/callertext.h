// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the caller says and shows: a called number in words, the sentence
// that announces a win, and the texts of the caller's display.

#include <QList>
#include <QString>

namespace CallerText {

// 1 to 100 in words, as a caller reads them: "Seven", "Forty-two",
// "One hundred". Any other number is given in digits.
QString Words(int n);

// "Ann wins, with 3 wins"; a total of 1 is "with 1 win".
QString Win(const QString &name, const QString &total);

// The caller's display of a round.
struct View
{
    QString last; // the last number called; empty before the first call
    QString before; // the five called before it, newest first, two spaces apart
    QString count; // "No number called yet", "1 number called", "12 numbers called"
    QString winner; // the win sentence while the round's winner stands (the name isolated), else empty
};
// The display for the called numbers in call order and the round's winner
// (empty name: nobody has won).
View ViewOf(const QList<int> &order, const QString &winnerName, const QString &winnerTotal);

} // namespace CallerText
