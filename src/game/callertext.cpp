// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/callertext.h"

#include "support/playername.h"

#include <QStringList>

namespace CallerText {

QString Words(int n)
{
    static const char *const ones[] = {"",         "One",     "Two",     "Three",     "Four",     "Five",    "Six",
                                       "Seven",    "Eight",   "Nine",    "Ten",       "Eleven",   "Twelve",  "Thirteen",
                                       "Fourteen", "Fifteen", "Sixteen", "Seventeen", "Eighteen", "Nineteen"};
    static const char *const tens[]
        = {"", "", "Twenty", "Thirty", "Forty", "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};
    if (n == 100)
        return QStringLiteral("One hundred");
    if (n < 1 || n > 100)
        return QString::number(n);
    if (n < 20)
        return QString::fromLatin1(ones[n]);
    QString words = QString::fromLatin1(tens[n / 10]);
    // The units follow the tens lower-cased: a caller says one word, "Forty-two".
    if (n % 10)
        words += u'-' + QString::fromLatin1(ones[n % 10]).toLower();
    return words;
}

QString Win(const QString &name, const QString &total, const QString &stage)
{
    const QString wins = stage.isEmpty() ? QStringLiteral("wins") : QStringLiteral("wins ") + stage;
    return QStringLiteral("%1 %2, with %3 %4")
        .arg(name, wins, total, total == u"1" ? QStringLiteral("win") : QStringLiteral("wins"));
}

QString Shared(const QStringList &names, const QString &stage)
{
    return QStringLiteral("%1 share %2").arg(Listed(names), stage.isEmpty() ? QStringLiteral("the game") : stage);
}

QString Listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
}

View ViewOf(const QList<int> &order, const QString &winner)
{
    View view;
    const qsizetype count = order.size();
    if (count > 0)
        view.last = QString::number(order.last());
    QStringList before;
    for (qsizetype i = count - 2; i >= 0 && i >= count - 6; --i)
        before << QString::number(order[i]);
    view.before = before.join(QStringLiteral("  "));
    view.count = count == 0 ? QStringLiteral("No number called yet")
        : count == 1        ? QStringLiteral("1 number called")
                            : QStringLiteral("%1 numbers called").arg(count);
    view.winner = winner;
    return view;
}

} // namespace CallerText
