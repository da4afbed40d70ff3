// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection's bytes on its non-blocking socket: plain, or TLS read and
// written straight on the socket, so that the hub's connections treat both
// alike. A step that cannot go on says what the socket must become before
// it can: readable or writable.

#include <QtGlobal>

struct ssl_ctx_st;
struct ssl_st;

struct StreamStep
{
    enum Wait { None, Readable, Writable, Ended }; // Ended: closed by the peer, or failed
    qint64 bytes = 0; // moved by a read or a write; 0 unless wait is None
    Wait wait = None;
};

// What a stream's reading and writing wait for. Over TLS a read may have to
// write first and a write may have to read first, so each goes on when the
// socket becomes what it waits for, whichever way that is.
class StreamWaits
{
public:
    // The wait a read, or a write, stopped at; None once one went through.
    void Read(StreamStep::Wait wait) { m_read = wait; }
    void Write(StreamStep::Wait wait) { m_write = wait; }

    // Whether the socket must be watched for room to write.
    bool WatchWritable() const { return m_read == StreamStep::Writable || m_write == StreamStep::Writable; }
    // Whether reading, or writing, goes on now that the socket is readable
    // (or closed, or failed) and or writable.
    bool ReadGoesOn(bool readable, bool writable) const
    {
        return readable || (writable && m_read == StreamStep::Writable);
    }
    bool WriteGoesOn(bool readable, bool writable) const
    {
        return writable || (readable && m_write == StreamStep::Readable);
    }

private:
    StreamStep::Wait m_read = StreamStep::None;
    StreamStep::Wait m_write = StreamStep::None;
};

class SocketStream
{
public:
    static constexpr qint64 MaxRecord = 16384; // plaintext of the largest TLS record

    explicit SocketStream(int fd)
        : m_fd(fd)
    {}
    ~SocketStream();
    SocketStream(const SocketStream &) = delete;
    SocketStream &operator=(const SocketStream &) = delete;

    // Makes the stream the server's side of TLS, its handshake still to come; false when out of memory.
    bool StartTls(ssl_ctx_st *context);
    bool Tls() const { return m_ssl; }
    // Plain, or TLS with its handshake done: records may flow.
    bool Established() const { return !m_ssl || m_established; }
    // Moves the handshake on; None once it is done.
    StreamStep::Wait Handshake();
    // Over TLS, reads until the buffer cannot take another whole record or the
    // socket has nothing more, so no received record is left waiting inside
    // the session where the socket's readiness would not show it.
    StreamStep Read(char *buffer, qint64 size);
    StreamStep Write(const char *data, qint64 size);
    // Over TLS, says the stream ends here (a close_notify) if the socket takes it now.
    void Shutdown();

private:
    int m_fd;
    ssl_st *m_ssl = nullptr;
    bool m_established = false;
};
