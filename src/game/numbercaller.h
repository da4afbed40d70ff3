// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numbers called in this game, in call order, and the number that the
// host's next draw must call instead of a random one. Every window fills one
// from the number-called records; the host's also from its own draws.

#include <QStringList>
#include <array>
#include <optional>

class RandomGenerator;

class NumberCaller
{
public:
    static constexpr int Highest = 100;

    bool Called(int n) const { return n >= 1 && n <= Highest && m_called[n]; }
    int CallCount() const { return int(m_order.size()); }
    // The called numbers in the order they were first marked or drawn.
    const QList<int> &Order() const { return m_order; }
    qint16 ForcedNumber() const { return m_forcedNumber; }

    // A new game: nothing called. The forced number stays until a draw uses it.
    void Reset();
    // Marks n (1 to 100) as called; true when it was not called before.
    bool MarkCalled(int n);

    // Draws one number not yet called, marks it and counts it; nothing when
    // every number has been called. A forced number is used up by the first
    // attempt that sees it: one from 1 to 100 that is not yet called is the
    // draw, any other leaves that attempt to chance.
    std::optional<int> Draw(RandomGenerator &random);

    // The chat command "call N" (the line after its "/"): forces N, read as a
    // 16-bit whole number, half to even; 0 cancels. Anything else that cannot
    // be read leaves the forced number as it was.
    void RunChatCommand(const QString &command);
    // The number a chat command forces, or nothing when it is no such command.
    static std::optional<qint16> CallCommandNumber(const QString &command);

    // A claim holds when every item names a called number and at least five
    // different numbers are named. Items are looked at in order; the first
    // that is not called ends the look.
    bool ClaimHolds(const QStringList &items) const;
    // The items that do not name a called number, as received, each once.
    QStringList Uncalled(const QStringList &items) const;

private:
    std::array<bool, Highest + 1> m_called{}; // index 0 is never called
    QList<int> m_order;
    qint16 m_forcedNumber = 0;
};
