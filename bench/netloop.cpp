#include "netloop.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
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
    if (events & EPOLLOUT)
        writable();
    if (m_fd >= 0 && (events & (EPOLLIN | EPOLLHUP | EPOLLERR)))
        readable();
}

Connection::~Connection()
{
    if (m_fd >= 0)
        close(m_fd);
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
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (receiveBufferBytes > 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferBytes, sizeof receiveBufferBytes);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
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
    return true;
}

void Connection::watch()
{
    if (m_parked)
        return;
    epoll_event event = {};
    event.events = (m_reading ? uint32_t(EPOLLIN) : 0u) | (Unsent() > 0 ? uint32_t(EPOLLOUT) : 0u);
    event.data.ptr = this;
    epoll_ctl(m_loop->m_epoll, EPOLL_CTL_MOD, m_fd, &event);
}

void Connection::Send(std::string_view bytes)
{
    if (m_fd < 0)
        return;
    if (Unsent() == 0) {
        const ssize_t written = send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
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
        const ssize_t written = send(m_fd, m_out.data() + m_outAt, Unsent(), MSG_NOSIGNAL);
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
        const ssize_t got = recv(m_fd, buffer, sizeof buffer, 0);
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
        if (size_t(got) < sizeof buffer)
            return;
    }
}

void Connection::closed(int error)
{
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
