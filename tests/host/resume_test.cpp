// Seats kept for windows that lost their connection, on a transport in memory.
#include "support/faketransport.h"
#include "support/qtprinters.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString NoSeat = u"[Hub]ÿNoSeatÿthis game holds no seat for this window to take back."_s;
const QString Resumed = u"[Hub]ÿResumed"_s;

// Ann, a window that resumes, and Bob, who talks; Ann has taken and acknowledged their joins.
struct Table
{
    explicit Table(const Hub::Limits &limits = {}) : h(limits)
    {
        ann = h.Join(u"Ann"_s);
        bob = h.Join(u"Bob"_s);
        h.Ack(ann, held = h.net.Take(ann).size());
        h.net.Take(bob);
    }
    QStringList say(int n, const QString &what = u"x"_s)
    {
        QStringList said;
        for (int i = 0; i < n; ++i) {
            h.Say(bob, u"Chat;%1%2"_s.arg(what).arg(i));
            said << u"BobÿChat;%1%2"_s.arg(what).arg(i);
        }
        return said;
    }
    void fireGrace()
    {
        for (QTimer *timer : h.hub.findChildren<QTimer *>(u"grace"_s))
            if (timer->isActive())
                timer->start(0);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    FakeHub h;
    quint64 ann = 0, bob = 0, held = 0;
};

TEST(HubResume, AWindowTakesItsSeatBackAndGetsWhatItMissedOnceInOrderWhileTheOthersSeeNothing)
{
    const struct { const char *what; bool hubNoticed; int takenBeforeCut, missed; } table[] = {
        {"the hub saw the connection close", true, 3, 5},
        {"the old connection still looks open to the hub", false, 3, 5},
        {"the window had taken nothing since its acknowledgement", true, 0, 2},
        {"nothing was missed", true, 2, 0},
    };
    for (const auto &row : table) {
        Table t;
        const QStringList before = t.say(3, u"a"_s);
        t.h.Ack(t.ann, t.held + row.takenBeforeCut);
        if (row.hubNoticed)
            t.h.net.PeerCloses(t.ann);
        const QStringList during = t.say(row.missed, u"b"_s);
        const quint64 back = t.h.Resume(u"Ann"_s, t.h.net.secrets.at(t.ann), t.held + row.takenBeforeCut);
        t.h.Say(back, u"Chat;I am back"_s);
        EXPECT_EQ(t.h.net.Take(back), before.mid(row.takenBeforeCut) + during + QStringList({Resumed, u"AnnÿChat;I am back"_s})) << row.what;
        EXPECT_EQ(t.h.net.Take(t.bob), before + during + QStringList{u"AnnÿChat;I am back"_s}) << row.what;
        EXPECT_TRUE(t.h.IsOpen(back) && !t.h.IsOpen(t.ann)) << row.what;
        EXPECT_EQ(t.h.hub.Players(u"K"_s), QStringList({u"Ann"_s, u"Bob"_s})) << row.what;
    }
}

TEST(HubResume, RefusesAStrangersResumeWithAReasonAndChangesNothingForTheSeatsOwner)
{
    const struct { const char *what; QString name; bool bobsSecret; QString secret; quint64 count; } table[] = {
        {"a made-up secret", u"Ann"_s, false, QString(32, u'0'), 2},
        {"another seat's secret", u"Ann"_s, true, {}, 2},
        {"a name with no seat", u"Zed"_s, false, {}, 0},
        {"a count the seat never reached", u"Ann"_s, false, {}, 99},
        {"a count already acknowledged away", u"Ann"_s, false, {}, 1},
    };
    for (const auto &row : table) {
        Table t;
        t.h.net.PeerCloses(t.ann);
        const QString secret = row.bobsSecret ? t.h.net.secrets.at(t.bob) : row.secret.isEmpty() ? t.h.net.secrets.at(t.ann) : row.secret;
        const quint64 stranger = t.h.Resume(row.name, secret, row.count);
        EXPECT_TRUE(t.h.net.Take(stranger) == QStringList{NoSeat} && !t.h.IsOpen(stranger)) << row.what;
        const QStringList said = t.say(1);
        const quint64 back = t.h.Resume(u"Ann"_s, t.h.net.secrets.at(t.ann), t.held);
        EXPECT_EQ(t.h.net.Take(back), said + QStringList{Resumed}) << row.what;
        EXPECT_EQ(t.h.net.Take(t.bob), said) << row.what;
    }
}

TEST(HubResume, GivesUpASeatAsIfItHadLeftPastTheGracePeriodOrWhatItKeepsAndTheNameJoinsAfresh)
{
    const struct { const char *what; Hub::Limits limits; int missed; bool graceEnds; } table[] = {
        {"the grace period ran out", {}, 1, true},
        {"more deliveries than it keeps", {.keptRecords = 4}, 5, false},
        {"more bytes than it keeps", {.keptBytes = 60}, 4, false},
        {"resuming turned off", {.graceMs = 0}, 0, false},
    };
    for (const auto &row : table) {
        Table t(row.limits);
        t.h.net.PeerCloses(t.ann);
        const QStringList said = t.say(row.missed);
        if (row.graceEnds)
            t.fireGrace();
        EXPECT_EQ(t.h.net.Take(t.bob), said + QStringList{u"[Exit]ÿAnn"_s}) << row.what;
        const quint64 stranger = t.h.Resume(u"Ann"_s, t.h.net.secrets.at(t.ann), t.held);
        EXPECT_EQ(t.h.net.Take(stranger), QStringList{NoSeat}) << row.what;
        const quint64 again = t.h.Join(u"Ann"_s);
        EXPECT_EQ(t.h.net.Take(again), QStringList({u"[Enter]ÿBob"_s, u"[Enter]ÿAnn"_s})) << row.what;
    }
}

TEST(HubResume, AWindowThatNeverAcknowledgesOrSaysGoodbyeLeavesAtOnceAsBefore)
{
    const struct { const char *what; bool acks; QString last; } table[] = {
        {"a window of an earlier release", false, {}},
        {"one that answers Pings without acknowledging", false, u"GÿKÿP"_s},
        {"a window that closes", true, u"GÿKÿX"_s},
    };
    for (const auto &row : table) {
        FakeHub h;
        const quint64 ann = h.Join(u"Ann"_s), bob = h.Join(u"Bob"_s);
        if (row.acks)
            h.Ack(ann, 0);
        if (!row.last.isEmpty())
            h.net.Feed(ann, Frame::Encode(row.last));
        h.net.PeerCloses(ann);
        EXPECT_EQ(h.net.Take(bob), QStringList({u"[Enter]ÿAnn"_s, u"[Enter]ÿBob"_s, u"[Exit]ÿAnn"_s})) << row.what;
    }
}

} // namespace
