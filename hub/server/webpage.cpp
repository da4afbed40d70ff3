// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/webpage.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QHash>

namespace {

struct File
{
    QByteArray type;
    QByteArray body;
};

// Where the build puts web/ among the program's resources.
const QString Root = QStringLiteral(":/web");

QByteArray typeOf(const QString &name)
{
    static const QHash<QString, QByteArray> types = {
        {QStringLiteral("html"), "text/html; charset=utf-8"},
        {QStringLiteral("js"), "text/javascript; charset=utf-8"},
        {QStringLiteral("mjs"), "text/javascript; charset=utf-8"},
        {QStringLiteral("css"), "text/css; charset=utf-8"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("ico"), "image/x-icon"},
        {QStringLiteral("json"), "application/json"},
        {QStringLiteral("webmanifest"), "application/manifest+json"},
    };
    return types.value(name.section(QLatin1Char('.'), -1));
}

// The page's files by the path a browser asks for, read once: the resources
// never change while the hub runs.
const QHash<QByteArray, File> &files()
{
    static const QHash<QByteArray, File> table = [] {
        QHash<QByteArray, File> found;
        QDirIterator it(Root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = it.next();
            const QByteArray type = typeOf(name);
            QFile file(name);
            if (type.isEmpty() || !file.open(QIODevice::ReadOnly))
                continue;
            found.insert(name.mid(Root.size()).toUtf8(), {type, file.readAll()});
        }
        if (found.contains("/index.html"))
            found.insert("/", found.value("/index.html"));
        // The caller's display for a room's screen or a stream, at a path
        // short enough to type (docs/protocol.md, "Display seats").
        if (found.contains("/display.html"))
            found.insert("/display", found.value("/display.html"));
        return found;
    }();
    return table;
}

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 426:
        return "Upgrade Required";
    case 431:
        return "Request Header Fields Too Large";
    case 505:
        return "HTTP Version Not Supported";
    }
    return "Error";
}

QByteArray response(int status, const QByteArray &type, const QByteArray &body, const QByteArray &extra = {})
{
    // The page loads nothing from elsewhere and runs no inline script, so a
    // page injected into it could neither run nor send anything away.
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n" + "Content-Type: " + type
        + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"
        + "Cache-Control: no-cache\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\n"
        + "Content-Security-Policy: default-src 'self'; connect-src 'self' ws: wss:; img-src 'self' data:; "
          "style-src 'self'; script-src 'self'\r\n"
        + extra + "Connection: close\r\n\r\n" + body;
}

} // namespace

QByteArray WebPage::FileResponse(const QByteArray &path)
{
    const auto found = files().constFind(path);
    if (found == files().cend())
        return ErrorResponse(404);
    return response(200, found->type, found->body);
}

QByteArray WebPage::ErrorResponse(int status)
{
    const QByteArray extra = status == 405 ? "Allow: GET\r\n" : status == 426 ? "Sec-WebSocket-Version: 13\r\n" : "";
    return response(status, "text/plain; charset=utf-8", reason(status) + '\n', extra);
}

QByteArray WebPage::UpgradeResponse(const QByteArray &socketKey)
{
    static const QByteArray Guid = "258EAFA5-E914-47DA-95CA-C5AB0DC85B11";
    const QByteArray accept = QCryptographicHash::hash(socketKey + Guid, QCryptographicHash::Sha1).toBase64();
    return "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Accept: "
        + accept + "\r\n\r\n";
}

qint64 WebPage::Weight()
{
    qint64 total = 0;
    for (auto it = files().cbegin(); it != files().cend(); ++it)
        total += it.key() == "/" ? 0 : it->body.size();
    return total;
}
