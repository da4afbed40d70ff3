// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The players of kalumo-load and what they count (bench/load.cpp), shared
// with its report (bench/loadreport.cpp).

#include "latency.h"
#include "netloop.h"

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace LoadBench {

enum class Role { Host, Reader, Rejoiner, Stopper, Garbage, Flooder };
constexpr int FloodGame = 0;

struct Options
{
    uint16_t port = 0;
    int games = 200, players = 10, intervalMs = 10, bytes = 200;
    double seconds = 60, deadline = 110;
};

struct Load;

class Player : public Bench::Connection
{
public:
    Player(Load &load, int game, int index, Role role);
    void Join();
    Role role;
    int game;
    std::string name;
    bool joined = false, cutOff = false;
    int64_t nextEvent = 0; // the next misbehaviour or rejoin, in NowNs
    uint64_t expected = 0; // the next sequence number due in this session
    bool inSession = false; // a record arrived since the last (re)join
    uint64_t received = 0, faults = 0, sessions = 0, garbageSent = 0, closedByHub = 0, floodSent = 0;

protected:
    size_t OnData(const char *data, size_t size) override;
    void OnClosed(int error) override;

private:
    void record(std::string_view sender, std::string_view text);
    Load &m_load;
};

struct Load
{
    Options o;
    Bench::Loop loop;
    std::vector<std::unique_ptr<Player>> players;
    std::vector<uint64_t> sent; // per game
    std::vector<int64_t> nextSend; // per game
    LatencyHistogram latency;
    // Well-behaved players' latencies by half of the run (without the
    // flooder, with it) and by game (the others, the flooder's).
    LatencyHistogram halves[2][2];
    std::string flooder;
    int64_t floodFrom = 0;
    std::mt19937 random{7};
    int64_t start = 0, end = 0;

    int64_t After(double fromSeconds, double toSeconds)
    {
        std::uniform_real_distribution<double> d(fromSeconds, toSeconds);
        return Bench::NowNs() + int64_t(d(random) * 1e9);
    }
    Player &HostOf(int game) { return *players[size_t(game * o.players)]; }
};

// Prints what the run counted and whether it passed: every well-behaved
// player got every record of its game, readers that stopped were cut off,
// garbage was closed, the flooder cost the others little. `drained`: every
// well-behaved player got the rest of its game's records before the deadline.
bool Report(const Load &load, bool drained);

} // namespace LoadBench
