// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-computer-load: real rounds of bingo as load, for bench/computer-load.sh.
// G games join one hub over loopback, each of one computer host, which
// starts the rounds and calls a number every I seconds, and P computer
// players, which mark, claim and chat as they do in a player's game. They are
// the program's own ComputerPlayer, over the window's TcpGameLink, spread
// over T threads, each with its own event loop; a game stays in one thread.
// Qt's event loop polls every socket of its thread on each wake-up, so many
// threads with few sockets each cost far less than a few with many.
//
// The delivery latency of every call is measured as bench/load.cpp measures
// its records: from the host handing the record to its link to a player's
// link raising it, on CLOCK_MONOTONIC. That includes both clients' own event
// loops, and with 5,500 Qt clients on the hub's two cores those cost ten
// times what the hub does. So W watchers, each alone in a game of its own,
// measure the hub alone as bench/load.cpp does: on its lean epoll client, in
// a thread of their own, each sends a stamped chat line every 100 ms and
// times it back through the hub while the hub carries the G games.
//
// After S seconds of play it reports the rounds won, the claims, the wins
// and the latency, and with --hub-pid the hub's CPU over the play and its
// memory. Exits 1 when a player could not join, no round was won or the
// watchers' p99 latency is not under --p99-ms.

#include "hubwire.h"
#include "latency.h"
#include "netloop.h"

#include "computer/computerplayer.h"
#include "link/tcpgamelink.h"
#include "support/randomgenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Options
{
    quint16 port = 0;
    int games = 500, players = 10, threads = 25, watchers = 20, hubPid = 0, playersNice = 10;
    QString seconds = QStringLiteral("1");
    double play = 40, p99Ms = 10;
};

// What one game's players share, all in one thread.
struct Game
{
    std::array<int64_t, 101> calledAt{}; // NowNs when the host sent each number
    QHash<QString, int> wins;
    int rounds = 0;
};

struct Shard;

// The window's link, watched: stamps each call the host sends and times each
// call a player receives.
class TimedLink : public GameLink
{
public:
    TimedLink(Shard &shard, Game &game, bool host);
    bool Connect(qint32 port) override { return m_inner.Connect(port); }
    QString ErrorString() const override { return m_inner.ErrorString(); }
    std::optional<QString> Join(const JoinRequest &request, int ms) override { return m_inner.Join(request, ms); }
    bool SendMessage(const QString &messageText) override;
    void Leave() override { m_inner.Leave(); }

private:
    static int calledNumber(const QString &message)
    {
        return message.startsWith(u"Comm;1|") ? message.mid(7).toInt() : 0;
    }
    TcpGameLink m_inner{QStringLiteral("127.0.0.1")};
    Shard &m_shard;
    Game &m_game;
    bool m_host;
};

struct Seat
{
    std::unique_ptr<TimedLink> link;
    std::unique_ptr<RandomGenerator> random;
    std::unique_ptr<ComputerPlayer> player;
};

// The games of one thread.
struct Shard : QObject
{
    Options o;
    int index = 0;
    std::vector<std::unique_ptr<Game>> *games = nullptr; // all of them; this shard plays every threads-th
    std::vector<Seat> seats;
    std::vector<int64_t> latencies; // ns; merged into one histogram at the end
    int joinFailures = 0, claims = 0, lost = 0;
    std::atomic<bool> joined{false};

    void Join()
    {
        // The players stand in for thousands of machines but share the hub's
        // two cores here: below the hub and the watchers, so that they take
        // what the hub leaves instead of keeping it from its work.
        setpriority(PRIO_PROCESS, pid_t(gettid()), o.playersNice);
        for (int g = index; g < o.games; g += o.threads) {
            Game &game = *(*games)[size_t(g)];
            const QString key = QStringLiteral("L%1").arg(g);
            const QString host = QStringLiteral("Computer Host");
            for (int p = 0; p <= o.players; ++p) {
                Seat seat{std::make_unique<TimedLink>(*this, game, p == 0),
                          std::make_unique<RandomGenerator>(quint64(g) << 20 | quint64(p)), nullptr};
                seat.player = std::make_unique<ComputerPlayer>(*seat.link, *seat.random);
                seat.player->SetNames(key, p == 0 ? host : ComputerPlayer::NameFor(p), host, o.seconds);
                if (p == 0) {
                    QObject::connect(seat.player.get(), &ComputerPlayer::RoundWon, this,
                                     [&game](const QString &winner) {
                                         ++game.rounds;
                                         ++game.wins[winner];
                                     });
                }
                QObject::connect(seat.player.get(), &ComputerPlayer::Claimed, this, [this] { ++claims; });
                QObject::connect(seat.player.get(), &ComputerPlayer::Gone, this, [this] { ++lost; });
                if (const auto problem = seat.player->Join(o.port)) {
                    fprintf(stderr, "computer-load: game %d player %d: %s\n", g, p, qPrintable(*problem));
                    ++joinFailures;
                }
                seats.push_back(std::move(seat));
            }
        }
        joined = true;
    }
};

