#pragma once
// The command records that keep every window of a game in step: number
// called, new game, win confirmed and claim (README.md, "The game link
// protocol"). Read parses a record into what its kind needs; a record the
// program never sends (an unknown kind, a kind or called number that is not a
// whole number, a called number outside 1 to 100, a missing field) reads as
// nothing, and is then ignored without a message.

#include <QString>
#include <QStringList>
#include <optional>

struct CommandRecord
{
    enum Kind { NumberCalled = 1, NewGame = 2, WinConfirmed = 3, Claim = 4 };

    Kind kind = NumberCalled;
    int number = 0;     // NumberCalled: the number, 1 to 100
    QString text;       // NumberCalled: the number as received; NewGame: the seconds
                        // as typed; WinConfirmed: the total as received
    QString name;       // WinConfirmed: the winner; Claim: the claimant
    QStringList items;  // Claim: the claimed numbers as received, split at "@"

    static std::optional<CommandRecord> Read(const QString &record);

    // The kind alone, when the first field is a whole number; for deciding who
    // may send a record before it is read in full.
    static std::optional<int> KindOf(const QString &record);
    // The second field, the claimant of a claim; nothing when there is none.
    static std::optional<QString> SecondField(const QString &record);

    static QString Called(int number);
    static QString StartGame(const QString &seconds);
    static QString Won(const QString &name, int total);
    static QString MakeClaim(const QString &name, const QStringList &numbers);
};

// The whole number that a text holds, or nothing: decimal text that needs no
// rounding ("7", "07", " 7 ", "7."), within the range of an int.
std::optional<int> WholeNumber(const QString &text);
