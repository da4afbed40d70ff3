#pragma once
// What a bingo card needs from the window that holds it.

#include <QString>

class CardOwner
{
public:
    virtual ~CardOwner() = default;

    // A card found a complete line: its five numbers, in the line's order.
    virtual void SetWin(const QString &MyVal1, const QString &MyVal2, const QString &MyVal3,
                        const QString &MyVal4, const QString &MyVal5) = 0;
    // Whether a claim can be made now; when it can, the card enables BINGO!.
    virtual bool ClaimAllowed() const = 0;
    virtual void EnableBingo() = 0;
};
