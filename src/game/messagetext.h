// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The message texts players send each other through the hub, "Chat;LINE" for
// a chat line and "Comm;RECORD" for a command record (docs/protocol.md),
// and how a chat line shows in the chat log.

#include <QString>

namespace MessageText {

inline constexpr int SenderFieldWidth = 15;
// A chat line longer than this is cut, both where it is typed and where it
// is shown, and ends with CutMark: one peer's endless line costs the other
// windows no more than an ordinary one to lay out.
inline constexpr qsizetype MaxChatLength = 400;
inline const QString CutMark = QStringLiteral(" [\u2026]");

// The line as it may be sent or shown: itself, or cut to MaxChatLength
// characters including the mark. A cut line stays as it is when cut again.
QString CutChatLine(const QString &line);

// Sender followed by ":", padded with blanks or cut to 15 characters.
QString SenderField(const QString &sender);

// The log lines of a chat line and of an emote (the line with its leading
// "\"), both cut: "Ann:           hello" and "*Ann waves".
QString ChatLogLine(const QString &sender, const QString &line);
QString EmoteLogLine(const QString &sender, const QString &line);

// The message text for a typed chat line: "Chat;" and the line less every
// ";", cut.
QString ChatMessage(const QString &typed);
// The message text for a command record: "Comm;" and the record.
QString CommandMessage(const QString &record);

} // namespace MessageText
