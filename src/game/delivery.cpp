// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/delivery.h"

namespace {

DeliveryKind chatKind(const QString &line)
{
    if (line.startsWith(QLatin1Char('/')))
        return DeliveryKind::ChatCommand;
    if (line.startsWith(QLatin1Char('\\')))
        return DeliveryKind::Emote;
    return DeliveryKind::ChatLine;
}

bool senderMay(Sender sender, const Delivery &delivery, const QString &hostName)
{
    switch (sender) {
    case Sender::Nobody:
        return false;
    case Sender::Hub:
        return true; // read from the hub's own sender names
    case Sender::AnyPlayer:
        return true;
    case Sender::Host:
        return delivery.sender == hostName;
    case Sender::NamedPlayer:
        return delivery.sender == delivery.record.name;
    }
    return false;
}

bool inAudience(Audience audience, const Delivery &delivery, const QString &myName, const QString &hostName)
{
    switch (audience) {
    case Audience::Everyone:
        return true;
    case Audience::Host:
        return myName == hostName;
    case Audience::NamedPlayer:
        return delivery.record.name == myName;
    }
    return false;
}

} // namespace

std::optional<Delivery> ReadDelivery(const QString &sender, const QString &data)
{
    if (sender == u"[Enter]")
        return Delivery{DeliveryKind::PlayerEntered, sender, data, {}};
    if (sender == u"[Exit]")
        return Delivery{DeliveryKind::PlayerExited, sender, data, {}};
    const QString body = data.mid(data.indexOf(QLatin1Char(';')) + 1);
    if (data.contains(u"Chat;"))
        return Delivery{chatKind(body), sender, body, {}};
    if (!data.contains(u"Comm;"))
        return std::nullopt;
    const std::optional<CommandRecord> record = CommandRecord::Read(body);
    if (!record)
        return std::nullopt;
    return Delivery{record->kind, sender, {}, *record};
}

bool Counts(const Delivery &delivery, const QString &myName, const QString &hostName)
{
    const DeliveryRule rule = RuleOf(delivery.kind);
    return senderMay(rule.sender, delivery, hostName) && inAudience(rule.audience, delivery, myName, hostName);
}