// A probe in one game on the load test's lean epoll client: it sends a
// stamped chat line every 100 ms and times its way through the hub and back.
// The hub pings every connection at once, and here all 5,500 answer at once
// on the same two cores: lines that come back within a second of a Ping are
// also counted apart.
class Watcher : public Bench::Connection
{
public:
    Watcher(std::string key, LatencyHistogram &latency, LatencyHistogram &awayFromPings)
        : m_key(std::move(key))
        , m_latency(latency)
        , m_away(awayFromPings)
    {}
    void Probe() { Send(HubWire::Message(m_key, Bench::Cat("Chat;probe ", std::to_string(Bench::NowNs())))); }

protected:
    size_t OnData(const char *data, size_t size) override
    {
        const size_t used = HubWire::Parse(data, size, [this](std::string_view sender, std::string_view text) {
            const int64_t now = Bench::NowNs();
            int64_t at = 0;
            if (sender == "[Hub]" && text.starts_with("Ping"))
                m_pingAt = now;
            if (sender != "Computer Watcher" || !text.starts_with("Chat;probe "))
                return;
            std::from_chars(text.data() + 11, text.data() + text.size(), at);
            m_latency.Add(now - at);
            if (now - m_pingAt > 1000000000)
                m_away.Add(now - at);
        });
        if (used != SIZE_MAX)
            return used;
        Abort();
        return 0;
    }
    void OnClosed(int) override {}

private:
    std::string m_key;
    LatencyHistogram &m_latency, &m_away;
    int64_t m_pingAt = 0;
};

TimedLink::TimedLink(Shard &shard, Game &game, bool host)
    : m_shard(shard)
    , m_game(game)
    , m_host(host)
{
    connect(&m_inner, &GameLink::TextReceived, this, [this](const QString &sender, const QString &data) {
        if (const int n = calledNumber(data); n > 0 && n <= 100 && m_game.calledAt[n] > 0)
            m_shard.latencies.push_back(Bench::NowNs() - m_game.calledAt[n]);
        emit TextReceived(sender, data);
    });
    connect(&m_inner, &GameLink::LinkLost, this, &GameLink::LinkLost);
    connect(&m_inner, &GameLink::Refused, this, &GameLink::Refused);
}

bool TimedLink::SendMessage(const QString &messageText)
{
    if (const int n = calledNumber(messageText); m_host && n > 0 && n <= 100)
        m_game.calledAt[n] = Bench::NowNs();
    return m_inner.SendMessage(messageText);
}

