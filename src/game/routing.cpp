#include "game/routing.h"

#include "game/commandrecord.h"

namespace Routing {

QString SenderField(const QString &sender)
{
    return (sender + QLatin1Char(':')).leftJustified(SenderFieldWidth, QLatin1Char(' '), true);
}

QString CutChatLine(const QString &line)
{
    if (line.size() <= MaxChatLength)
        return line;
    qsizetype keep = MaxChatLength - CutMark.size();
    // Never half of a character written as a surrogate pair.
    if (line.at(keep - 1).isHighSurrogate())
        --keep;
    return line.left(keep) + CutMark;
}

static Route chatRoute(const QString &sender, const QString &fullBody)
{
    if (fullBody.startsWith(QLatin1Char('/')))
        return {Action::ChatCommand, fullBody.mid(1), 0};
    const QString body = CutChatLine(fullBody);
    const QString field = SenderField(sender);
    if (body.startsWith(QLatin1Char('\\'))) {
        // The name is the field up to its ":". A sender of 15 characters or
        // more has lost the ":" to the cut, and shows the whole field.
        const qsizetype colon = field.indexOf(QLatin1Char(':'));
        const QString name = colon < 0 ? field : field.left(colon);
        return {Action::Log, QLatin1Char('*') + name + QLatin1Char(' ') + body.mid(1), 5};
    }
    return {Action::Log, field + body, 3};
}

Route RouteDelivery(const QString &sender, const QString &data)
{
    if (sender == u"[Enter]")
        return {Action::AddPlayer, data, 1};
    if (sender == u"[Exit]")
        return {Action::RemovePlayer, data, 2};
    if (data.contains(u"Chat;"))
        return chatRoute(sender, data.mid(data.indexOf(QLatin1Char(';')) + 1));
    if (data.contains(u"Comm;"))
        return {Action::Command, data.mid(data.indexOf(QLatin1Char(';')) + 1), 0};
    return {};
}

bool SenderMayAct(const Route &route, const QString &sender, const QString &hostName)
{
    switch (route.action) {
    case Action::ChatCommand:
        return sender == hostName;
    case Action::Command: {
        const std::optional<int> kind = CommandRecord::KindOf(route.text);
        if (kind == CommandRecord::Claim)
            return CommandRecord::SecondField(route.text) == sender;
        if (kind == CommandRecord::NumberCalled || kind == CommandRecord::NewGame
            || kind == CommandRecord::WinConfirmed || kind == CommandRecord::CatchUp
            || kind == CommandRecord::ClaimRefused)
            return sender == hostName;
        return true; // not a record anybody acts on
    }
    default:
        return true;
    }
}

QString ChatMessage(const QString &typed)
{
    QString line = typed;
    line.remove(QLatin1Char(';'));
    return QStringLiteral("Chat;") + CutChatLine(line);
}

QString CommandMessage(const QString &record)
{
    return QStringLiteral("Comm;") + record;
}

} // namespace Routing
