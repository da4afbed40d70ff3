// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A browser's side of the hub's game link for the benchmarks: the WebSocket
// upgrade of /ws, then one masked text message per frame, through wslay's
// client codec (docs/protocol.md, "The browser player"). It turns the
// messages back into the hub's frames, so a client reads both links alike.

#include <wslay/wslay.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

class WebWire
{
public:
    WebWire()
    {
        static const wslay_event_callbacks callbacks = {recv, send, genmask, nullptr, nullptr, nullptr, message};
        wslay_event_context_client_init(&m_socket, &callbacks, this);
    }
    ~WebWire() { wslay_event_context_free(m_socket); }
    WebWire(const WebWire &) = delete;
    WebWire &operator=(const WebWire &) = delete;

    static std::string UpgradeRequest()
    {
        return "GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
    }

    // Bytes from the hub: the frames of the messages they complete are
    // appended to `frames`. False when the hub refused the upgrade or broke the link.
    bool Feed(const char *data, size_t size, std::string &frames)
    {
        if (!m_upgraded) {
            m_head.append(data, size);
            const size_t end = m_head.find("\r\n\r\n");
            if (end == std::string::npos)
                return true;
            if (m_head.compare(0, 12, "HTTP/1.1 101") != 0)
                return false;
            m_upgraded = true;
            const std::string rest = m_head.substr(end + 4);
            m_head = std::string();
            return Feed(rest.data(), rest.size(), frames);
        }
        m_in = data;
        m_inSize = size;
        m_frames = &frames;
        const bool ok = wslay_event_recv(m_socket) == 0 && wslay_event_send(m_socket) == 0;
        m_frames = nullptr;
        return ok;
    }
    // A frame of the hub's link, its length first: sent as one text message.
    void Send(std::string_view frame)
    {
        const wslay_event_msg msg
            = {WSLAY_TEXT_FRAME, reinterpret_cast<const uint8_t *>(frame.data() + 4), frame.size() - 4};
        wslay_event_queue_msg(m_socket, &msg);
        wslay_event_send(m_socket);
    }
    // What is to be written to the socket; the caller takes it.
    std::string out;

private:
    static WebWire &of(void *user) { return *static_cast<WebWire *>(user); }
    static ssize_t recv(wslay_event_context_ptr ctx, uint8_t *buf, size_t len, int, void *user)
    {
        WebWire &w = of(user);
        if (w.m_inSize == 0) {
            wslay_event_set_error(ctx, WSLAY_ERR_WOULDBLOCK);
            return -1;
        }
        const size_t n = len < w.m_inSize ? len : w.m_inSize;
        std::memcpy(buf, w.m_in, n);
        w.m_in += n;
        w.m_inSize -= n;
        return ssize_t(n);
    }
    static ssize_t send(wslay_event_context_ptr, const uint8_t *data, size_t len, int, void *user)
    {
        of(user).out.append(reinterpret_cast<const char *>(data), len);
        return ssize_t(len);
    }
    static int genmask(wslay_event_context_ptr, uint8_t *buf, size_t len, void *)
    {
        for (size_t i = 0; i < len; ++i)
            buf[i] = uint8_t(std::rand());
        return 0;
    }
    static void message(wslay_event_context_ptr, const wslay_event_on_msg_recv_arg *arg, void *user)
    {
        if (arg->opcode != WSLAY_TEXT_FRAME || !of(user).m_frames)
            return;
        const auto n = uint32_t(arg->msg_length);
        std::string &frames = *of(user).m_frames;
        frames.append({char(n >> 24), char(n >> 16), char(n >> 8), char(n)});
        frames.append(reinterpret_cast<const char *>(arg->msg), arg->msg_length);
    }

    wslay_event_context_ptr m_socket = nullptr;
    bool m_upgraded = false;
    std::string m_head;
    const char *m_in = nullptr;
    size_t m_inSize = 0;
    std::string *m_frames = nullptr;
};
