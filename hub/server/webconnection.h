// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A browser's connection to the hub, once its first bytes showed HTTP: it
// reads the one request (webrequest.h), answers a file and ends, or
// upgrades to a WebSocket that carries the game link, one text message per
// frame (docs/protocol.md, "The browser player"). The WebSocket codec is
// wslay's; this class only moves bytes between it and the transport, so the
// hub's epoll loop and TLS serve browsers as they serve windows.
//
// It does no I/O itself: what it has for the socket it appends to the buffer
// it is given, and the frames it decodes it hands back in the framing of a
// window's stream, for the hub to read as a window's.

#include <QByteArray>

struct wslay_event_context;

class WebConnection
{
public:
    // How long the request's head may take to arrive.
    static constexpr int HeadWithinMs = 10000;

    enum class Step {
        Going, // more may come
        Finished, // close once what is queued is written
        Failed, // close now
    };

    // Bytes for the socket are appended to `out`, which must outlive this.
    explicit WebConnection(QByteArray &out);
    ~WebConnection();
    WebConnection(const WebConnection &) = delete;
    WebConnection &operator=(const WebConnection &) = delete;

    // Bytes the browser sent; the game link's frames it held are appended
    // to `frames`, each with its length before it.
    Step Received(const char *data, qsizetype size, QByteArray &frames);
    // Frames from the hub, each with its length before it: each goes out as
    // one text message. Before the upgrade there is nobody to send them to,
    // and they are dropped.
    void Send(const QByteArray &frames);
    // Ends the game link with a close message after what is queued.
    void Close();
    bool Upgraded() const { return m_socket; }

private:
    Step readHead(const char *data, qsizetype size, QByteArray &frames);
    Step readSocket(const char *data, qsizetype size, QByteArray &frames);
    Step afterExchange(int result);
    friend struct WebSocketCallbacks;

    QByteArray &m_out;
    QByteArray m_head; // the request's head so far
    QByteArray m_partial; // the start of a frame from the hub whose rest is to come
    wslay_event_context *m_socket = nullptr;
    // While the codec reads: what it still has to read, and where decoded frames go.
    const char *m_in = nullptr;
    qsizetype m_inSize = 0;
    QByteArray *m_frames = nullptr;
};
