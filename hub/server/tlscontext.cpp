// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/tlscontext.h"

#include "server/uniquefd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString CertName = QStringLiteral("cert.pem");
const QString KeyName = QStringLiteral("key.pem");
// Long enough that nobody renews it; a pinned certificate is trusted by its
// fingerprint, and a new one would void every invitation made with the old.
constexpr int ValidDays = 20 * 365;
// Far above any real PEM certificate or key: a larger file is not one.
constexpr qint64 MaxPemBytes = 1 << 20;

template<typename T, void (*Free)(T *)>
struct Deleter
{
    void operator()(T *p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

// OpenSSL's reason for the latest failure, and an empty error queue after.
QString lastSslError()
{
    const unsigned long code = ERR_peek_last_error();
    const char *reason = code ? ERR_reason_error_string(code) : nullptr;
    ERR_clear_error();
    return reason ? QString::fromLatin1(reason) : QStringLiteral("unknown error");
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString kindOfFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a device");
}

// Reads a PEM file that must be a regular file: a pipe or a device would
// block the hub's start, or feed it without end. A private key must be
// the user's alone, as ssh asks of its keys.
std::optional<QByteArray> readPem(const QString &path, bool privateKey, QString *error)
{
    const QString cannot = QStringLiteral("cannot read %1: %2");
    // Non-blocking: opening a named pipe with no writer would wait for one.
    UniqueFd fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info = {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) {
        fail(error, cannot.arg(path, QString::fromLocal8Bit(strerror(errno))));
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        fail(error,
             QStringLiteral("%1 is %2, not a file: give the PEM file itself").arg(path, kindOfFile(info.st_mode)));
        return std::nullopt;
    }
    if (privateKey && (info.st_mode & 077) != 0) {
        fail(error,
             QStringLiteral("%1 may be read by other users (permissions %2): make it yours alone with "
                            "\"chmod 600 %1\"")
                 .arg(path, QString::number(info.st_mode & 0777, 8).rightJustified(4, QLatin1Char('0'))));
        return std::nullopt;
    }
    QByteArray bytes(MaxPemBytes + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t read = ::read(fd.Get(), bytes.data() + got, size_t(bytes.size() - got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            fail(error, cannot.arg(path, QString::fromLocal8Bit(strerror(errno))));
            return std::nullopt;
        }
        if (read == 0)
            break;
        got += read;
    }
    if (got > MaxPemBytes) {
        fail(error, QStringLiteral("%1 is too large to be a certificate or key").arg(path));
        return std::nullopt;
    }
    bytes.truncate(got);
    return bytes;
}

Key readKey(const QString &path, QString *error)
{
    const auto pem = readPem(path, true, error);
    if (!pem)
        return nullptr;
    Bio bio(BIO_new_mem_buf(pem->constData(), int(pem->size())));
    Key key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
    if (!key)
        fail(error, QStringLiteral("%1 holds no usable private key (%2)").arg(path, lastSslError()));
    return key;
}

Certificate readCertificate(const QString &path, QString *error)
{
    const auto pem = readPem(path, false, error);
    if (!pem)
        return nullptr;
    Bio bio(BIO_new_mem_buf(pem->constData(), int(pem->size())));
    Certificate certificate(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
    if (!certificate)
        fail(error, QStringLiteral("%1 holds no usable certificate (%2)").arg(path, lastSslError()));
    return certificate;
}

// Writes a new file in one step: the bytes go to a temporary file that is
// then linked under its name, which fails rather than replace a file that
// exists. A crash leaves either the whole file or none.
bool writeNew(const QString &path, const QByteArray &bytes, mode_t mode, QString *error)
{
    QByteArray temporary = QFile::encodeName(path) + ".XXXXXX";
    UniqueFd fd(::mkstemp(temporary.data()));
    if (!fd.Valid())
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
    qsizetype at = 0;
    bool ok = ::fchmod(fd.Get(), mode) == 0;
    while (ok && at < bytes.size()) {
        const ssize_t written = ::write(fd.Get(), bytes.constData() + at, size_t(bytes.size() - at));
        ok = written > 0 || (written < 0 && errno == EINTR);
        at += std::max<ssize_t>(written, 0);
    }
    ok = ok && ::fsync(fd.Get()) == 0;
    ok = fd.Close() && ok;
    // Another hub starting at the same moment may have made it first: its file stands.
    ok = ok && (::link(temporary.constData(), QFile::encodeName(path).constData()) == 0 || errno == EEXIST);
    const int saved = errno;
    ::unlink(temporary.constData());
    if (!ok)
        return fail(error, QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(strerror(saved))));
    return true;
}

QByteArray pemOfKey(EVP_PKEY *key)
{
    Bio bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, size);
}

// A self-signed certificate for key, named after the hub.
QByteArray pemOfNewCertificate(EVP_PKEY *key)
{
    Certificate certificate(X509_new());
    X509 *x = certificate.get();
    std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>> serial(BN_new());
    BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY);
    X509_NAME *name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char *>("kalumo-hub"), -1, -1,
                               0);
    // A day back, for peers whose clocks are behind.
    if (!X509_set_version(x, X509_VERSION_3) || !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(x))
        || !X509_gmtime_adj(X509_getm_notBefore(x), -24 * 3600)
        || !X509_time_adj_ex(X509_getm_notAfter(x), ValidDays, 0, nullptr) || !X509_set_issuer_name(x, name)
        || !X509_set_pubkey(x, key) || !X509_sign(x, key, EVP_sha256()))
        return {};
    Bio bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), x);
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, size);
}

} // namespace

