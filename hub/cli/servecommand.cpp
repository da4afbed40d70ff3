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
    ProcessArguments(parser, arguments);

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

    ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &ShutdownSignals::Requested, qApp, [] { QCoreApplication::exit(0); });
    return QCoreApplication::exec();
}
