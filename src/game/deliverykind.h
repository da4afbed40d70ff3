// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every kind of delivery a game acts on, and beside each who may send it and
// whose game acts on it (docs/protocol.md).
//
// RuleOf names each kind in a switch without a default, so a kind added here
// and not there is a compiler warning; until it has a rule, nobody's
// delivery of it counts. A new command record is one more kind with its
// record number, one more case in CommandRecord::Read and one in
// BingoGame::Deliver, each a switch of the same kind.

#include <optional>

enum class DeliveryKind {
    PlayerEntered, // "[Enter]" ÿ NAME: a player came
    PlayerExited, // "[Exit]" ÿ NAME: a player went
    ChatLine, // "Chat;LINE"
    Emote, // "Chat;\ACTION"
    ChatCommand, // "Chat;/COMMAND"
    NumberCalled, // "Comm;1|N"
    NewGame, // "Comm;2|ResetMe|SECONDS"
    WinConfirmed, // "Comm;3|NAME|TOTAL|STAGE"
    Claim, // "Comm;4|NAME|A@B@C@D@E|STAGE"
    CatchUp, // "Comm;5|NAME|SECONDS|N@N@..."
    ClaimRefused, // "Comm;6|NAME|WHY|DETAIL"
    HostBack, // "Comm;7|NAME": the host's window came back to the round NAME plays
    RoundSeed, // "Comm;8|SEED": the next round's cards are dealt from SEED
    DealsFromSeed, // "Comm;9|NAME": NAME's window deals its cards from the seed
    StagePlan, // "Comm;10|STAGE|PLAN": the round's plan and the stage played
};

// Who may send a delivery of a kind.
enum class Sender {
    Nobody, // a kind without a rule
    Hub, // the hub, as "[Enter]" or "[Exit]"
    AnyPlayer,
    Host, // the host player named on the command line
    NamedPlayer, // the player the command record names, in their own name only
};

// Whose game acts on a delivery of a kind.
enum class Audience {
    Everyone,
    Host, // the host's game alone
    NamedPlayer, // the game of the player the command record names
};

struct DeliveryRule
{
    Sender sender;
    Audience audience;
    int recordNumber; // the command record's first field; 0: not a command record
};

constexpr DeliveryRule RuleOf(DeliveryKind kind)
{
    switch (kind) {
    case DeliveryKind::PlayerEntered:
    case DeliveryKind::PlayerExited:
        return {Sender::Hub, Audience::Everyone, 0};
    case DeliveryKind::ChatLine:
    case DeliveryKind::Emote:
        return {Sender::AnyPlayer, Audience::Everyone, 0};
    case DeliveryKind::ChatCommand:
        return {Sender::Host, Audience::Everyone, 0};
    case DeliveryKind::NumberCalled:
        return {Sender::Host, Audience::Everyone, 1};
    case DeliveryKind::NewGame:
        return {Sender::Host, Audience::Everyone, 2};
    case DeliveryKind::WinConfirmed:
        return {Sender::Host, Audience::Everyone, 3};
    case DeliveryKind::Claim:
        return {Sender::NamedPlayer, Audience::Host, 4};
    case DeliveryKind::CatchUp:
        return {Sender::Host, Audience::NamedPlayer, 5};
    case DeliveryKind::ClaimRefused:
        return {Sender::Host, Audience::NamedPlayer, 6};
    case DeliveryKind::HostBack:
        return {Sender::Host, Audience::NamedPlayer, 7};
    case DeliveryKind::RoundSeed:
        return {Sender::Host, Audience::Everyone, 8};
    case DeliveryKind::DealsFromSeed:
        return {Sender::NamedPlayer, Audience::Host, 9};
    case DeliveryKind::StagePlan:
        return {Sender::Host, Audience::Everyone, 10};
    }
    return {Sender::Nobody, Audience::Everyone, 0};
}

// The kind of command record whose first field is `recordNumber`; nothing
// for a number no kind has. The kinds are numbered from 0 without a gap, so
// the first number without a rule ends the look.
constexpr std::optional<DeliveryKind> CommandKindOf(int recordNumber)
{
    for (int k = 0; recordNumber > 0 && RuleOf(DeliveryKind(k)).sender != Sender::Nobody; ++k) {
        if (RuleOf(DeliveryKind(k)).recordNumber == recordNumber)
            return DeliveryKind(k);
    }
    return std::nullopt;
}
