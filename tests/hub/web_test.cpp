// SPDX-License-Identifier: GPL-3.0-or-later
// Browsers at the hub's port: the page, hostile HTTP refused, and a browser
// player in a game with a window, held to a window's limits.
#include "hub/support/runninghubs.h"
#include "link/tcpgamelink.h"
#include "server/tlscontext.h"
#include "server/webpage.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Sep = u"\u00ff"_s;

// What the hub answers a connection that sends `request`, read until it
// closes; empty when it closes without a word.
QByteArray answer(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    QByteArray heard;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { heard += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    EXPECT_TRUE(WaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; })) << request.left(40).data();
    return heard + socket.readAll();
}

// A browser player: its messages heard, and how its link ended.
struct Browser
{
    explicit Browser(const QString &url)
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString &text) { heard << text; });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
        // A hub's own certificate, as a player clicks through the browser's warning.
        QObject::connect(&socket, &QWebSocket::sslErrors, &socket, [this] { socket.ignoreSslErrors(); });
        socket.open(QUrl(url));
        EXPECT_TRUE(WaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; })) << url.toStdString();
    }
    void Join(const QString &name)
    {
        socket.sendTextMessage(u"G"_s + Sep + u"K"_s + Sep + u"I"_s);
        socket.sendTextMessage(u"G"_s + Sep + u"K"_s + Sep + u"A"_s + Sep + u" Kalumo Bingo"_s + Sep + name + u" Kalumo Bingo"_s);
    }
    void Say(const QString &text) { socket.sendTextMessage(u"G"_s + Sep + u"K"_s + Sep + u"C"_s + Sep + text); }
    bool Heard(const QString &text)
    {
        return WaitFor([&] { return heard.contains(text); });
    }

    QWebSocket socket;
    QStringList heard;
    bool closed = false;
};

TEST(WebPage, ServesItsFilesAndAnswersAnyOtherRequestWithAStatusOrNothingThenCloses)
{
    LoopbackHub h({.joinTimeoutMs = 300});
    const QByteArray upgrade = "GET /ws HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n";
    const QByteArray key = "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
    // clang-format off
    const struct
    {
        const char *what;
        QByteArray request;
        QByteArray starts;
    } table[] = {
        {"the page", "GET / HTTP/1.1\r\nHost: hub\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Type: text/html"},
        {"the page's SHA-256, with a query", "GET /jshash/sha256.js?v=2 HTTP/1.1\r\n\r\n", "HTTP/1.1 200 OK"},
        {"a file the page does not have", "GET /hub.cpp HTTP/1.1\r\n\r\n", "HTTP/1.1 404"},
        {"a way out of the page's folder", "GET /../CMakeLists.txt HTTP/1.1\r\n\r\n", "HTTP/1.1 404"},
        {"a method that looks like GET", "GETX / HTTP/1.1\r\n\r\n", "HTTP/1.1 405"},
        {"a method that is not GET", "POST / HTTP/1.1\r\n\r\n", ""},
        {"an older HTTP", "GET / HTTP/1.0\r\n\r\n", "HTTP/1.1 505"},
        {"a request line without a version", "GET /\r\n\r\n", "HTTP/1.1 400"},
        {"a header line without a colon", "GET / HTTP/1.1\r\nHost\r\n\r\n", "HTTP/1.1 400"},
        {"a head longer than the hub reads", "GET /" + QByteArray(9000, 'a'), "HTTP/1.1 431"},
        {"a head that never ends", "GET / HTTP/1.1\r\nHost: hu", ""},
        {"an upgrade without its key", upgrade + "Sec-WebSocket-Version: 13\r\n\r\n", "HTTP/1.1 400"},
        {"an upgrade whose key is not base64",
         upgrade + "Sec-WebSocket-Key: ************************\r\nSec-WebSocket-Version: 13\r\n\r\n", "HTTP/1.1 400"},
        {"an upgrade of another version", upgrade + key + "Sec-WebSocket-Version: 8\r\n\r\n", "HTTP/1.1 426"},
        {"an upgrade without Upgrade", "GET /ws HTTP/1.1\r\nConnection: Upgrade\r\n" + key + "\r\n", "HTTP/1.1 400"},
        {"an upgrade from another site's page",
         upgrade + key + "Sec-WebSocket-Version: 13\r\nHost: hub:1\r\nOrigin: http://evil.example\r\n\r\n", "HTTP/1.1 403"},
        {"an upgrade from the hub's own page",
         upgrade + key + "Sec-WebSocket-Version: 13\r\nHost: hub:1\r\nOrigin: http://HUB:1\r\n\r\n", "HTTP/1.1 101"},
    };
    // clang-format on
    for (const auto &row : table) EXPECT_TRUE(answer(h.Port(), row.request).startsWith(row.starts)) << row.what;
    // The upgrade a browser sends, answered as RFC 6455 shows it.
    EXPECT_TRUE(WebPage::UpgradeResponse("dGhlIHNhbXBsZSBub25jZQ==").contains("s3pPLMBiTxaQ9kYGzzhZRbK+xOo="));
    EXPECT_TRUE(WaitFor([&] { return h.hub.ConnectionCount() == 0; }));
}

