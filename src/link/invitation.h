// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An invitation to a game across machines: the one line a host shares and a
// player pastes, holding where the hub is, the game, who hosts it and what
// proves the hub is the right one:
//
//   kalumo://ADDRESS:PORT/KEY?host=HOSTNAME&fp=FINGERPRINT[&via=ADDRESS:PORT]...
//
// A player tries the first address and every `via` one, in that order.
// ADDRESS is a DNS name, an IPv4 address or an IPv6 address in brackets,
// PORT 1 to 65535, KEY the game's key (32 lowercase hex digits), HOSTNAME the
// host player's name (UTF-8, percent-encoded) and FINGERPRINT the SHA-256 of
// the hub certificate's DER bytes (64 lowercase hex digits).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct Invitation
{
    // One place the hub may be reached at.
    struct Endpoint
    {
        QString address; // an IPv6 address without its brackets
        quint16 port = 0;
        bool operator==(const Endpoint &) const = default;
    };

    QString address; // the first of them
    quint16 port = 0;
    QString key;
    QString hostName;
    QByteArray fingerprint; // 32 raw bytes
    QList<Endpoint> more = {}; // the others, in the order a player tries them

    // Every place the hub may be reached at, the first one first.
    QList<Endpoint> Endpoints() const;
    // An invitation to `endpoints` (at least one), duplicates dropped.
    void SetEndpoints(const QList<Endpoint> &endpoints);
    // "ADDRESS:PORT", an IPv6 address in brackets.
    static QString EndpointText(const Endpoint &endpoint);

    // The invitation's line.
    QString Text() const;
    // The link a browser player opens for the same game, at `address`:
    //   http://ADDRESS:PORT/#key=KEY&host=HOSTNAME
    // https when the hub has a certificate that browsers trust. The key and
    // the name follow `#`, which browsers never send to a server.
    QString BrowserLink(const QString &address, bool https) const;

    // The invitation's line in a text a player pasted (a mail, a chat
    // message): from the first "kalumo://" (any case) up to the next blank,
    // "<", ">", '"', "«" or "»", less any of .,;:!?)"'»> at its end, which a
    // sentence or a wrapping adds and an invitation never ends with. Empty
    // when the text holds no "kalumo://". It does not check what it finds:
    // Parse does.
    static QString Find(const QString &text);

    // The invitation in `text`, white space around it ignored; nothing, with
    // *why set to one sentence saying what is wrong, when it is malformed.
    static std::optional<Invitation> Parse(const QString &text, QString *why);

    // A fresh game key: 128 bits from the system's random source.
    static QString NewKey();
    // Whether `text` is 2 * bytes lowercase hex digits.
    static bool IsHex(const QString &text, int bytes);
};
