// SPDX-License-Identifier: GPL-3.0-or-later
// An invitation to a new game on a standing hub (kalumo-hub serve --tls):
//
//   kalumo-hub invite [--fingerprint HEX] ADDRESS:PORT HOSTNAME
//       makes a fresh game key and a host's secret for it, keeps the secret
//       (HostSecrets), prints the invitation as its one line of standard
//       output and starts nothing. The hub's certificate is this machine's
//       hub's own unless --fingerprint gives the one its log names.
#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/hostsecrets.h"
#include "link/invitation.h"
#include "server/tlscontext.h"
#include "support/playername.h"

#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QDir>
#include <QSslCertificate>
#include <QTextStream>
#include <QUrl>

using namespace CommandSupport;

namespace {

// The fingerprint given, else that of the certificate `serve --tls` made
// on this machine; empty, with the reason, when there is neither.
QString hubFingerprint(const QString &given, QString *why)
{
    if (!given.isEmpty())
        return given.toLower();
    const QString path = QDir(TlsContext::DefaultFolder()).filePath(QStringLiteral("cert.pem"));
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(path);
    if (certificates.isEmpty()) {
        *why = QStringLiteral(
                   "this machine's hub has no certificate at %1: give the hub's --fingerprint, from the first "
                   "line of the log of kalumo-hub serve --tls")
                   .arg(path);
        return {};
    }
    return QString::fromLatin1(certificates.first().digest(QCryptographicHash::Sha256).toHex());
}

} // namespace

int Commands::Invite(const QStringList &arguments, const GamesList &)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Makes an invitation to a new game on a standing hub (kalumo-hub serve --tls) hosted by HOSTNAME, "
        "and keeps the host's secret for kalumo-hub join. It starts nothing."));
    parser.addHelpOption();
    const QCommandLineOption fingerprintOption(
        QStringLiteral("fingerprint"),
        QStringLiteral(
            "The hub certificate's SHA-256 fingerprint (its log's first line); default: this machine's hub's."),
        QStringLiteral("HEX"));
    parser.addOption(fingerprintOption);
    parser.addPositionalArgument(QStringLiteral("hub"), QStringLiteral("Where players reach the hub."),
                                 QStringLiteral("ADDRESS:PORT"));
    parser.addPositionalArgument(QStringLiteral("hostname"), QStringLiteral("The host's name in the game."),
                                 QStringLiteral("HOSTNAME"));
    ProcessArguments(parser, arguments);
    if (parser.positionalArguments().size() != 2)
        return Fail(QStringLiteral("give the hub's ADDRESS:PORT and the host's name"));
    const QString hostName = parser.positionalArguments().at(1);
    if (const QString refusal = PlayerName::Refusal(hostName); !refusal.isEmpty())
        return Fail(QStringLiteral("the host's name cannot be used: %1").arg(refusal));
    QString why;
    const QString fingerprint = hubFingerprint(parser.value(fingerprintOption), &why);
    if (fingerprint.isEmpty())
        return Fail(why);
    // Written as a player reads it, so the reader says which part is wrong.
    const QString key = Invitation::NewKey();
    const QString text = QStringLiteral("kalumo://%1/%2?host=%3&fp=%4")
                             .arg(parser.positionalArguments().at(0), key,
                                  QString::fromLatin1(QUrl::toPercentEncoding(hostName)), fingerprint);
    const std::optional<Invitation> invitation = Invitation::Parse(text, &why);
    if (!invitation)
        return Fail(why);
    if (const QString problem = HostSecrets::Keep(HostSecrets::DefaultFolder(), key, hostName, Invitation::NewKey());
        !problem.isEmpty())
        return Fail(QStringLiteral("the host's secret cannot be kept: %1").arg(problem));
    QTextStream(stdout) << invitation->Text() << Qt::endl;
    return 0;
}
