// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/webrequest.h"

#include <QList>

namespace {

WebRequest failure(int status)
{
    WebRequest request;
    request.kind = WebRequest::Kind::Error;
    request.status = status;
    return request;
}

// Whether a header's comma-separated value holds `token`, in any case.
bool holdsToken(const QByteArray &value, QByteArrayView token)
{
    for (const QByteArray &part : value.split(','))
        if (part.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Whether an Origin header names the site of a Host header.
bool sameSite(const QByteArray &origin, const QByteArray &host)
{
    const qsizetype scheme = origin.indexOf("://");
    return scheme > 0 && origin.mid(scheme + 3).compare(host, Qt::CaseInsensitive) == 0;
}

// A key is 16 bytes in base64: 24 characters, the last two "==".
bool wellFormedKey(const QByteArray &key)
{
    const auto decoded = QByteArray::fromBase64Encoding(key, QByteArray::AbortOnBase64DecodingErrors);
    return key.size() == 24 && decoded && decoded.decoded.size() == 16;
}

} // namespace

WebRequest WebRequest::Read(QByteArrayView received)
{
    const qsizetype end = received.indexOf(QByteArrayView("\r\n\r\n"));
    if (end < 0)
        return received.size() >= MaxHead ? failure(431) : WebRequest{};
    if (end + 4 > MaxHead)
        return failure(431);
    const QList<QByteArray> lines = received.first(end).toByteArray().split('\n');
    const QList<QByteArray> start = lines.first().trimmed().split(' ');
    if (start.size() != 3)
        return failure(400);
    if (start[2] != "HTTP/1.1")
        return failure(505);
    if (start[0] != "GET")
        return failure(405);
    QByteArray path = start[1];
    if (const qsizetype query = path.indexOf('?'); query >= 0)
        path.truncate(query);
    if (!path.startsWith('/'))
        return failure(400);

    QByteArray upgrade, connection, key, version, host, origin;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return failure(400);
        const QByteArray name = line.first(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "upgrade")
            upgrade = value;
        else if (name == "connection")
            connection = value;
        else if (name == "sec-websocket-key")
            key = value;
        else if (name == "sec-websocket-version")
            version = value;
        else if (name == "host")
            host = value;
        else if (name == "origin")
            origin = value;
    }

    WebRequest request;
    request.headSize = end + 4;
    if (path != LinkPath) {
        request.kind = Kind::File;
        request.path = path;
        return request;
    }
    if (!holdsToken(upgrade, "websocket") || !holdsToken(connection, "upgrade") || !wellFormedKey(key))
        return failure(400);
    if (version != "13")
        return failure(426);
    // A page from another site may not play in the player's name: a
    // browser names the page's site, and it must be the hub's own.
    if (!origin.isEmpty() && !sameSite(origin, host))
        return failure(403);
    request.kind = Kind::Upgrade;
    request.socketKey = key;
    return request;
}
