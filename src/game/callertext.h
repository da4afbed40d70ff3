// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the caller says and shows: a called number in words, the sentence
// that announces a win, and the texts of the caller's display.

#include <QList>
#include <QString>
#include <QStringList>

namespace CallerText {

// 1 to 100 in words, as a caller reads them: "Seven", "Forty-two",
// "One hundred". Any other number is given in digits.
QString Words(int n);

// "Ann wins, with 3 wins"; a total of 1 is "with 1 win". With a stage
// ("the first stage"): "Ann wins the first stage, with 3 wins".
QString Win(const QString &name, const QString &total, const QString &stage = {});
// Winners who share a stage: "Ann and Bob share the first stage"; without a
// stage, "Ann and Bob share the game".
QString Shared(const QStringList &names, const QString &stage);
// "17", "17 and 42", "17, 42 and 63".
QString Listed(const QStringList &items);

// The caller's display of a round.
struct View
{
    QString last; // the last number called; empty before the first call
    QString before; // the five called before it, newest first, two spaces apart
    QString count; // "No number called yet", "1 number called", "12 numbers called"
    QString winner; // the win sentence while the round's winner stands (names isolated), else empty
    QString stage; // "Now playing stage 2 of 3, Two lines" in a plan of several stages
};
// The display for the called numbers in call order and the sentence of the
// round's last win (empty: nobody has won).
View ViewOf(const QList<int> &order, const QString &winner);

} // namespace CallerText
