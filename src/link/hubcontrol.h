#pragma once
// What the hub says to a window outside the game's own traffic, and how both
// ends notice that the other has vanished without closing the connection.
// The README's section "The game link protocol" describes the frames.

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
// The host ended the game on purpose: the host's name; the hub then closes.
inline const QString GameEnded = QStringLiteral("GameEnded");

inline constexpr int PingIntervalMs = 15000;
// A peer that has answered a Ping and then stays silent this long is dead.
inline constexpr int SilenceMs = 45000;

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

} // namespace HubControl
