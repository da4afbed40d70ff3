// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Hubs that run for a test: one in the test's own process on loopback, and
// kalumo-hub serve as a process of its own.

#include "server/hub.h"
#include "server/tcptransport.h"
#include "support/waitfor.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

// Over TLS when given a context; on a free port unless given one.
struct LoopbackHub
{
    explicit LoopbackHub(const Hub::Limits &limits = {}, TlsContext *tls = nullptr, quint16 port = 0)
        : transport(tls)
        , hub(transport, limits)
    {
        EXPECT_TRUE(transport.Listen(QHostAddress::LocalHost, port)) << transport.ErrorString().toStdString();
    }
    quint16 Port() const { return transport.Port(); }

    TcpTransport transport;
    Hub hub;
};

// Starts `kalumo-hub serve --port PORT` (this build's, unless another
// program is given) with extra "NAME=value" entries in its environment, its
// output and errors merged; the port it listens on once it says so, 0 if it
// does not within ten seconds.
inline quint16 StartServe(QProcess &hub, quint16 port = 0, const QStringList &environment = {}, const QString &program = QStringLiteral(KALUMO_HUB_PATH))
{
    hub.setProcessChannelMode(QProcess::MergedChannels);
    hub.setEnvironment(QProcess::systemEnvironment() + environment);
    hub.start(program, {QStringLiteral("serve"), QStringLiteral("--port"), QString::number(port)});
    const QRegularExpression listening(QStringLiteral("listening on .*:(\\d+)\n"));
    QRegularExpressionMatch match;
    WaitFor([&] { return (match = listening.match(QString::fromUtf8(hub.peek(1 << 16)))).hasMatch(); });
    hub.readAll(); // a hub started again on the same QProcess says it anew
    return match.captured(1).toUShort();
}
