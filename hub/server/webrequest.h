// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one HTTP request a browser's connection to the hub makes: a GET of one
// of the page's files, or of the game link's WebSocket upgrade
// (docs/protocol.md, "The browser player"). The hub reads nothing else of
// HTTP: another method, another version, a head too long or a broken upgrade
// is answered with an error status and the connection closes.

#include <QByteArray>
#include <QByteArrayView>

struct WebRequest
{
    // A head longer than this is refused: the page's requests need far less.
    static constexpr qsizetype MaxHead = 8192;
    // The path that upgrades to the game link.
    static constexpr char LinkPath[] = "/ws";

    enum class Kind { Incomplete, File, Upgrade, Error };
    Kind kind = Kind::Incomplete;
    int status = 0; // Error: the HTTP status to answer with
    QByteArray path; // File: the path asked for, without its query
    QByteArray socketKey; // Upgrade: the client's Sec-WebSocket-Key
    qsizetype headSize = 0; // File and Upgrade: the bytes the head took

    // Reads the head at the start of what the connection has sent so far.
    static WebRequest Read(QByteArrayView received);
};
