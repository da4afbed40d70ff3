// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-heartbeat: what the hub's heartbeat costs it.
//
//   kalumo-heartbeat [--players N] [--seconds S]
//
// N players (5,500 by default) in games of 11 join one hub, in this process
// but on a thread of its own, over loopback, and then sit idle, answering
// every Ping and beating when asked as a window does: idle is when the
// heartbeat costs the most. The hub's thread CPU is measured over S seconds
// (30 by default), in the same run: with Pings every 15 seconds as the
// release before sent them, with the heartbeat and windows that beat, and
// with the heartbeat and windows that only answer Pings (those of the
// heartbeat's first release). Prints a RESULT line for each; exits 2 when a
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
    Player(std::string key, std::string name, bool beats)
        : m_key(std::move(key))
        , m_name(std::move(name))
        , m_beats(beats)
    {}
    bool Join(uint16_t port) { return Open(loop, port) && (write(HubWire::Announce(m_key, m_name)), true); }
    // Beats when it wrote nothing for the hub's beat, as a window does.
    void Tick(int64_t nowNs)
    {
        if (m_beatNs > 0 && nowNs - m_wroteNs >= m_beatNs)
            beat();
    }
    bool joined = false;
    bool closed = false;
    uint64_t pings = 0, beats = 0;

protected:
    size_t OnData(const char *data, size_t size) override
    {
        return HubWire::Parse(data, size, [this](std::string_view sender, std::string_view text) {
            if (sender == "[Hub]" && text == "Ping") {
                ++pings;
                write(HubWire::Frame(Bench::Cat("G", HubWire::Separator, m_key, HubWire::Separator, "P")));
            } else if (sender == "[Hub]" && text.starts_with(m_beatAsked) && m_beats) {
                // The first beat goes at once, so the hub stops pinging.
                m_beatNs = int64_t(std::stoi(std::string(text.substr(m_beatAsked.size())))) * 1'000'000;
                beat();
            } else if (sender == "[Enter]" && text == m_name) {
                joined = true;
            }
        });
    }
    void OnClosed(int) override { closed = true; }

private:
    void beat()
    {
        ++beats;
        write(m_beatFrame);
    }
    void write(const std::string &bytes)
    {
        Send(bytes);
        m_wroteNs = Bench::NowNs();
    }
    std::string m_key, m_name;
    const std::string m_beatAsked = Bench::Cat("Beat", HubWire::Separator);
    const std::string m_beatFrame = HubWire::Frame(Bench::Cat("G", HubWire::Separator, m_key, HubWire::Separator, "B"));
    bool m_beats;
    int64_t m_beatNs = 0, m_wroteNs = 0;
};

double threadCpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The hub's CPU over `seconds` of idle players, as a share of one core.
double measure(const char *label, const Hub::Limits &limits, bool beats, int players, double seconds)
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
        all.push_back(std::make_unique<Player>(Bench::Cat("game", std::to_string(i / 11)),
                                               Bench::Cat("p", std::to_string(i)), beats));
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
    const auto idle = [&](int64_t untilNs) {
        while (Bench::NowNs() < untilNs) {
            loop.Poll(10);
            for (const auto &p : all)
                p->Tick(Bench::NowNs());
        }
    };
    idle(Bench::NowNs() + 3'000'000'000);
    const auto sum = [&](uint64_t Player::*count) {
        uint64_t total = 0;
        for (const auto &p : all)
            total += (*p).*count;
        return total;
    };
    const uint64_t pingsBefore = sum(&Player::pings), beatsBefore = sum(&Player::beats);
    const double cpuBefore = threadCpuSeconds(hubClock);
    idle(Bench::NowNs() + int64_t(seconds * 1e9));
    const double share = (threadCpuSeconds(hubClock) - cpuBefore) / seconds;
    std::printf("RESULT %s: %d players, %.0f Pings and %.0f beats a second, hub CPU %.2f %% of a core\n", label,
                players, double(sum(&Player::pings) - pingsBefore) / seconds,
                double(sum(&Player::beats) - beatsBefore) / seconds, 100 * share);
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
    before.beatMs = 0;
    const double old = measure("pings every 15 s", before, false, players, seconds);
    const double beating = measure("heartbeat, windows that beat", heartbeat, true, players, seconds);
    const double pinged = measure("heartbeat, windows that only answer Pings", heartbeat, false, players, seconds);
    std::printf("RESULT with windows that beat, the heartbeat costs %.2f %% of a core more\n", 100 * (beating - old));
    std::printf("RESULT with windows that only answer Pings, %.2f %% more\n", 100 * (pinged - old));
}
