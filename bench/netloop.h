// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small epoll loop over non-blocking loopback TCP connections, for the load
// test and the benchmarks. It stays apart from Qt on purpose: a client must
// cost little, and the same for every server it drives, so that the figures
// measure the server.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct ssl_ctx_st;
struct ssl_st;

namespace Bench {

// CLOCK_MONOTONIC in nanoseconds: one clock for every process on the machine.
int64_t NowNs();

// A command-line number of a tool; ends the tool with status 2 when the text
// is not a number of at least 0.
double Number(const char *tool, const char *text);

// The pieces appended into one string.
template<typename... Pieces>
std::string Cat(const Pieces &...pieces)
{
    std::string text;
    (text.append(std::string_view(pieces)), ...);
    return text;
}

class Loop;

// One connection. The loop never deletes one: objects live as long as the
// client, and an Open after a close reuses the object.
class Connection
{
public:
    virtual ~Connection();

    // Connects to 127.0.0.1:port. A receive buffer size other than 0 is set
    // before connecting, so the window the server sees stays that small.
    // Over a loop that speaks TLS, the handshake starts at once and what is
    // sent waits for it.
    bool Open(Loop &loop, uint16_t port, int receiveBufferBytes = 0);
    bool IsOpen() const { return m_fd >= 0; }
    // Writes now what the socket takes and keeps the rest for later.
    void Send(std::string_view bytes);
    size_t Unsent() const { return m_out.size() - m_outAt; }
    // Closes at once with a reset, as a crashing client would.
    void Abort();
    // Leaves the bytes in the kernel: the server sees a reader that stopped.
    void StopReading();
    void ResumeReading();

protected:
    // Bytes received and not yet consumed; returns how many it consumed.
    virtual size_t OnData(const char *data, size_t size) = 0;
    // The server closed or reset the connection (error is 0 or an errno).
    virtual void OnClosed(int error) = 0;

private:
    friend class Loop;
    void handle(uint32_t events);
    void readable();
    void writable();
    void closed(int error);
    void watch();
    void handshake();
    long put(const char *data, size_t size); // send or SSL_write, failing as send does
    long get(char *buffer, size_t size); // recv or SSL_read, failing as recv does

    Loop *m_loop = nullptr;
    int m_fd = -1;
    bool m_reading = true;
    bool m_parked = false; // hung up while not reading: out of epoll until read
    std::string m_in;
    std::string m_out;
    size_t m_outAt = 0;
    ssl_st *m_ssl = nullptr;
    bool m_handshaking = false;
    bool m_handshakeWrites = false; // the handshake waits for room to write
};

class Loop
{
public:
    Loop();
    ~Loop();
    Loop(const Loop &) = delete;
    Loop &operator=(const Loop &) = delete;

    // Connections opened from now on speak TLS 1.3; the server's certificate
    // is taken as it comes (the benchmark measures, it does not trust).
    void UseTls();
    // Connections opened from now on come from this loopback address (in
    // host order, such as 0x7f000002), as a second machine's would.
    void ConnectFrom(uint32_t address) { m_from = address; }
    // Waits at most timeoutMs for events and handles all that came.
    void Poll(int timeoutMs);

private:
    friend class Connection;
    int m_epoll = -1;
    ssl_ctx_st *m_tls = nullptr;
    uint32_t m_from = 0; // 0: the kernel's choice
};

} // namespace Bench
