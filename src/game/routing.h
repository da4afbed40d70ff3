#pragma once
// What a game window does with one delivery from the game link. Deciding is
// kept apart from doing, so the rules can be checked without a window.
//
// In order, the first that holds:
//   Sender "[Enter]"          add Data to the player list, log it (kind 1)
//   Sender "[Exit]"           remove the first listed Data, log it (kind 2)
//   Data contains "Chat;"     body after the first ";":
//                               "/..."  run as a chat command, not shown
//                               "\..."  emote line (kind 5)
//                               else    sender field + body (kind 3)
//                             a shown body is cut to MaxChatLength
//   Data contains "Comm;"     evaluate the command record after the first ";"
//   otherwise                 ignored

#include <QString>

namespace Routing {

inline constexpr int SenderFieldWidth = 15;
// A chat line longer than this is cut, both where it is typed and where it
// is shown, and ends with CutMark: one peer's endless line costs the other
// windows no more than an ordinary one to lay out.
inline constexpr qsizetype MaxChatLength = 400;
inline const QString CutMark = QStringLiteral(" [\u2026]");

// The line as it may be sent or shown: itself, or cut to MaxChatLength
// characters including the mark. A cut line stays as it is when cut again.
QString CutChatLine(const QString &line);

enum class Action { AddPlayer, RemovePlayer, Log, ChatCommand, Command, Ignore };

struct Route
{
    Action action = Action::Ignore;
    QString text;   // the name, the log line, the chat command or the record
    int logType = 0; // the chat log kind for AddPlayer, RemovePlayer and Log
};

// Sender followed by ":", padded with blanks or cut to 15 characters.
QString SenderField(const QString &sender);

Route RouteDelivery(const QString &sender, const QString &data);

// Whether a routed delivery may take effect, given who the link says sent
// it. Only the host steers the game: chat commands and the records of kinds
// 1 to 3, 5 and 6 count only from the host, and a claim only in its sender's own
// name. Whatever fails here is dropped silently, neither shown nor run.
bool SenderMayAct(const Route &route, const QString &sender, const QString &hostName);

// The message text for a typed chat line: "Chat;" and the line less every
// ";", cut.
QString ChatMessage(const QString &typed);
// The message text for a command record: "Comm;" and the record.
QString CommandMessage(const QString &record);

} // namespace Routing
