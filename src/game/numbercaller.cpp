// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/numbercaller.h"

#include "game/commandrecord.h"
#include "support/randomgenerator.h"
#include "support/textnum.h"

#include <QStringList>
#include <bitset>

void NumberCaller::Reset()
{
    m_called.fill(false);
    m_order.clear();
}

bool NumberCaller::MarkCalled(int n)
{
    if (n < 1 || n > Highest || m_called[n])
        return false;
    m_called[n] = true;
    m_order.append(n);
    return true;
}

std::optional<int> NumberCaller::Draw(RandomGenerator &random)
{
    // With every number called no attempt could ever succeed.
    if (CallCount() >= Highest)
        return std::nullopt;

    // Each attempt reseeds (RandomGenerator::Next does) and looks at the
    // forced number afresh. Some number is uncalled, so chance finds it.
    for (;;) {
        int n = int(random.Next() * Highest) + 1;
        if (m_forcedNumber != 0) {
            const int forced = m_forcedNumber;
            m_forcedNumber = 0;
            if (forced >= 1 && forced <= Highest)
                n = forced;
        }
        if (MarkCalled(n))
            return n;
    }
}

std::optional<qint16> NumberCaller::CallCommandNumber(const QString &command)
{
    // Words are cut at every single blank: "call  7" has an empty second word.
    const QStringList words = command.split(QLatin1Char(' '));
    if (words.size() < 2 || words.at(0) != u"call")
        return std::nullopt;
    return TextNum::ToInt16(words.at(1));
}

void NumberCaller::RunChatCommand(const QString &command)
{
    if (const std::optional<qint16> number = CallCommandNumber(command))
        m_forcedNumber = *number;
}

bool NumberCaller::ClaimHolds(const QStringList &items) const
{
    // Repeating one called number is not a line: count each number once.
    std::bitset<Highest + 1> named;
    for (const QString &item : items) {
        const std::optional<int> n = WholeNumber(item);
        if (!n || !Called(*n))
            return false;
        named.set(*n);
    }
    return named.count() >= 5;
}

QStringList NumberCaller::Uncalled(const QStringList &items) const
{
    QStringList uncalled;
    for (const QString &item : items) {
        const std::optional<int> n = WholeNumber(item);
        if ((!n || !Called(*n)) && !uncalled.contains(item))
            uncalled << item;
    }
    return uncalled;
}
