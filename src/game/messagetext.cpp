// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/messagetext.h"

#include "support/playername.h"

#include <algorithm>

namespace MessageText {

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

QString ChatLogLine(const QString &sender, const QString &line)
{
    // The name is isolated inside the field, which keeps its width in
    // characters that draw.
    const QString field = SenderField(sender);
    const qsizetype nameLength = std::min<qsizetype>(sender.size(), SenderFieldWidth);
    return PlayerName::Shown(field.left(nameLength)) + field.mid(nameLength) + CutChatLine(line);
}

QString EmoteLogLine(const QString &sender, const QString &line)
{
    // The name is the field up to its ":". A sender of 15 characters or
    // more has lost the ":" to the cut, and shows the whole field.
    const QString field = SenderField(sender);
    const qsizetype colon = field.indexOf(QLatin1Char(':'));
    const QString name = colon < 0 ? field : field.left(colon);
    return QLatin1Char('*') + PlayerName::Shown(name) + QLatin1Char(' ') + CutChatLine(line).mid(1);
}

QString ChatMessage(const QString &typed)
{
    QString line = typed;
    line.remove(QLatin1Char(';'));
    return QStringLiteral("Chat;") + CutChatLine(line);
}

QString CommandMessage(const QString &record) { return QStringLiteral("Comm;") + record; }

} // namespace MessageText
