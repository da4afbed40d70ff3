// SPDX-License-Identifier: GPL-3.0-or-later
#include "netloop.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Bench {

int64_t NowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double Number(const char *tool, const char *text)
{
    char *end = nullptr;
    const double value = strtod(text, &end);
    if (!text[0] || *end || !(value >= 0)) {
        fprintf(stderr, "%s: not a number: %s\n", tool, text);
        exit(2);
    }
    return value;
}

Loop::Loop()
    : m_epoll(epoll_create1(EPOLL_CLOEXEC))
{
    if (m_epoll < 0) {
        perror("epoll_create1");
        abort();
    }
}

Loop::~Loop()
{
    close(m_epoll);
    SSL_CTX_free(m_tls);
}

void Loop::UseTls()
{
    // OpenSSL writes with write(): a server that resets must not end the client.
    signal(SIGPIPE, SIG_IGN);
    m_tls = SSL_CTX_new(TLS_client_method());
    SSL_CTX_set_min_proto_version(m_tls, TLS1_3_VERSION);
    SSL_CTX_set_verify(m_tls, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_set_mode(m_tls, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
}

void Loop::Poll(int timeoutMs)
{
    epoll_event events[256];
    const int count = epoll_wait(m_epoll, events, 256, timeoutMs);
    for (int i = 0; i < count; ++i) {
        auto *connection = static_cast<Connection *>(events[i].data.ptr);
        // A handler earlier in this batch may have closed this connection.
        if (connection->m_fd >= 0)
            connection->handle(events[i].events);
    }
}

void Connection::handle(uint32_t events)
{
    if (!m_reading && (events & (EPOLLHUP | EPOLLERR))) {
        // A hang-up is reported whatever the mask says; until the client
        // reads again the connection leaves the loop, or it would spin.
        epoll_ctl(m_loop->m_epoll, EPOLL_CTL_DEL, m_fd, nullptr);
        m_parked = true;
        return;
    }
    if (m_handshaking) {
        handshake();
        return;
    }
    if (events & EPOLLOUT)
        writable();
    if (m_fd >= 0 && (events & (EPOLLIN | EPOLLHUP | EPOLLERR)))
        readable();
}

Connection::~Connection()
{
    SSL_free(m_ssl);
    if (m_fd >= 0)
        close(m_fd);
}

void Connection::handshake()
{
    const int result = SSL_do_handshake(m_ssl);
    const int error = result == 1 ? SSL_ERROR_NONE : SSL_get_error(m_ssl, result);
    m_handshakeWrites = error == SSL_ERROR_WANT_WRITE;
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        watch();
    } else if (error != SSL_ERROR_NONE) {
        ERR_clear_error();
        closed(EPROTO);
    } else {
        m_handshaking = false;
        writable();
    }
}

long Connection::put(const char *data, size_t size)
{
    if (!m_ssl)
        return send(m_fd, data, size, MSG_NOSIGNAL);
    const int result = SSL_write(m_ssl, data, int(size));
    if (result > 0)
        return result;
    const int error = SSL_get_error(m_ssl, result);
    ERR_clear_error();
    errno = error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? EAGAIN : EPIPE;
    return -1;
}

long Connection::get(char *buffer, size_t size)
{
    if (!m_ssl)
        return recv(m_fd, buffer, size, 0);
    const int result = SSL_read(m_ssl, buffer, int(size));
    if (result > 0)
        return result;
    const int error = SSL_get_error(m_ssl, result);
    ERR_clear_error();
    if (error == SSL_ERROR_ZERO_RETURN)
        return 0;
    errno = error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? EAGAIN : ECONNRESET;
    return -1;
}

bool Connection::Open(Loop &loop, uint16_t port, int receiveBufferBytes)
{
    if (m_fd >= 0)
        Abort();
    m_loop = &loop;
    m_in.clear();
    m_out.clear();
    m_outAt = 0;
    m_reading = true;
    m_parked = false;
    m_handshaking = m_handshakeWrites = false;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (receiveBufferBytes > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof receiveBufferBytes);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    if (loop.m_from != 0) {
        address.sin_addr.s_addr = htonl(loop.m_from);
        if (bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            close(fd);
            return false;
        }
    }
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // On loopback a blocking connect returns at once.
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_fd = fd;
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.ptr = this;
    epoll_ctl(m_loop->m_epoll, EPOLL_CTL_ADD, m_fd, &event);
    if (m_loop->m_tls) {
        m_ssl = SSL_new(m_loop->m_tls);
        SSL_set_fd(m_ssl, fd);
        SSL_set_connect_state(m_ssl);
        m_handshaking = true;
        handshake();
        return m_fd >= 0;
    }
    return true;
}

void Connection::watch()
{
    if (m_parked)
        return;
    epoll_event event = {};
    const bool writes = m_handshaking ? m_handshakeWrites : Unsent() > 0;
    event.events = (m_reading ? uint32_t(EPOLLIN) : 0u) | (writes ? uint32_t(EPOLLOUT) : 0u);
    event.data.ptr = this;
    epoll_ctl(m_loop->m_epoll, EPOLL_CTL_MOD, m_fd, &event);
}

void Connection::Send(std::string_view bytes)
{
    if (m_fd < 0)
        return;
    if (Unsent() == 0 && !m_handshaking) {
        const ssize_t written = put(bytes.data(), bytes.size());
        if (written < 0 && errno != EAGAIN) {
            closed(errno);
            return;
        }
        const size_t done = written < 0 ? 0 : size_t(written);
        if (done == bytes.size())
            return;
        m_out.assign(bytes.substr(done));
        m_outAt = 0;
        watch();
        return;
    }
    m_out.append(bytes);
}

void Connection::writable()
{
    while (Unsent() > 0) {
        const ssize_t written = put(m_out.data() + m_outAt, Unsent());
        if (written < 0) {
            if (errno != EAGAIN)
                closed(errno);
            else
                watch();
            return;
        }
        m_outAt += size_t(written);
    }
    m_out.clear();
    m_outAt = 0;
    watch();
}

void Connection::readable()
{
    if (!m_reading)
        return;
    char buffer[65536];
    for (int round = 0; round < 4; ++round) {
        const ssize_t got = get(buffer, sizeof buffer);
        if (got == 0) {
            closed(0);
            return;
        }
        if (got < 0) {
            if (errno != EAGAIN)
                closed(errno);
            return;
        }
        m_in.append(buffer, size_t(got));
        const size_t used = OnData(m_in.data(), m_in.size());
        if (m_fd < 0)
            return;
        m_in.erase(0, used);
        // A TLS read returns one record at a time: go on until the socket is empty.
        if (!m_ssl && size_t(got) < sizeof buffer)
            return;
    }
}

void Connection::closed(int error)
{
    SSL_free(m_ssl);
    m_ssl = nullptr;
    close(m_fd);
    m_fd = -1;
    OnClosed(error);
}

void Connection::Abort()
{
    if (m_fd < 0)
        return;
    const linger reset = {1, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    SSL_free(m_ssl);
    m_ssl = nullptr;
    close(m_fd);
    m_fd = -1;
}

void Connection::StopReading()
{
    if (m_fd >= 0 && m_reading) {
        m_reading = false;
        watch();
    }
}

void Connection::ResumeReading()
{
    if (m_fd < 0 || m_reading)
        return;
    m_reading = true;
    if (!m_parked) {
        watch();
        return;
    }
    m_parked = false;
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.ptr = this;
    epoll_ctl(m_loop->m_epoll, EPOLL_CTL_ADD, m_fd, &event);
}

} // namespace Bench
