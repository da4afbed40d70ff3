// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The browser player's page: the files of web/ compiled into the hub, and
// the HTTP answers the hub gives a browser (docs/protocol.md, "The browser
// player").

#include <QByteArray>

namespace WebPage {

// The whole answer to a GET of `path`: the file with its type, or 404.
QByteArray FileResponse(const QByteArray &path);
// An answer that says only its status, for a request the hub refuses.
QByteArray ErrorResponse(int status);
// The answer that switches the connection to the game link's WebSocket.
QByteArray UpgradeResponse(const QByteArray &socketKey);
// The bytes of every file served, together: the page's weight.
qint64 Weight();

} // namespace WebPage
