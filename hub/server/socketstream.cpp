// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/socketstream.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <climits>
#include <sys/socket.h>

// A TLS session reads and writes the socket itself, through a BIO of our own:
// no memory buffers between it and the kernel, so no copy of every byte on
// either side and nothing kept per idle connection but the session. Its one
// difference from OpenSSL's socket BIO is MSG_NOSIGNAL: a peer gone away
// must end its connection, not the hub by SIGPIPE.

namespace {

int descriptor(BIO *bio) { return int(reinterpret_cast<intptr_t>(BIO_get_data(bio))); }

int bioRead(BIO *bio, char *out, int size)
{
    BIO_clear_retry_flags(bio);
    const ssize_t got = ::recv(descriptor(bio), out, size_t(size), 0);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        BIO_set_retry_read(bio);
    return int(got);
}

int bioWrite(BIO *bio, const char *in, int size)
{
    BIO_clear_retry_flags(bio);
    const ssize_t written = ::send(descriptor(bio), in, size_t(size), MSG_NOSIGNAL);
    if (written < 0 && (errno == EAGAIN || errno == EINTR))
        BIO_set_retry_write(bio);
    return int(written);
}

long bioControl(BIO *, int command, long, void *) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

int bioCreate(BIO *bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD *socketMethod()
{
    static BIO_METHOD *method = [] {
        BIO_METHOD *made = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "hub socket");
        BIO_meth_set_read(made, bioRead);
        BIO_meth_set_write(made, bioWrite);
        BIO_meth_set_ctrl(made, bioControl);
        BIO_meth_set_create(made, bioCreate);
        return made;
    }();
    return method;
}

StreamStep::Wait waitOf(SSL *ssl, int result)
{
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return StreamStep::Readable;
    case SSL_ERROR_WANT_WRITE:
        return StreamStep::Writable;
    default:
        // What failed is this connection's alone; the next must not see it.
        ERR_clear_error();
        return StreamStep::Ended;
    }
}

} // namespace

namespace {

StreamStep plainStep(ssize_t result, StreamStep::Wait wait)
{
    if (result > 0)
        return {result, StreamStep::None};
    if (result < 0 && (errno == EAGAIN || errno == EINTR))
        return {0, wait};
    return {0, StreamStep::Ended};
}

} // namespace

bool SocketStream::StartTls(ssl_ctx_st *context)
{
    SSL *ssl = SSL_new(context);
    BIO *bio = ssl ? BIO_new(socketMethod()) : nullptr;
    if (!bio) {
        SSL_free(ssl);
        ERR_clear_error();
        return false;
    }
    BIO_set_data(bio, reinterpret_cast<void *>(intptr_t(m_fd)));
    SSL_set_bio(ssl, bio, bio);
    SSL_set_accept_state(ssl);
    m_ssl = ssl;
    return true;
}

SocketStream::~SocketStream() { SSL_free(m_ssl); }

StreamStep::Wait SocketStream::Handshake()
{
    const int result = SSL_do_handshake(m_ssl);
    if (result == 1) {
        m_established = true;
        return StreamStep::None;
    }
    return waitOf(m_ssl, result);
}

StreamStep SocketStream::Read(char *buffer, qint64 size)
{
    if (!m_ssl)
        return plainStep(::recv(m_fd, buffer, size_t(size), 0), StreamStep::Readable);
    qint64 got = 0;
    while (size - got >= MaxRecord) {
        const int result = SSL_read(m_ssl, buffer + got, int(std::min<qint64>(size - got, INT_MAX)));
        if (result <= 0) {
            const StreamStep::Wait wait = waitOf(m_ssl, result);
            // Bytes already read are handed on; the wait shows at the next read.
            return got ? StreamStep{got, StreamStep::None} : StreamStep{0, wait};
        }
        got += result;
    }
    return {got, StreamStep::None};
}

StreamStep SocketStream::Write(const char *data, qint64 size)
{
    if (!m_ssl)
        return plainStep(::send(m_fd, data, size_t(size), MSG_NOSIGNAL), StreamStep::Writable);
    const int result = SSL_write(m_ssl, data, int(std::min<qint64>(size, INT_MAX)));
    if (result > 0)
        return {result, StreamStep::None};
    return {0, waitOf(m_ssl, result)};
}

void SocketStream::Shutdown()
{
    if (m_ssl && m_established && SSL_shutdown(m_ssl) < 0)
        ERR_clear_error();
}
