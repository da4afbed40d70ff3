// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the hub says to a window outside the game's own traffic, and how both
// ends notice that the other has vanished without closing the connection.
// docs/protocol.md describes the frames.

#include <QString>

namespace HubControl {

// The sender of a control frame; no player's name can start with "[".
inline const QString Sender = QStringLiteral("[Hub]");
inline const QString Ping = QStringLiteral("Ping");
inline const QString Refused = QStringLiteral("Refused");
// Resuming a seat: the seat's secret after a join, the end of a resume's
// replay, and a resume refused (the window may join afresh).
inline const QString Seat = QStringLiteral("Seat");
inline const QString Resumed = QStringLiteral("Resumed");
inline const QString NoSeat = QStringLiteral("NoSeat");
// Who hosts the game, from a hub that holds one game: after a join's Seat
// frame, before the replay of who is there.
inline const QString HostName = QStringLiteral("HostName");
// The heartbeat: the hub promises to write to the window at least every so
// many milliseconds (the frame's text). Away and Back: a player of the game
// fell silent or lost its connection, and came back.
inline const QString Heartbeat = QStringLiteral("Heartbeat");
// Beat: the hub listens for the window's own beat (a "B" record) when the
// window has written nothing for so many milliseconds (the frame's text);
// it then pings that window only as seldom as before the heartbeat.
inline const QString Beat = QStringLiteral("Beat");
inline const QString Away = QStringLiteral("Away");
inline const QString Back = QStringLiteral("Back");
// The room: a hub that acts on the host's requests sends a bare "Room" frame
// to each window that joins or resumes, then one frame per thing that holds
// ("locked", "paused", "muted" ÿ NAME); each request it acts on later goes
// to every window as "Room" ÿ verb [ÿ NAME].
inline const QString Room = QStringLiteral("Room");
// A display's join is done: it follows the game from here on, as a seat
// that is in nobody's player list (docs/protocol.md, "Display seats").
inline const QString Display = QStringLiteral("Display");
// The host ended the game on purpose: the host's name; the hub then closes.
inline const QString GameEnded = QStringLiteral("GameEnded");

// The hub looks at each connection this often and pings it when nothing
// went either way for half of that, so no more than HeartbeatGapMs pass
// between two frames it writes to a window that answers.
inline constexpr int HeartbeatMs = 2000;
inline constexpr int HeartbeatGapMs = 3000;
// A peer heard from and then silent this long is away; one silent for
// SilenceMs is dead.
inline constexpr int AwayMs = 4000;
inline constexpr int SilenceMs = 45000;
// A window that beats writes at least every BeatMs, and gives its link up
// when what it wrote is not acknowledged by the hub's machine within
// AwayMs - BeatMs: it notices a dead path within AwayMs, as the hub notices
// its silence, with one frame each way instead of two. The hub still pings
// it when it wrote nothing to it for BeatPingMs.
inline constexpr int BeatMs = 2500;
inline constexpr int BeatPingMs = 15000;

// The delivery texts ("[Hub]" ÿ ...) of the two control frames.
QString PingDelivery();
QString RefusalDelivery(const QString &text);
// Any other control frame: "[Hub]" ÿ verb, then ÿ text when there is one.
QString Delivery(const QString &verb, const QString &text = {});

struct Control
{
    QString verb;
    QString text; // empty when the frame has none
};
// A control frame's data (what follows "[Hub]" ÿ) read into verb and text.
Control Read(const QString &data);

// Turns on TCP keepalive with short settings and a user timeout, so the
// kernel ends a connection whose peer vanished within about SilenceMs,
// whether it is idle or still sending. False when the socket refused them.
bool WatchForDeadPeer(qintptr descriptor);
// Ends the connection when data written to it stays unacknowledged for ms
// (TCP_USER_TIMEOUT). False when the socket refused it.
bool GiveUpUnacknowledgedAfter(qintptr descriptor, int ms);

} // namespace HubControl
