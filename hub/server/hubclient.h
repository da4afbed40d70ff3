// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection of the hub, and its seat in a game: what hub.cpp and
// hubseats.cpp share, and nothing else sees.

#include "link/framecodec.h"
#include "server/tokenbucket.h"

#include <QHostAddress>
#include <QList>
#include <QObject>

class QTimer;

// One connection. It is deleted with deleteLater only, so a handler that is
// still working with it when its connection goes away never touches freed
// memory.
struct HubClient : QObject
{
    using QObject::QObject;
    quint64 id = 0;
    Frame::Reader reader;
    QString key;
    QString name;
    QString nameKey; // the name as compared with the others of its game
    QByteArray hostSecret; // from the "S" record, UTF-8
    QHostAddress address;
    TokenBucket records;
    TokenBucket bytes;
    bool joined = false;
    bool display = false; // joined as a display seat: no name, no cards
    bool answersPings = false;
    bool beats = false; // it sends a beat of its own, so needs Pings only seldom
    QByteArray beatFrame; // its beat as it comes, once it beats
    qint64 lastHeardMs = 0; // on the hub's clock
    qint64 lastWrittenMs = 0;
    bool away = false; // its game has been told it is away
    bool dropping = false; // no more reading from or writing to it
    bool forgotten = false; // gone from m_clients; deleted soon

    // The seat, for a window that resumes: the deliveries since its Seat
    // frame that it has not acknowledged, sharing their bytes with the other
    // seats of the game. A window that never acknowledges is an older one,
    // and nothing is kept for it.
    QString secret;
    QList<QByteArray> kept; // unlike a deque, nothing allocated while empty
    quint64 sent = 0; // deliveries since the Seat frame
    qint64 keptBytes = 0;
    // Kept from the Seat frame on, since the window's first acknowledgement
    // may come after deliveries it then misses when its link is lost at once.
    bool keeping = false;
    bool resumes = false; // it has acknowledged: its seat waits for a resume
    bool absent = false; // no connection: waiting for a resume
    QTimer *grace = nullptr;
};

// The hub's senders for a player who came and one who went.
inline const QString Enter = QStringLiteral("[Enter]");
inline const QString Exit = QStringLiteral("[Exit]");
// Each heartbeat is cut into this many ticks, and each tick pings the
// connections of one slice, so that thousands of Pings, and their answers,
// never all go at once.
inline constexpr int HeartbeatSlices = 8;
// What is kept for a seat whose window has not acknowledged anything yet:
// enough for the replay of a crowded game's join and what follows it.
inline constexpr qint64 UnacknowledgedKeptBytes = 16 * 1024;

// Takes as long for a wrong secret as for the right one, wherever the two
// differ, so timing a refusal tells nothing about the secret.
bool SameSecret(const QByteArray &a, const QByteArray &b);
