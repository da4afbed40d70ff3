// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-heartbeat: what the hub's heartbeat costs it.
//
//   kalumo-heartbeat [--players N] [--seconds S]
//
// N players (5,500 by default) in games of 11 join one hub, in this process
// but on a thread of its own, over loopback, and then sit idle, answering
// every Ping as a window does: idle is when the heartbeat pings the most. The
// hub's thread CPU is measured over S seconds (30 by default), first with
// Pings every 15 seconds as the release before sent them, then with the
// heartbeat, in the same run. Prints a RESULT line for each; exits 2 when a
// player cannot join.

#include "hubwire.h"
#include "netloop.h"
#include "server/hub.h"
#include "server/tcptransport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <future>
#include <memory>
#include <vector>

namespace {

Bench::Loop loop;

class Player : public Bench::Connection
{
public:
    Player(std::string key, std::string name)
        : m_key(std::move(key))
        , m_name(std::move(name))
    {}
    bool Join(uint16_t port) { return Open(loop, port) && (Send(HubWire::Announce(m_key, m_name)), true); }
    bool joined = false;
    bool closed = false;
    uint64_t pings = 0;

protected:
    size_t OnData(const char *data, size_t size) override
    {
        return HubWire::Parse(data, size, [this](std::string_view sender, std::string_view text) {
            if (sender == "[Hub]" && text == "Ping") {
                ++pings;
                Send(HubWire::Frame(Bench::Cat("G", HubWire::Separator, m_key, HubWire::Separator, "P")));
            } else if (sender == "[Enter]" && text == m_name) {
                joined = true;
            }
        });
    }
    void OnClosed(int) override { closed = true; }

private:
    std::string m_key, m_name;
};

double threadCpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The hub's CPU over `seconds` of idle players, as a share of one core.
double measure(const char *label, const Hub::Limits &limits, int players, double seconds)
{
    std::promise<std::pair<uint16_t, pthread_t>> started;
    // clang-format off
    QThread *thread = QThread::create([&] {
        TcpTransport transport;
        transport.Listen(QHostAddress::LocalHost, 0);
        Hub hub(transport, limits);
        started.set_value({transport.Port(), pthread_self()});
        QEventLoop running; // until the thread is told to quit
        running.exec();
    });
    // clang-format on
    thread->start();
    const auto [port, hubThread] = started.get_future().get();
    clockid_t hubClock{};
    pthread_getcpuclockid(hubThread, &hubClock);

    std::vector<std::unique_ptr<Player>> all;
    for (int i = 0; i < players; ++i) {
        all.push_back(
            std::make_unique<Player>(Bench::Cat("game", std::to_string(i / 11)), Bench::Cat("p", std::to_string(i))));
        if (!all.back()->Join(port)) {
            std::fprintf(stderr, "kalumo-heartbeat: player %d could not connect\n", i);
            std::exit(2);
        }
        if (i % 100 == 99)
            loop.Poll(0);
    }
    const int64_t joinBy = Bench::NowNs() + 20'000'000'000;
    size_t joined = 0;
    while ((joined = size_t(std::count_if(all.begin(), all.end(), [](const auto &p) { return p->joined; })))
               < all.size()
           && Bench::NowNs() < joinBy)
        loop.Poll(100);
    if (joined < all.size()) {
        std::fprintf(stderr, "kalumo-heartbeat: %zu of %d players joined\n", joined, players);
        std::exit(2);
    }
    // The joins are over; every player has been pinged once before the measure starts.
    for (const int64_t settle = Bench::NowNs() + 3'000'000'000; Bench::NowNs() < settle;)
        loop.Poll(100);
    uint64_t pingsBefore = 0;
    for (const auto &p : all)
        pingsBefore += p->pings;
    const double cpuBefore = threadCpuSeconds(hubClock);
    for (const int64_t end = Bench::NowNs() + int64_t(seconds * 1e9); Bench::NowNs() < end;)
        loop.Poll(100);
    const double share = (threadCpuSeconds(hubClock) - cpuBefore) / seconds;
    uint64_t pings = 0;
    for (const auto &p : all)
        pings += p->pings;
    std::printf("RESULT %s: %d players, %.0f Pings a second, hub CPU %.2f %% of a core\n", label, players,
                double(pings - pingsBefore) / seconds, 100 * share);
    std::fflush(stdout);
    for (auto &p : all)
        p->Abort();
    thread->quit();
    thread->wait();
    delete thread;
    return share;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int players = 5500;
    double seconds = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view flag = argv[i];
        if (flag == "--players")
            players = int(Bench::Number("kalumo-heartbeat", argv[i + 1]));
        else if (flag == "--seconds")
            seconds = Bench::Number("kalumo-heartbeat", argv[i + 1]);
    }
    // Each player is a descriptor here and one in the hub.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    Hub::Limits heartbeat;
    heartbeat.maxPerAddress = players; // every player comes from 127.0.0.1
    Hub::Limits before = heartbeat;
    before.heartbeatMs = 15000; // a Ping every 15 s to an idle window, as the release before sent
    before.awayMs = before.silenceMs;
    const double old = measure("pings every 15 s", before, players, seconds);
    const double now = measure("heartbeat", heartbeat, players, seconds);
    std::printf("RESULT the heartbeat costs %.2f %% of a core more\n", 100 * (now - old));
}
