// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command records that keep every window of a game in step: number
// called, new game, win confirmed, claim, catch-up and claim refused
// (docs/protocol.md). Read is the one place a record is
// parsed: a record the program never sends (an unknown kind, a kind or called
// number that is not a whole number, a called number outside 1 to 100, a
// seed that is not one, a missing field) reads as nothing, and is then ignored without a message.

#include "game/deliverykind.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct CommandRecord
{
    DeliveryKind kind = DeliveryKind::NumberCalled;
    int number = 0; // NumberCalled: the number, 1 to 100
    QString text; // NumberCalled: the number as received; NewGame, CatchUp: the
        // seconds as typed; WinConfirmed: the total as received;
        // ClaimRefused: why
    QString name; // WinConfirmed: the winner; Claim: the claimant; CatchUp,
        // ClaimRefused, HostBack: the player it is meant for
    QString seed; // RoundSeed; CatchUp: the seed the latecomer deals from, if any
    bool cardUnchecked = false; // WinConfirmed: the host could not check the winner's card
    int stage = 0; // Claim: the stage claimed, 0 when the record names none
        // (it claims the first), -1 when it names no stage number;
        // WinConfirmed: the stage won, 0 when the record names none;
        // StagePlan: the stage played
    QStringList items; // StagePlan: the plan's pattern tokens; Claim: the claimed numbers; CatchUp: the called numbers;
        // ClaimRefused: the detail. As received, split at "@";
        // an empty field gives no items but in a claim

    static std::optional<CommandRecord> Read(const QString &record);

    static QString Called(int number);
    static QString StartGame(const QString &seconds);
    static QString Won(const QString &name, int total, int stage, bool cardUnchecked = false);
    static QString MakeClaim(const QString &name, const QList<int> &numbers, int stage);
    // A seed, when given, goes in a fifth field, which earlier releases ignore.
    static QString MakeCatchUp(const QString &name, const QString &seconds, const QList<int> &called,
                               const QString &seed = {});
    static QString RefuseClaim(const QString &name, const QString &why, const QStringList &detail = {});
    static QString HostBack(const QString &name);
    static QString RoundSeed(const QString &seed);
    static QString DealsFromSeed(const QString &name);
    static QString AnnouncePlan(int stage, const QString &planText);
};

// The whole number that a text holds, or nothing: decimal text that needs no
// rounding ("7", "07", " 7 ", "7."), within the range of an int.
std::optional<int> WholeNumber(const QString &text);