// The hub's CPU seconds so far, user and system.
double hubCpu(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!pid || !stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

QString hubMemory(int pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return QString::number(line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024, 'f', 1)
                + QStringLiteral(" MiB");
    return QStringLiteral("?");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i];
        const double value = Bench::Number("computer-load", argv[i + 1]);
        if (option == "--port")
            o.port = quint16(value);
        else if (option == "--games")
            o.games = int(value);
        else if (option == "--players")
            o.players = int(value);
        else if (option == "--threads")
            o.threads = int(value);
        else if (option == "--watchers")
            o.watchers = int(value);
        else if (option == "--players-nice")
            o.playersNice = int(value);
        else if (option == "--interval")
            o.seconds = QString::fromLatin1(argv[i + 1]);
        else if (option == "--seconds")
            o.play = value;
        else if (option == "--hub-pid")
            o.hubPid = int(value);
        else if (option == "--p99-ms")
            o.p99Ms = value;
        else {
            fprintf(stderr, "computer-load: unknown option %s\n", option.constData());
            return 2;
        }
    }
    if (argc % 2 == 0 || !o.port || o.games < 1 || o.players < 1 || o.threads < 1) {
        fprintf(stderr,
                "usage: kalumo-computer-load --port N [--games G] [--players P] [--interval SECONDS] "
                "[--threads T] [--watchers W] [--players-nice N] [--seconds S] [--hub-pid PID] [--p99-ms MS]\n");
        return 2;
    }
    o.threads = std::min(o.threads, o.games);

    std::vector<std::unique_ptr<Game>> games;
    for (int g = 0; g < o.games; ++g)
        games.push_back(std::make_unique<Game>());
    // The watchers join first and probe from the start of the play until told to stop.
    LatencyHistogram watched, awayFromPings;
    std::atomic<bool> probing{false}, stopWatching{false};
    // clang-format off
    std::thread watching([&] {
        Bench::Loop loop;
        std::vector<std::unique_ptr<Watcher>> watchers;
        for (int w = 0; w < o.watchers; ++w) {
            const std::string key = Bench::Cat("P", std::to_string(w));
            watchers.push_back(std::make_unique<Watcher>(key, watched, awayFromPings));
            if (watchers.back()->Open(loop, o.port))
                watchers.back()->Send(HubWire::Announce(key, "Computer Watcher"));
        }
        for (int64_t next = Bench::NowNs(); !stopWatching;) {
            loop.Poll(int(std::max<int64_t>(0, next - Bench::NowNs()) / 1000000));
            if (Bench::NowNs() < next)
                continue;
            next += 100000000;
            for (auto &watcher : watchers)
                if (probing && watcher->IsOpen())
                    watcher->Probe();
        }
    });
    // clang-format on

    std::vector<std::unique_ptr<Shard>> shards;
    std::vector<std::unique_ptr<QThread>> threads;
    const int64_t joinStart = Bench::NowNs();
    for (int t = 0; t < o.threads; ++t) {
        shards.push_back(std::make_unique<Shard>());
        shards.back()->o = o;
        shards.back()->index = t;
        shards.back()->games = &games;
        threads.push_back(std::make_unique<QThread>());
        shards.back()->moveToThread(threads.back().get());
        threads.back()->start();
        QMetaObject::invokeMethod(shards.back().get(), &Shard::Join, Qt::QueuedConnection);
    }
    // clang-format off
    auto allJoined = [&] {
        return std::all_of(shards.begin(), shards.end(), [](const auto &s) { return s->joined.load(); });
    };
    // clang-format on
    while (!allJoined())
        QThread::msleep(20);
    const double joinSeconds = double(Bench::NowNs() - joinStart) / 1e9;
    int failures = 0;
    for (const auto &s : shards)
        failures += s->joinFailures;
    printf("computer-load: %d games of 1 host and %d computer players, a call every %s s, %d threads\n", o.games,
           o.players, qPrintable(o.seconds), o.threads);
    printf("joined: %d of %d in %.1f s\n", o.games * (o.players + 1) - failures, o.games * (o.players + 1),
           joinSeconds);
    fflush(stdout);

    probing = true;
    const double cpuBefore = hubCpu(o.hubPid);
    const int64_t playStart = Bench::NowNs();
    QThread::msleep(int(o.play * 1000));
    const double played = double(Bench::NowNs() - playStart) / 1e9;
    const double cpu = hubCpu(o.hubPid) - cpuBefore;

    // Each shard ends its players in its own thread, then stops.
    probing = false;
    for (auto &s : shards) {
        QMetaObject::invokeMethod(
            s.get(), [shard = s.get()] { shard->seats.clear(); }, Qt::BlockingQueuedConnection);
    }
    for (auto &t : threads) {
        t->quit();
        t->wait();
    }
    stopWatching = true;
    watching.join();

    LatencyHistogram latency;
    int rounds = 0, claims = 0, lost = 0, gamesWithoutWin = 0, winners = 0, mostWins = 0;
    for (const auto &s : shards) {
        for (int64_t ns : s->latencies)
            latency.Add(ns);
        claims += s->claims;
        lost += s->lost;
    }
    for (const auto &game : games) {
        rounds += game->rounds;
        gamesWithoutWin += game->rounds == 0;
        winners += int(game->wins.size());
        for (int wins : std::as_const(game->wins))
            mostWins = std::max(mostWins, wins);
    }
    const double p99 = double(watched.Percentile(0.99)) / 1000;
    printf("played: %.0f s; rounds won: %d (%.2f a game; games without a win: %d); claims sent: %d; "
           "players who won: %d; most wins by one player: %d; links lost: %d\n",
           played, rounds, double(rounds) / o.games, gamesWithoutWin, claims, winners, mostWins, lost);
    for (const auto &[who, histogram] :
         {std::pair{"calls to the players", &latency}, std::pair{"watchers' probes", &watched},
          std::pair{"probes a second or more from a Ping", &awayFromPings}}) {
        printf("%s: %llu delivered; latency p50 %.2f ms, p99 %.2f ms, max %.1f ms\n", who,
               static_cast<unsigned long long>(histogram->Count()), double(histogram->Percentile(0.5)) / 1000,
               double(histogram->Percentile(0.99)) / 1000, double(histogram->Max()) / 1000);
    }
    if (o.hubPid) {
        printf("hub: CPU %.1f s over %.0f s of play (%.0f%% of one core); memory peak %s, now %s\n", cpu, played,
               100 * cpu / played, qPrintable(hubMemory(o.hubPid, "VmHWM:")),
               qPrintable(hubMemory(o.hubPid, "VmRSS:")));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    printf("load generator: CPU %.1f s in all\n",
           double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
               + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
    const bool ok = failures == 0 && rounds > 0 && watched.Count() > 0 && p99 < o.p99Ms;
    printf("%s\n",
           ok ? "ok"
              : "FAILED: a player could not join, no round was won, or the watchers' p99 is not under the limit");
    return ok ? 0 : 1;
}
