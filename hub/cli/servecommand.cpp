// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-hub serve: a standing hub for play across machines, with the
// limits and TLS of serveoptions.h, until a signal ends it.
#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/serveoptions.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "server/tlscontext.h"
#include "support/shutdownsignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>

using namespace CommandSupport;

namespace {

// The context for --tls: the certificate given, else the hub's own; nothing
// without --tls, and `failed` with the reason said when it cannot be had.
std::unique_ptr<TlsContext> tlsFrom(const QCommandLineParser &parser, bool &failed)
{
    const bool tls = parser.isSet(QStringLiteral("tls")), cert = parser.isSet(QStringLiteral("cert")),
               key = parser.isSet(QStringLiteral("key"));
    failed = (cert || key) && !(tls && cert && key);
    if (failed) {
        LogLine(QStringLiteral("--cert and --key go together, and with --tls"));
        return nullptr;
    }
    if (!tls)
        return nullptr;
    QString error;
    auto context = cert
        ? TlsContext::Load(parser.value(QStringLiteral("cert")), parser.value(QStringLiteral("key")), &error)
        : TlsContext::LoadOrCreate(TlsContext::DefaultFolder(), &error);
    failed = !context;
    if (failed)
        LogLine(error);
    return context;
}

} // namespace

int Commands::Serve(const QStringList &arguments, const GamesList &)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs a hub that game windows on this and other machines join."));
    parser.addHelpOption();
    ServeOptions::Add(parser);
    parser.process(arguments);

    bool failed = false;
    const std::unique_ptr<TlsContext> tls = tlsFrom(parser, failed);
    if (failed)
        return 2;
    const std::optional<Listen> listen = ListenFrom(parser);
    if (!listen)
        return 2;
    const std::optional<Hub::Limits> limits = ServeOptions::Read(parser);
    if (!limits)
        return 2;

    TcpTransport transport(tls.get());
    // A certificate of the operator's own is one browsers trust: they play
    // over HTTPS. The hub's own certificate they cannot pin, so they play
    // over plain HTTP, as they do with no TLS at all.
    const bool trustedCertificate = parser.isSet(QStringLiteral("cert"));
    transport.ServePlainWeb(!trustedCertificate);
    Hub hub(transport, *limits);
    QObject::connect(&hub, &Hub::Log, &LogLine);
    QObject::connect(&transport, &TcpTransport::Log, &LogLine);
    if (!transport.Listen(listen->address, listen->port))
        return Fail(QStringLiteral("cannot listen on %1:%2: %3")
                        .arg(listen->address.toString())
                        .arg(listen->port)
                        .arg(transport.ErrorString()));
    LogLine(QStringLiteral("listening on %1:%2").arg(listen->address.toString()).arg(transport.Port())
            + (tls ? QStringLiteral(" over TLS, certificate fingerprint (SHA-256) %1")
                         .arg(QString::fromLatin1(tls->Fingerprint().toHex()))
                   : QString()));
    LogLine(QStringLiteral("browsers play at %1://THIS-HOST:%2/#key=GAME-KEY&host=HOST-NAME (%3)")
                .arg(trustedCertificate ? QStringLiteral("https") : QStringLiteral("http"))
                .arg(transport.Port())
                .arg(trustedCertificate ? QStringLiteral("encrypted")
                                        : QStringLiteral("not encrypted: anyone on the network can read the game")));

    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, qApp, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}
