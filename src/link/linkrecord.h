// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The records a game window sends the hub: identify, the host's secret,
// announce (the join), message and the answer to the hub's Ping
// (docs/protocol.md). The window's link builds them; the hub reads them back
// with Parse.

#include <QString>
#include <optional>

namespace LinkRecord {

inline constexpr QChar Separator = QChar(0x00FF);
// What a window announces itself with; the hub reads only the name from it.
inline const QString Caption = QStringLiteral("Kalumo Bingo");

QString Identify(const QString &key, quint64 windowHandle);
QString HostSecret(const QString &key, const QString &secret);
QString Announce(const QString &key, const QString &caption, const QString &name);
QString Message(const QString &key, const QString &messageText);
QString PingAnswer(const QString &key);
// Only to a hub that has sent a "Beat" control frame: the window is there.
QString Beat(const QString &key);
// Only to a hub that has given this window a seat (a "Seat" control frame):
// the count of deliveries received since then, the resume of a seat on a new
// connection, and the goodbye of a window that closes.
QString Acknowledge(const QString &key, quint64 count);
QString Resume(const QString &key, const QString &name, const QString &secret, quint64 count);
QString Leave(const QString &key);
// From the host's window only: the game ends for everyone.
QString EndGame(const QString &key);
// In place of "I" and "A": joins game KEY as a display, a seat that follows
// the game without playing in it (docs/protocol.md, "Display seats").
QString DisplayJoin(const QString &key);
// From the host's window only, to a hub that has sent it a "Room" control
// frame: a request about the room (RoomRequest's word), with the player it
// names when it names one.
QString Room(const QString &key, const QString &verb, const QString &name = {});

// Whether the join records can carry this key and name: neither holds the
// separator, and the "A" record fits in one frame.
bool CanJoinWith(const QString &key, const QString &caption, const QString &name);

struct Parsed
{
    QChar kind; // 'I', 'S', 'A', 'C', 'P', 'B', 'K', 'R', 'X', 'E', 'H' or 'D'
    QString key;
    QString name; // "A" and "R": the player's name; "H": the player it names, if any
    QString messageText; // "C" only
    QString verb; // "H" only: the request's word
    QString secret; // "S": the host's; "R": the seat's
    quint64 count = 0; // "K" and "R"
};

// Nothing for a record of another form: not starting with "G", an unknown
// kind, or an "A" record whose last field does not end with the field before it.
std::optional<Parsed> Parse(const QString &record);

} // namespace LinkRecord
