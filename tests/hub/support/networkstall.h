// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A link that stalls for real: every packet of the loopback connections on
// the given ports is dropped (nftables), so neither end's kernel hears an
// acknowledgement, as when a cable is pulled. Only in a network namespace of
// the test's own (tests/support/own-network.sh); it ends with the object.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <utility>

class NetworkStall
{
public:
    static bool Possible() { return qEnvironmentVariableIntValue("KALUMO_OWN_NETWORK") == 1; }
    bool Stall(const QList<quint16> &ports)
    {
        QString rules = QStringLiteral("add table inet stall\n"
                                       "add chain inet stall input { type filter hook input priority 0; }\n");
        for (quint16 port : ports)
            rules += QStringLiteral("add rule inet stall input tcp sport %1 drop\n"
                                    "add rule inet stall input tcp dport %1 drop\n")
                         .arg(port);
        return m_stalled = nft({QStringLiteral("-f"), QStringLiteral("-")}, rules.toUtf8());
    }
    void Release()
    {
        if (std::exchange(m_stalled, false)) nft({QStringLiteral("delete"), QStringLiteral("table"), QStringLiteral("inet"), QStringLiteral("stall")});
    }
    ~NetworkStall() { Release(); }

private:
    bool m_stalled = false;
    static bool nft(const QStringList &arguments, const QByteArray &input = {})
    {
        QProcess nft;
        nft.start(QStringLiteral("nft"), arguments);
        nft.write(input);
        nft.closeWriteChannel();
        return nft.waitForFinished(10000) && nft.exitStatus() == QProcess::NormalExit && nft.exitCode() == 0;
    }
};
