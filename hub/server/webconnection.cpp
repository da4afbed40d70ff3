// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/webconnection.h"

#include "link/framecodec.h"
#include "server/webpage.h"
#include "server/webrequest.h"

#include <QtEndian>

#include <cstring>
#include <wslay/wslay.h>

// The codec's callbacks: it reads from the bytes being received, writes to
// the transport's buffer (which takes everything, so the codec never holds
// a message back), and hands whole messages over.
struct WebSocketCallbacks
{
    static WebConnection &of(void *user) { return *static_cast<WebConnection *>(user); }

    static ssize_t recv(wslay_event_context_ptr context, uint8_t *buffer, size_t size, int, void *user)
    {
        WebConnection &connection = of(user);
        if (connection.m_inSize == 0) {
            wslay_event_set_error(context, WSLAY_ERR_WOULDBLOCK);
            return -1;
        }
        const qsizetype taken = std::min(qsizetype(size), connection.m_inSize);
        std::memcpy(buffer, connection.m_in, taken);
        connection.m_in += taken;
        connection.m_inSize -= taken;
        return taken;
    }

    static ssize_t send(wslay_event_context_ptr, const uint8_t *data, size_t size, int, void *user)
    {
        of(user).m_out.append(reinterpret_cast<const char *>(data), qsizetype(size));
        return ssize_t(size);
    }

    static void message(wslay_event_context_ptr context, const wslay_event_on_msg_recv_arg *message, void *user)
    {
        if (message->opcode == WSLAY_BINARY_FRAME) {
            // The game link is text; the hub's reader checks that it is UTF-8.
            wslay_event_shutdown_read(context);
            wslay_event_queue_close(context, WSLAY_CODE_UNSUPPORTED_DATA, nullptr, 0);
            return;
        }
        if (message->opcode != WSLAY_TEXT_FRAME)
            return; // the codec answers pings and closes by itself
        QByteArray &frames = *of(user).m_frames;
        char length[Frame::HeaderSize];
        qToBigEndian(quint32(message->msg_length), length);
        frames.append(length, sizeof length);
        frames.append(reinterpret_cast<const char *>(message->msg), qsizetype(message->msg_length));
    }
};

WebConnection::WebConnection(QByteArray &out)
    : m_out(out)
{}

WebConnection::~WebConnection()
{
    if (m_socket)
        wslay_event_context_free(m_socket);
}

WebConnection::Step WebConnection::Received(const char *data, qsizetype size, QByteArray &frames)
{
    return m_socket ? readSocket(data, size, frames) : readHead(data, size, frames);
}

WebConnection::Step WebConnection::readHead(const char *data, qsizetype size, QByteArray &frames)
{
    // The head's end is looked for in what is new only, so a head sent a
    // byte at a time costs no more than one sent at once. What follows the
    // head in the same read is the game link's: it is kept whole. Never
    // more than the longest head allowed and one read are held.
    const qsizetype from = std::max<qsizetype>(0, m_head.size() - 3);
    m_head.append(data, size);
    if (m_head.indexOf("\r\n\r\n", from) < 0 && m_head.size() < WebRequest::MaxHead)
        return Step::Going;
    const WebRequest request = WebRequest::Read(m_head);
    switch (request.kind) {
    case WebRequest::Kind::Incomplete:
        return Step::Going;
    case WebRequest::Kind::Error:
        m_out.append(WebPage::ErrorResponse(request.status));
        return Step::Finished;
    case WebRequest::Kind::File:
        m_out.append(WebPage::FileResponse(request.path));
        return Step::Finished;
    case WebRequest::Kind::Upgrade:
        break;
    }
    static const wslay_event_callbacks callbacks
        = {WebSocketCallbacks::recv,   WebSocketCallbacks::send, nullptr, nullptr, nullptr, nullptr,
           WebSocketCallbacks::message};
    if (wslay_event_context_server_init(&m_socket, &callbacks, this) != 0)
        return Step::Failed;
    wslay_event_config_set_max_recv_msg_length(m_socket, Frame::MaxPayload);
    m_out.append(WebPage::UpgradeResponse(request.socketKey));
    // A browser waits for the answer before it sends; whatever came early is the game link's.
    const QByteArray early = m_head.mid(request.headSize);
    m_head = QByteArray();
    return readSocket(early.constData(), early.size(), frames);
}

WebConnection::Step WebConnection::readSocket(const char *data, qsizetype size, QByteArray &frames)
{
    m_in = data;
    m_inSize = size;
    m_frames = &frames;
    const int result = wslay_event_recv(m_socket);
    m_frames = nullptr;
    m_inSize = 0;
    return afterExchange(result);
}

WebConnection::Step WebConnection::afterExchange(int result)
{
    // A pong, a close or a refusal the codec queued goes out now.
    if (result != 0 || wslay_event_send(m_socket) != 0)
        return Step::Failed;
    if (wslay_event_get_close_sent(m_socket))
        return Step::Finished;
    return Step::Going;
}

void WebConnection::Send(const QByteArray &frames)
{
    if (!m_socket)
        return;
    m_partial.append(frames);
    qsizetype at = 0;
    while (m_partial.size() - at >= Frame::HeaderSize) {
        const quint32 length = qFromBigEndian<quint32>(m_partial.constData() + at);
        if (m_partial.size() - at - Frame::HeaderSize < qsizetype(length))
            break;
        const wslay_event_msg message
            = {WSLAY_TEXT_FRAME, reinterpret_cast<const uint8_t *>(m_partial.constData() + at + Frame::HeaderSize),
               length};
        wslay_event_queue_msg(m_socket, &message);
        at += Frame::HeaderSize + length;
    }
    // The hub sends whole frames, so nothing is usually left to hold.
    m_partial = at == m_partial.size() ? QByteArray() : m_partial.mid(at);
    wslay_event_send(m_socket);
}

void WebConnection::Close()
{
    if (!m_socket)
        return;
    wslay_event_queue_close(m_socket, WSLAY_CODE_NORMAL_CLOSURE, nullptr, 0);
    wslay_event_send(m_socket);
}