TEST(WebPage, WeighsAtMost150KB)
{
    EXPECT_GT(WebPage::Weight(), 0);
    EXPECT_LE(WebPage::Weight(), 150 * 1024);
}

TEST(BrowserPlayer, PlaysWithAWindowOverPlainHttpOrInsideTlsOnTheWindowsPort)
{
    QTemporaryDir dir;
    const auto tls = TlsContext::LoadOrCreate(dir.path(), nullptr);
    for (const bool secure : {false, true}) {
        LoopbackHub h({}, tls.get());
        h.transport.ServePlainWeb(true);
        TcpGameLink window(u"127.0.0.1"_s);
        window.SetFingerprint(QString::fromLatin1(tls->Fingerprint().toHex()));
        QStringList windowHeard;
        QObject::connect(&window, &GameLink::TextReceived, [&](const QString &from, const QString &data) { windowHeard << from + u'|' + data; });
        ASSERT_TRUE(window.Connect(h.Port())) << window.ErrorString().toStdString();
        ASSERT_FALSE(window.Join({u"K"_s, u"Win"_s}, 5000));

        Browser web(u"%1://127.0.0.1:%2/ws"_s.arg(secure ? u"wss"_s : u"ws"_s).arg(h.Port()));
        web.Join(u"Web"_s);
        EXPECT_TRUE(web.Heard(u"[Enter]"_s + Sep + u"Win"_s)) << secure;
        EXPECT_TRUE(web.Heard(u"[Enter]"_s + Sep + u"Web"_s)) << secure;
        EXPECT_TRUE(web.heard.first().startsWith(u"[Hub]"_s + Sep + u"Seat"_s + Sep)) << secure;
        web.Say(u"Chat;hello from a phone"_s);
        EXPECT_TRUE(WaitFor([&] { return windowHeard.contains(u"Web|Chat;hello from a phone"_s); })) << secure;
        window.SendMessage(u"Comm;1|42"_s);
        EXPECT_TRUE(web.Heard(u"Win"_s + Sep + u"Comm;1|42"_s)) << secure;
        web.socket.close();
        EXPECT_TRUE(WaitFor([&] { return windowHeard.contains(u"[Exit]|Web"_s); })) << secure;
    }
}

TEST(BrowserPlayer, IsHeldToTheLimitsOfAWindow)
{
    const QString refused = u"[Hub]"_s + Sep + u"Refused"_s + Sep;
    // clang-format off
    const struct
    {
        const char *what;
        Hub::Limits limits;
        std::function<void(Browser &)> act;
        QString hears; // empty: closed without a word
        std::optional<QWebSocketProtocol::CloseCode> code; // none: dropped without a close message
    } table[] = {
        {"records past the burst",
         {.recordsPerSecond = 1, .recordBurst = 5},
         [](Browser &b) {
             b.Join(u"Other"_s);
             for (int i = 0; i < 8; ++i)
                 b.Say(u"Chat;x"_s);
         },
         refused,
         QWebSocketProtocol::CloseCodeNormal},
        {"a binary message",
         {},
         [](Browser &b) { b.socket.sendBinaryMessage("Chat;x"); },
         {},
         QWebSocketProtocol::CloseCodeDatatypeNotSupported},
        {"a message longer than a frame",
         {},
         [](Browser &b) { b.Say(QString(70000, u'a')); },
         {},
         QWebSocketProtocol::CloseCodeTooMuchData},
        {"a name taken", {}, [](Browser &b) { b.Join(u"web"_s); }, refused, QWebSocketProtocol::CloseCodeNormal},
        {"no join in time", {.joinTimeoutMs = 300}, [](Browser &) {}, {}, {}},
    };
    // clang-format on
    for (const auto &row : table) {
        LoopbackHub h(row.limits);
        Browser first(u"ws://127.0.0.1:%1/ws"_s.arg(h.Port()));
        first.Join(u"Web"_s);
        ASSERT_TRUE(first.Heard(u"[Enter]"_s + Sep + u"Web"_s)) << row.what;
        Browser b(u"ws://127.0.0.1:%1/ws"_s.arg(h.Port()));
        row.act(b);
        EXPECT_TRUE(WaitFor([&] { return b.closed; })) << row.what;
        if (!row.hears.isEmpty()) { EXPECT_TRUE(b.heard.last().startsWith(row.hears)) << row.what; }
        if (row.code) { EXPECT_EQ(b.socket.closeCode(), *row.code) << row.what; }
    }
}

} // namespace
