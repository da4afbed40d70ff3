#pragma once
// The host's calling: which numbers have been called in this game, how many,
// and the number that the next draw must call instead of a random one.
// Every window keeps one, but only the host's fills it (from its own draws
// and the number-called records), so only the host's can judge a claim.

#include <QStringList>
#include <array>
#include <optional>

class RandomGenerator;

class NumberCaller
{
public:
    static constexpr int Highest = 100;

    bool Called(int n) const { return n >= 1 && n <= Highest && m_called[n]; }
    int CallCount() const { return m_callCount; }
    qint16 ForcedNumber() const { return m_forcedNumber; }

    // A new game: nothing called. The forced number stays until a draw uses it.
    void Reset();
    // Marks n (1 to 100) as called, without counting it as a draw of this window.
    void MarkCalled(int n);

    // Draws one number not yet called, marks it and counts it; nothing when
    // every number has been called. A forced number is used up by the first
    // attempt that sees it: one from 1 to 100 that is not yet called is the
    // draw, any other leaves that attempt to chance.
    std::optional<int> Draw(RandomGenerator &random);

    // The chat command "call N" (the line after its "/"): forces N, read as a
    // 16-bit whole number, half to even; 0 cancels. Anything else that cannot
    // be read leaves the forced number as it was.
    void RunChatCommand(const QString &Data);

    // A claim holds when every item names a called number and at least five
    // different numbers are named. Items are looked at in order; the first
    // that is not called ends the look.
    bool ClaimHolds(const QStringList &items) const;

private:
    std::array<bool, Highest + 1> m_called{}; // index 0 is never called
    int m_callCount = 0;
    qint16 m_forcedNumber = 0;
};
