// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/serveoptions.h"

#include "cli/commandsupport.h"
#include "link/framecodec.h"
#include "server/tlscontext.h"

#include <QCommandLineParser>

#include <climits>

namespace ServeOptions {
namespace {

// Each limit on bytes must let at least one frame of the largest size through.
constexpr qint64 LargestFrame = Frame::HeaderSize + qint64(Frame::MaxPayload);

template<auto Field>
qint64 get(const Hub::Limits &limits)
{
    return qint64(limits.*Field);
}

template<auto Field>
void set(Hub::Limits &limits, qint64 value)
{
    limits.*Field = value;
}

const Limit Table[] = {
    {"max-queued", "bytes",
     "Bytes that may wait to be sent to one window before it is cut off as too slow (default %1).", LargestFrame,
     get<&Hub::Limits::maxQueuedBytes>, set<&Hub::Limits::maxQueuedBytes>},
    {"max-queued-total", "bytes",
     "Bytes that may wait for all windows together; beyond them the windows with the most waiting are cut off first "
     "(default %1).",
     LargestFrame, get<&Hub::Limits::maxQueuedTotal>, set<&Hub::Limits::maxQueuedTotal>},
    {"max-per-address", "n", "Connections open at once from one address (default %1).", 1,
     get<&Hub::Limits::maxPerAddress>,
     [](Hub::Limits &limits, qint64 value) { limits.maxPerAddress = int(std::min<qint64>(value, INT_MAX)); }},
    {"records-per-second", "n", "Records one window may send a second, and five times as many at once (default %1).", 1,
     get<&Hub::Limits::recordsPerSecond>,
     [](Hub::Limits &limits, qint64 value) {
         limits.recordsPerSecond = double(value);
         limits.recordBurst = 5.0 * double(value);
     }},
    {"bytes-per-second", "bytes", "Bytes one window may send a second, and eight times as many at once (default %1).",
     LargestFrame / 8 + 1, get<&Hub::Limits::bytesPerSecond>,
     [](Hub::Limits &limits, qint64 value) {
         limits.bytesPerSecond = double(value);
         limits.byteBurst = 8.0 * double(value);
     }},
    {"grace", "seconds",
     "Seconds a window that lost its connection has to resume its seat; 0 turns resuming off (default %1).", 0,
     [](const Hub::Limits &limits) { return qint64(limits.graceMs / 1000); },
     [](Hub::Limits &limits, qint64 value) { limits.graceMs = int(std::min<qint64>(value, INT_MAX / 1000) * 1000); }},
    {"resume-records", "n",
     "Deliveries kept for a window away from its seat; past them its seat is given up (default %1).", 1,
     get<&Hub::Limits::keptRecords>, set<&Hub::Limits::keptRecords>},
    {"resume-bytes", "bytes", "Bytes of deliveries kept for a window away from its seat (default %1).", LargestFrame,
     get<&Hub::Limits::keptBytes>, set<&Hub::Limits::keptBytes>},
    {"resume-bytes-total", "bytes",
     "Bytes of deliveries kept for all windows away from their seats; past them the seats keeping the most are given "
     "up first (default %1).",
     LargestFrame, get<&Hub::Limits::keptBytesTotal>, set<&Hub::Limits::keptBytesTotal>},
    {"resume-bytes-per-address", "bytes",
     "Bytes of deliveries kept for the windows away from their seats that last came from one address (default %1).",
     LargestFrame, get<&Hub::Limits::keptBytesPerAddress>, set<&Hub::Limits::keptBytesPerAddress>},
};

} // namespace

std::span<const Limit> Limits() { return Table; }

void Add(QCommandLineParser &parser)
{
    CommandSupport::AddListenOptions(
        parser, QStringLiteral("127.0.0.1"),
        QStringLiteral("Address to listen on (default 127.0.0.1; 0.0.0.0 for every network)."));
    const Hub::Limits defaults;
    for (const Limit &limit : Table) {
        const qint64 fallback = limit.get(defaults);
        parser.addOption({QString::fromLatin1(limit.name), QString::fromLatin1(limit.help).arg(fallback),
                          QString::fromLatin1(limit.valueName), QString::number(fallback)});
    }
    parser.addOption({QStringLiteral("tls"),
                      QStringLiteral("Speak TLS 1.3 only, with the hub's own certificate, made on first use in %1, "
                                     "unless --cert and --key are given.")
                          .arg(TlsContext::DefaultFolder())});
    parser.addOption(
        {QStringLiteral("cert"), QStringLiteral("The certificate for --tls (PEM)."), QStringLiteral("file")});
    parser.addOption(
        {QStringLiteral("key"), QStringLiteral("The private key of that certificate (PEM)."), QStringLiteral("file")});
}

std::optional<Hub::Limits> Read(const QCommandLineParser &parser)
{
    Hub::Limits limits;
    bool valid = true;
    for (const Limit &limit : Table) {
        const QString name = QString::fromLatin1(limit.name);
        bool ok = false;
        const qint64 value = parser.value(name).toLongLong(&ok);
        if (ok && value >= limit.least) {
            limit.set(limits, value);
            continue;
        }
        CommandSupport::LogLine(QStringLiteral("--%1 takes a whole number of at least %2").arg(name).arg(limit.least));
        valid = false;
    }
    return valid ? std::optional(limits) : std::nullopt;
}

} // namespace ServeOptions
