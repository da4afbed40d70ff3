// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/invitation.h"

#include "support/playername.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int KeyBytes = 16;
constexpr int FingerprintBytes = 32;
const QString Scheme = QStringLiteral("kalumo");

// The value of a query item, percent-decoded, if it is UTF-8.
std::optional<QString> decoded(QStringView value)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArray::fromPercentEncoding(value.toLatin1()));
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

// ADDRESS:PORT as a `via` item holds it; nothing when it is not one.
std::optional<Invitation::Endpoint> endpointIn(QStringView text)
{
    const QUrl url(Scheme + QStringLiteral("://") + text.toString(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.port() < 1 || !url.userInfo().isEmpty() || !url.path().isEmpty()
        || url.hasQuery() || url.hasFragment())
        return std::nullopt;
    return Invitation::Endpoint{url.host(QUrl::FullyEncoded), quint16(url.port())};
}

} // namespace

QString Invitation::EndpointText(const Endpoint &endpoint)
{
    // QUrl writes the address the way a URL needs it: brackets around an
    // IPv6 address, a name that is not ASCII in its ASCII form.
    QUrl url;
    url.setHost(endpoint.address);
    url.setPort(endpoint.port);
    return url.authority(QUrl::FullyEncoded);
}

QList<Invitation::Endpoint> Invitation::Endpoints() const { return QList<Endpoint>{{address, port}} + more; }

void Invitation::SetEndpoints(const QList<Endpoint> &endpoints)
{
    QList<Endpoint> distinct;
    for (const Endpoint &endpoint : endpoints)
        if (!distinct.contains(endpoint))
            distinct.append(endpoint);
    address = distinct.value(0).address;
    port = distinct.value(0).port;
    more = distinct.mid(1);
}

QString Invitation::Text() const
{
    QString text = Scheme + QStringLiteral("://") + EndpointText({address, port}) + QLatin1Char('/') + key
        + QStringLiteral("?host=") + QString::fromLatin1(QUrl::toPercentEncoding(hostName)) + QStringLiteral("&fp=")
        + QString::fromLatin1(fingerprint.toHex());
    for (const Endpoint &endpoint : more)
        text += QStringLiteral("&via=") + EndpointText(endpoint);
    return text;
}

QString Invitation::Find(const QString &text)
{
    // Only what can never be inside an invitation ends it, so that its
    // addresses may be written however the line needs (brackets, commas).
    static const QString ends = QStringLiteral("<>\"\u00ab\u00bb");
    static const QString trailing = QStringLiteral(".,;:!?)\"'\u00bb>");
    const qsizetype start = text.indexOf(Scheme + QStringLiteral("://"), 0, Qt::CaseInsensitive);
    if (start < 0)
        return {};
    qsizetype end = start;
    while (end < text.size() && !text.at(end).isSpace() && !ends.contains(text.at(end)))
        ++end;
    while (end > start && trailing.contains(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString Invitation::BrowserLink(const QString &linkAddress, bool https) const
{
    QUrl url;
    url.setScheme(https ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(linkAddress);
    url.setPort(port);
    return url.toString(QUrl::FullyEncoded) + QStringLiteral("/#key=") + key + QStringLiteral("&host=")
        + QString::fromLatin1(QUrl::toPercentEncoding(hostName));
}

std::optional<Invitation> Invitation::Parse(const QString &text, QString *why)
{
    auto refuse = [why](const QString &sentence) -> std::optional<Invitation> {
        if (why)
            *why = sentence;
        return std::nullopt;
    };
    const QString line = text.trimmed();
    if (line.isEmpty())
        return refuse(QStringLiteral("The invitation is empty."));
    if (!line.startsWith(Scheme + QStringLiteral("://"), Qt::CaseInsensitive))
        return refuse(QStringLiteral("This is not an invitation: it does not start with kalumo://."));
    // Strict mode refuses characters a URL cannot hold (blanks among them)
    // rather than quietly mending them.
    const QUrl url(line, QUrl::StrictMode);
    if (!url.isValid())
        return refuse(QStringLiteral("The invitation is damaged: its hub address or port cannot be read."));
    if (url.host().isEmpty())
        return refuse(QStringLiteral("The invitation names no hub address."));
    if (!url.userInfo().isEmpty() || url.hasFragment())
        return refuse(QStringLiteral("The invitation holds more than a hub address, a game and its host."));
    if (url.port() < 1)
        return refuse(QStringLiteral("The invitation's hub port is missing or not from 1 to 65535."));

    Invitation invitation;
    invitation.address = url.host(QUrl::FullyEncoded);
    invitation.port = quint16(url.port());
    const QString path = url.path(QUrl::FullyEncoded);
    invitation.key = path.mid(1);
    if (!path.startsWith(QLatin1Char('/')) || !IsHex(invitation.key, KeyBytes))
        return refuse(QStringLiteral("The invitation's game key is not 32 lowercase hexadecimal digits."));

    std::optional<QString> host, fingerprint;
    const QStringList items = url.hasQuery() ? url.query(QUrl::FullyEncoded).split(QLatin1Char('&')) : QStringList();
    for (const QString &item : items) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QStringView name = QStringView(item).left(equals), value = QStringView(item).mid(equals + 1);
        if (name == u"via" && equals > 0) {
            const std::optional<Endpoint> endpoint = endpointIn(value);
            if (!endpoint)
                return refuse(QStringLiteral("The invitation's via=%1 is not an ADDRESS:PORT.").arg(value));
            invitation.more.append(*endpoint);
            continue;
        }
        std::optional<QString> *field = name == u"host" ? &host : name == u"fp" ? &fingerprint : nullptr;
        if (equals < 0 || !field || field->has_value())
            return refuse(QStringLiteral(
                "The invitation's part after \"?\" must be host=NAME&fp=FINGERPRINT, then any via=ADDRESS:PORT."));
        *field = decoded(value);
        if (!field->has_value())
            return refuse(QStringLiteral("The invitation's part after \"?\" is not UTF-8 text."));
    }
    if (!host || !fingerprint)
        return refuse(QStringLiteral("The invitation lacks the host's name or the hub's fingerprint."));
    if (const QString refusal = PlayerName::Refusal(*host); !refusal.isEmpty())
        return refuse(QStringLiteral("The invitation's host name cannot be used: %1.").arg(refusal));
    if (!IsHex(*fingerprint, FingerprintBytes))
        return refuse(QStringLiteral("The invitation's fingerprint is not 64 lowercase hexadecimal digits."));
    invitation.hostName = *host;
    invitation.fingerprint = QByteArray::fromHex(fingerprint->toLatin1());
    return invitation;
}

QString Invitation::NewKey()
{
    quint64 words[2];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex());
}

bool Invitation::IsHex(const QString &text, int bytes)
{
    return text.size() == 2 * bytes && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
}
