// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hub's side of its encrypted link: TLS 1.3 only, with the hub's own
// certificate and key. Players' windows pin the certificate by its SHA-256
// fingerprint, so no certificate authority is involved and a certificate
// that was self-signed on first use serves for years.

#include <QByteArray>
#include <QString>

#include <memory>

struct ssl_ctx_st;

class TlsContext
{
public:
    ~TlsContext();
    TlsContext(const TlsContext &) = delete;
    TlsContext &operator=(const TlsContext &) = delete;

    // The folder for the hub's own certificate: $XDG_CONFIG_HOME/kalumo/hub, else ~/.config/kalumo/hub.
    static QString DefaultFolder();
    // Loads cert.pem and key.pem from folder, first making a new key pair and self-signed certificate there
    // when they are missing (folder 0700, key.pem 0600). Null with *error set when that fails. An existing
    // key is never replaced: a key without its certificate gets a new certificate, a certificate without
    // its key is an error.
    static std::unique_ptr<TlsContext> LoadOrCreate(const QString &folder, QString *error);
    // Loads a given certificate and key (serve --tls --cert FILE --key FILE).
    // Both must be regular files, and the key readable by its owner alone;
    // anything else is refused at once, with the fix in *error.
    static std::unique_ptr<TlsContext> Load(const QString &certFile, const QString &keyFile, QString *error);

    QByteArray Fingerprint() const; // SHA-256 of the certificate's DER bytes, 32 raw bytes
    ssl_ctx_st *Native() const { return m_context; } // for the connections that use it

private:
    explicit TlsContext(ssl_ctx_st *context);
    ssl_ctx_st *m_context;
};
