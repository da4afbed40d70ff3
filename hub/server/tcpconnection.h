// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection of TcpTransport: what tcptransport.cpp and tcptransportweb.cpp share.

#include "server/socketstream.h"
#include "server/tcptransport.h"
#include "server/uniquefd.h"
#include "server/webconnection.h"

#include <QByteArray>
#include <QHostAddress>

#include <memory>

struct TcpTransport::Connection
{
    // What the connection carries, known from its first byte.
    enum class Kind : quint8 { Unknown, Frames, Web };

    explicit Connection(UniqueFd socket)
        : fd(std::move(socket))
        , stream(fd.Get())
    {}
    quint64 id = 0;
    UniqueFd fd;
    QByteArray out;
    qsizetype outAt = 0;
    QHostAddress peer;
    bool dirty = false;
    bool watchingWrites = false;
    bool closing = false; // Close was called: nothing more is read or sent
    bool sniffing = false; // over TLS: nothing read yet, so TLS has not started
    Kind kind = Kind::Unknown;
    std::unique_ptr<WebConnection> web; // a browser's only
    SocketStream stream; // after fd: it goes first
    StreamWaits waits;
};
