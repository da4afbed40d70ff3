// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-connect: what connections cost kalumo-hub, over TLS or plain.
//
//   kalumo-connect --hub PORT [--tls] --rate SECONDS [--concurrent C]
//       C connections at a time each join a game of their own and are then
//       reset, for SECONDS; prints the joins completed a second. Over TLS
//       each join takes a full handshake, the hub's share of which is the
//       server's CPU time the script measures beside it.
//   kalumo-connect --hub PORT [--tls] [--web] --idle N --pid PID
//       N connections join games of 10 and stay idle; prints the growth of
//       the hub's resident memory per connection, read from /proc/PID/status
//       before the first connects and once the last has joined. With --web
//       they are browsers' WebSockets (webwire.h).
//
// Prints a RESULT line for scripts; exits 2 when a connection cannot join.

#include "hubwire.h"
#include "netloop.h"
#include "webwire.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

Bench::Loop loop;
uint16_t port = 0;
bool web = false;

// One connection that joins under a name of its own each time it opens.
class Joiner : public Bench::Connection
{
public:
    explicit Joiner(std::string key)
        : m_key(std::move(key))
    {}
    void Join()
    {
        static uint64_t joins = 0;
        m_name = Bench::Cat("j", std::to_string(joins++));
        joined = closed = false;
        if (!Open(loop, port)) {
            perror("connect");
            exit(2);
        }
        if (!web)
            return Send(HubWire::Announce(m_key, m_name));
        m_web = std::make_unique<WebWire>();
        m_frames.clear();
        Send(WebWire::UpgradeRequest());
        m_web->Send(HubWire::Announce(m_key, m_name));
        Send(std::exchange(m_web->out, {}));
    }
    bool joined = false, closed = false;

protected:
    size_t OnData(const char *data, size_t size) override
    {
        if (!m_web)
            return onFrames(data, size);
        if (!m_web->Feed(data, size, m_frames))
            closed = true;
        if (!m_web->out.empty())
            Send(std::exchange(m_web->out, {}));
        m_frames.erase(0, onFrames(m_frames.data(), m_frames.size()));
        return size;
    }
    size_t onFrames(const char *data, size_t size)
    {
        return HubWire::Parse(data, size, [&](std::string_view sender, std::string_view text) {
            joined = joined || (sender == "[Enter]" && text == m_name);
        });
    }
    void OnClosed(int) override { closed = true; }

private:
    std::string m_key, m_name;
    std::unique_ptr<WebWire> m_web;
    std::string m_frames;
};

long residentKiB(long pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

int rate(double seconds, int concurrent)
{
    std::vector<std::unique_ptr<Joiner>> slots;
    for (int i = 0; i < concurrent; ++i)
        slots.push_back(std::make_unique<Joiner>(Bench::Cat("r", std::to_string(i))));
    for (auto &slot : slots)
        slot->Join();
    uint64_t joins = 0;
    const int64_t end = Bench::NowNs() + int64_t(seconds * 1e9);
    while (Bench::NowNs() < end) {
        loop.Poll(1);
        for (auto &slot : slots) {
            if (slot->closed) {
                fprintf(stderr, "connect: the hub closed a connection before it joined\n");
                return 2;
            }
            if (slot->joined) {
                ++joins;
                slot->Abort();
                slot->Join();
            }
        }
    }
    printf("%.0f joins/s with %d connections at a time\n", double(joins) / seconds, concurrent);
    printf("RESULT joins=%.0f\n", double(joins) / seconds);
    return 0;
}

int idle(int count, long pid)
{
    const long before = residentKiB(pid);
    std::vector<std::unique_ptr<Joiner>> players;
    // A few hundred handshakes at a time, so the listen queue never overflows.
    size_t next = 0, joined = 0;
    const int64_t deadline = Bench::NowNs() + 120'000'000'000;
    while (joined < size_t(count)) {
        while (next < size_t(count) && next - joined < 200) {
            players.push_back(std::make_unique<Joiner>(Bench::Cat("i", std::to_string(next / 10))));
            players.back()->Join();
            ++next;
        }
        loop.Poll(10);
        joined = 0;
        for (const auto &player : players) {
            joined += player->joined;
            if (player->closed || Bench::NowNs() > deadline) {
                fprintf(stderr, "connect: a connection could not join (%zu of %d joined)\n", joined, count);
                return 2;
            }
        }
    }
    // Let the hub settle: the deliveries of the last joins are written.
    for (int64_t end = Bench::NowNs() + 1'000'000'000; Bench::NowNs() < end;)
        loop.Poll(10);
    const long after = residentKiB(pid);
    const double each = double(after - before) / count;
    printf("%d idle joined connections: the hub grew from %ld KiB to %ld KiB, %.1f KiB each\n", count, before, after,
           each);
    printf("RESULT kib_each=%.1f\n", each);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    double seconds = 0;
    int concurrent = 50, count = 0;
    long pid = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool flag = option == "--tls" || option == "--web";
        const double value = flag ? 0 : Bench::Number("connect", i + 1 < argc ? argv[i + 1] : "");
        if (option == "--tls")
            loop.UseTls();
        web = web || option == "--web";
        if (flag)
            continue;
        ++i;
        if (option == "--hub")
            port = uint16_t(value);
        else if (option == "--rate")
            seconds = value;
        else if (option == "--concurrent")
            concurrent = int(value);
        else if (option == "--idle")
            count = int(value);
        else if (option == "--pid")
            pid = long(value);
        else
            seconds = count = 0;
    }
    if (!port || (seconds > 0) == (count > 0) || concurrent < 1 || (count > 0 && pid <= 0)) {
        fprintf(stderr,
                "usage: kalumo-connect --hub PORT [--tls] [--web] (--rate SECONDS [--concurrent C] | --idle N --pid "
                "PID)\n");
        return 2;
    }
    return seconds > 0 ? rate(seconds, concurrent) : idle(count, pid);
}
