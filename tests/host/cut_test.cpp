// A window's link that loses its connection to the hub and resumes, on real
// loopback sockets through a proxy that cuts.
#include "connections.h"
#include "hub.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/cutproxy.h"
#include "support/qtprinters.h"
#include "support/waitfor.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A player of game K whose messages and the messages it hears are listed.
struct Player
{
    Player(const QString &name, quint16 port) : name(name)
    {
        QObject::connect(&link, &GameLink::TextReceived, [this](const QString &sender, const QString &data) {
            if (data.startsWith(u"Chat;"))
                heard << sender + u':' + data.mid(5);
        });
        EXPECT_TRUE(link.JoinGame(1, port));
        link.SendText(LinkRecord::Announce(u"K"_s, u"Kalumo Bingo"_s, name));
        EXPECT_EQ(link.WaitUntilJoined(u"K"_s, name, 5000), std::nullopt);
    }
    QStringList say(int n, const QString &what)
    {
        QStringList said;
        for (int i = 0; i < n; ++i) {
            said << u"%1:%2%3"_s.arg(name, what).arg(i);
            link.SendText(LinkRecord::Message(u"K"_s, u"Chat;%1%2"_s.arg(what).arg(i)));
        }
        return said;
    }
    QString name;
    TcpGameLink link{u"127.0.0.1"_s, {5000, 45000, 5, 40, 5000}};
    QStringList heard;
    QSignalSpy away{&link, &GameLink::Reconnecting}, back{&link, &GameLink::Reconnected}, lost{&link, &GameLink::LinkLost};
};

struct Game
{
    Connections connections;
    Hub hub{connections, {.recordsPerSecond = 10000, .recordBurst = 10000}};
    bool listening = connections.Listen(QHostAddress::LocalHost, 0);
    CutProxy proxy{connections.Port()};
};

TEST(Resume, AfterEveryKindOfCutTheLinkHoldsEveryRecordOnceInOrder)
{
    // A cut after `down` bytes more to the window or `up` more to the hub; -1 for no limit, both for a cut between frames.
    const struct { const char *what; qint64 down, up; int bobSays, annSays; } table[] = {
        {"between frames", -1, -1, 5, 0},
        {"in the middle of a frame", 9, -1, 5, 0},
        {"during a burst of 100 deliveries", 1200, -1, 100, 0},
        {"while the window is sending", -1, 300, 0, 40},
    };
    for (const auto &row : table) {
        Game g;
        Player ann(u"Ann"_s, g.proxy.Port()), bob(u"Bob"_s, g.connections.Port());
        const QStringList before = bob.say(3, u"before"_s);
        ASSERT_TRUE(WaitFor([&] { return ann.heard.size() == 3; }));
        if (row.down < 0 && row.up < 0)
            g.proxy.Cut();
        else
            g.proxy.CutAfter(row.down, row.up);
        const QStringList during = bob.say(row.bobSays, u"b"_s) + ann.say(row.annSays, u"a"_s);
        ASSERT_TRUE(WaitFor([&] { return ann.back.size() == 1 && ann.heard.size() == 3 + during.size(); }, 5000)) << row.what;
        const QStringList after = ann.say(1, u"after"_s);
        ASSERT_TRUE(WaitFor([&] { return bob.heard.size() == 3 + during.size() + 1; }, 5000)) << row.what;
        WaitFor([] { return false; }, 50); // nothing more, no second copy, arrives
        EXPECT_EQ(ann.heard, before + during + after) << row.what;
        EXPECT_EQ(bob.heard, before + during + after) << row.what;
        EXPECT_TRUE(g.proxy.cuts == 1 && ann.away.size() == 1 && ann.lost.isEmpty() && bob.away.isEmpty()) << row.what;
    }
}

} // namespace