TlsContext::TlsContext(ssl_ctx_st *context)
    : m_context(context)
{}

TlsContext::~TlsContext() { SSL_CTX_free(m_context); }

QString TlsContext::DefaultFolder()
{
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(config).filePath(QStringLiteral("kalumo/hub"));
}

std::unique_ptr<TlsContext> TlsContext::LoadOrCreate(const QString &folder, QString *error)
{
    const QDir dir(folder);
    const QString keyPath = dir.filePath(KeyName), certPath = dir.filePath(CertName);
    if (!QFileInfo::exists(keyPath)) {
        if (QFileInfo::exists(certPath)) {
            fail(error,
                 QStringLiteral("%1 has no key beside it (%2 is missing); move it away to make a new pair")
                     .arg(certPath, keyPath));
            return nullptr;
        }
        if (!dir.exists()) {
            if (!QDir().mkpath(folder) || ::chmod(QFile::encodeName(folder).constData(), 0700) != 0) {
                fail(error, QStringLiteral("cannot make the folder %1").arg(folder));
                return nullptr;
            }
        }
        const Key key(EVP_EC_gen("P-256"));
        if (!key) {
            fail(error, QStringLiteral("cannot make a key: %1").arg(lastSslError()));
            return nullptr;
        }
        if (!writeNew(keyPath, pemOfKey(key.get()), 0600, error))
            return nullptr;
    }
    if (!QFileInfo::exists(certPath)) {
        // The key read back is the one that stands, whoever wrote it.
        const Key key = readKey(keyPath, error);
        if (!key)
            return nullptr;
        const QByteArray pem = pemOfNewCertificate(key.get());
        if (pem.isEmpty()) {
            fail(error, QStringLiteral("cannot make a certificate: %1").arg(lastSslError()));
            return nullptr;
        }
        if (!writeNew(certPath, pem, 0644, error))
            return nullptr;
    }
    return Load(certPath, keyPath, error);
}

std::unique_ptr<TlsContext> TlsContext::Load(const QString &certFile, const QString &keyFile, QString *error)
{
    const Certificate certificate = readCertificate(certFile, error);
    const Key key = certificate ? readKey(keyFile, error) : nullptr;
    if (!key)
        return nullptr;
    SSL_CTX *context = SSL_CTX_new(TLS_server_method());
    std::unique_ptr<TlsContext> tls(new TlsContext(context));
    if (!context || !SSL_CTX_set_min_proto_version(context, TLS1_3_VERSION)
        || !SSL_CTX_set_max_proto_version(context, TLS1_3_VERSION)
        || SSL_CTX_use_certificate(context, certificate.get()) != 1
        || SSL_CTX_use_PrivateKey(context, key.get()) != 1) {
        fail(error, QStringLiteral("cannot use %1 and %2: %3").arg(certFile, keyFile, lastSslError()));
        return nullptr;
    }
    if (SSL_CTX_check_private_key(context) != 1) {
        fail(error, QStringLiteral("%1 is not the key of %2").arg(keyFile, certFile));
        ERR_clear_error();
        return nullptr;
    }
    // A window joins once per game and never resumes a session: no tickets,
    // no cache, so nothing is kept per connection past its handshake.
    SSL_CTX_set_num_tickets(context, 0);
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_OFF);
    // Idle connections hand their record buffers back; writes take what the
    // socket takes and go on later from wherever the queue then lives.
    SSL_CTX_set_mode(context,
                     SSL_MODE_RELEASE_BUFFERS | SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return tls;
}

QByteArray TlsContext::Fingerprint() const
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    X509_digest(SSL_CTX_get0_certificate(m_context), EVP_sha256(), digest, &size);
    return QByteArray(reinterpret_cast<const char *>(digest), int(size));
}
