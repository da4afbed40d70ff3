// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-load: the hub under load and misbehaviour, for bench/load-test.sh.
// G games of P players join one hub over loopback; each game's host sends one
// "C" record every I ms for S seconds. Meanwhile, in every game, player 7
// drops its connection without a word and joins again every few seconds; in
// every fourth game player 8 stops reading; in every fourth game (another
// one) player 9 sends garbage, oversized frames or records of no known form,
// and joins again each time the hub closes it. For the second half of the
// run, player 6 of game 0 floods: it sends chat records as fast as its
// socket takes them and joins again each time the hub closes it. Everyone
// else behaves.
//
// Checks, on exit status 1 when one fails: every well-behaved player got
// every record of its game exactly once and in order, from its host; no
// record reached another game; within each of its sessions a rejoining
// player's records run without a gap; every reader that stopped was cut off
// by the hub; every garbage sender was closed each time; the flooder was cut
// off, and the p99 latency of the well-behaved players, in the flooder's game
// and in the others, stayed within twice (or 1 ms of) that of the first half.
// Stops by itself: any phase that overruns its deadline fails the run.

#include "load.h"
#include "hubwire.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace LoadBench {

Player::Player(Load &load, int g, int index, Role r)
    : role(r)
    , game(g)
    , name(Bench::Cat("g", std::to_string(g), "p", std::to_string(index)))
    , m_load(load)
{}

void Player::Join()
{
    joined = false;
    inSession = false;
    // A reader that is to stop gets a small window, so the hub, not the
    // kernel, is left holding what it cannot send.
    if (!Open(m_load.loop, m_load.o.port, role == Role::Stopper ? 16384 : 0)) {
        perror("connect");
        exit(2);
    }
    Send(HubWire::Announce(Bench::Cat("G", std::to_string(game)), name));
}

size_t Player::OnData(const char *data, size_t size)
{
    const size_t used = HubWire::Parse(data, size, [&](std::string_view sender, std::string_view text) {
        if (sender == m_load.flooder || sender == "[Hub]") // a flood record, or the hub refusing this one
            return;
        if (sender == "[Enter]" || sender == "[Exit]") {
            if (sender == "[Enter]" && text == name && !joined) {
                joined = true;
                ++sessions;
            }
            return;
        }
        record(sender, text);
    });
    if (used == SIZE_MAX) {
        ++faults;
        fprintf(stderr, "load: %s: broken stream from the hub\n", name.c_str());
        Abort();
        return 0;
    }
    return used;
}

void Player::record(std::string_view sender, std::string_view text)
{
    const int64_t now = Bench::NowNs();
    // "L game seq sentAt padding"
    int g = -1;
    uint64_t seq = 0;
    int64_t sentAt = 0;
    const char *p = text.data() + std::min<size_t>(2, text.size()), *e = text.data() + text.size();
    auto r = std::from_chars(p, e, g);
    r = std::from_chars(r.ptr + 1, e, seq);
    r = std::from_chars(r.ptr + 1, e, sentAt);
    const bool fromOwnHost = sender == m_load.HostOf(game).name && g == game && text.substr(0, 2) == "L ";
    const bool inOrder = inSession
        ? seq == expected
        : (role == Role::Rejoiner || role == Role::Garbage || role == Role::Flooder || seq == 0);
    if (!fromOwnHost || !inOrder || r.ec != std::errc()) {
        if (faults++ < 3)
            fprintf(stderr, "load: %s got %.*s from %.*s, expected game %d seq %llu\n", name.c_str(),
                    int(std::min<size_t>(text.size(), 40)), text.data(), int(sender.size()), sender.data(), game,
                    static_cast<unsigned long long>(expected));
    }
    inSession = true;
    expected = seq + 1;
    ++received;
    if (role == Role::Host || role == Role::Reader) {
        m_load.latency.Add(now - sentAt);
        m_load.halves[sentAt >= m_load.floodFrom][game == FloodGame].Add(now - sentAt);
    }
}

void Player::OnClosed(int)
{
    // Only misbehaving players are ever closed by the hub.
    ++closedByHub;
    joined = false;
    if (role == Role::Stopper) {
        cutOff = true;
    } else if (role == Role::Garbage || role == Role::Rejoiner || role == Role::Flooder) {
        nextEvent = m_load.After(0.1, 0.3); // join again soon
    } else {
        ++faults;
        fprintf(stderr, "load: %s, which behaves, was closed by the hub\n", name.c_str());
    }
}

} // namespace LoadBench

using namespace LoadBench;

namespace {

std::string garbage(int kind)
{
    switch (kind % 4) {
    case 0:
        return HubWire::Frame("G\xff\xfe not UTF-8");
    case 1:
        return Bench::Cat(std::string("\x00\x10\x00\x00", 4), std::string(4096, 'x')); // 1 MiB announced
    case 2:
        return HubWire::Frame("hello, hub");
    default:
        return HubWire::Frame(Bench::Cat("G", HubWire::Separator, "K", HubWire::Separator, "Z"));
    }
}

void misbehave(Load &load, Player &p, int64_t now)
{
    if (p.nextEvent == 0 || now < p.nextEvent)
        return;
    if (!p.IsOpen()) { // closed earlier: join again
        p.Join();
        p.nextEvent = p.role == Role::Flooder ? now : load.After(2, 6);
        return;
    }
    switch (p.role) {
    case Role::Rejoiner:
        p.Abort();
        p.joined = false;
        p.nextEvent = load.After(0.05, 0.3);
        break;
    case Role::Stopper:
        p.StopReading();
        p.nextEvent = 0;
        break;
    case Role::Flooder:
        // As fast as the socket takes them, a slice per turn of the loop
        // (the hub reads on after closing it, so the socket may never fill);
        // nextEvent stays due.
        for (int i = 0; i < 256 && p.joined && p.IsOpen() && p.Unsent() == 0; ++i) {
            p.Send(HubWire::Message(Bench::Cat("G", std::to_string(FloodGame)),
                                    Bench::Cat("Chat;flood ", std::to_string(p.floodSent++), std::string(100, '.'))));
        }
        break;
    case Role::Garbage:
        if (p.joined) {
            p.Send(garbage(int(p.garbageSent++)));
            p.nextEvent = load.After(3, 6); // the hub closes it before then
        }
        break;
    default:
        break;
    }
}

bool runUntil(Load &load, int64_t deadline, auto &&done)
{
    while (!done()) {
        if (Bench::NowNs() > deadline)
            return false;
        load.loop.Poll(5);
    }
    return true;
}

// The command line into o; false, with a word on standard error, when it is wrong.
bool parseOptions(int argc, char **argv, Options &o)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const double value = Bench::Number("load", argv[i + 1]);
        if (option == "--port")
            o.port = uint16_t(value);
        else if (option == "--games")
            o.games = int(value);
        else if (option == "--players")
            o.players = int(value);
        else if (option == "--interval-ms")
            o.intervalMs = int(value);
        else if (option == "--bytes")
            o.bytes = int(value);
        else if (option == "--seconds")
            o.seconds = value;
        else if (option == "--deadline")
            o.deadline = value;
        else {
            fprintf(stderr, "load: unknown option %s\n", option.c_str());
            return false;
        }
    }
    if (argc % 2 == 0 || !o.port || o.games < 1 || o.players < 1 || o.intervalMs < 1) {
        fprintf(stderr,
                "usage: kalumo-load --port N [--games G] [--players P] [--interval-ms I] [--bytes B] "
                "[--seconds S] [--deadline S]\n");
        return false;
    }
    return true;
}

// Every game's players and who of them misbehaves how (see the top of this file).
void cast(Load &load)
{
    const Options &o = load.o;
    for (int g = 0; g < o.games; ++g) {
        for (int i = 0; i < o.players; ++i) {
            Role role = i == 0 ? Role::Host : Role::Reader;
            if (i == 7)
                role = Role::Rejoiner;
            if (i == 8 && g % 4 == 0)
                role = Role::Stopper;
            if (i == 9 && g % 4 == 1)
                role = Role::Garbage;
            if (i == 6 && g == FloodGame)
                role = Role::Flooder;
            load.players.push_back(std::make_unique<Player>(load, g, i, role));
            if (role == Role::Flooder)
                load.flooder = load.players.back()->name;
        }
    }
}

// Each host sends its records on time until the end of the run while the
// others misbehave; false when the deadline passes first.
bool play(Load &load, int64_t hardDeadline)
{
    const Options &o = load.o;
    const int64_t interval = int64_t(o.intervalMs) * 1000000;
    std::string text;
    for (int64_t now = Bench::NowNs(); now < load.end; now = Bench::NowNs()) {
        if (now > hardDeadline) {
            fprintf(stderr, "load: deadline passed while sending\n");
            return false;
        }
        for (int g = 0; g < o.games; ++g) {
            while (load.nextSend[size_t(g)] <= now && load.nextSend[size_t(g)] < load.end) {
                text = Bench::Cat("L ", std::to_string(g), " ", std::to_string(load.sent[size_t(g)]++), " ",
                                  std::to_string(Bench::NowNs()), " ");
                if (int(text.size()) < o.bytes)
                    text.append(size_t(o.bytes) - text.size(), '.');
                load.HostOf(g).Send(HubWire::Message(Bench::Cat("G", std::to_string(g)), text));
                load.nextSend[size_t(g)] += interval;
            }
        }
        for (auto &p : load.players)
            misbehave(load, *p, now);
        load.loop.Poll(1);
    }
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    Load load;
    Options &o = load.o;
    if (!parseOptions(argc, argv, o))
        return 2;
    const int64_t hardDeadline = Bench::NowNs() + int64_t(o.deadline * 1e9);

    cast(load);
    for (auto &p : load.players) {
        p->Join();
        load.loop.Poll(0);
    }
    // clang-format off
    auto allJoined = [&] {
        for (auto &p : load.players)
            if (!p->joined) return false;
        return true;
    };
    // clang-format on
    if (!runUntil(load, std::min(hardDeadline, Bench::NowNs() + 30'000'000'000), allJoined)) {
        fprintf(stderr, "load: not every player could join\n");
        return 1;
    }
    printf("load: %zu players joined %d games\n", load.players.size(), o.games);

    load.start = Bench::NowNs();
    load.end = load.start + int64_t(o.seconds * 1e9);
    load.floodFrom = load.start + int64_t(o.seconds * 0.5e9);
    const int64_t interval = int64_t(o.intervalMs) * 1000000;
    load.sent.assign(size_t(o.games), 0);
    load.nextSend.resize(size_t(o.games));
    for (int g = 0; g < o.games; ++g)
        load.nextSend[size_t(g)] = load.start + interval * g / o.games; // spread over the interval
    for (auto &p : load.players) {
        if (p->role == Role::Rejoiner || p->role == Role::Garbage)
            p->nextEvent = load.After(2, 6);
        if (p->role == Role::Stopper)
            p->nextEvent = load.After(o.seconds * 0.1, o.seconds * 0.25);
        if (p->role == Role::Flooder)
            p->nextEvent = load.floodFrom;
    }
    if (!play(load, hardDeadline))
        return 1;
    // Every well-behaved player must now get the rest of its game's records.
    auto behaves = [](const Player &p) { return p.role == Role::Host || p.role == Role::Reader; };
    // clang-format off
    auto allDelivered = [&] {
        for (auto &p : load.players)
            if (behaves(*p) && p->received < load.sent[size_t(p->game)]) return false;
        return true;
    };
    // clang-format on
    const bool drained = runUntil(load, std::min(hardDeadline, Bench::NowNs() + 15'000'000'000), allDelivered);
    for (auto &p : load.players)
        if (p->role == Role::Stopper)
            p->ResumeReading();
    // clang-format off
    auto stoppersGone = [&] {
        for (auto &p : load.players)
            if (p->role == Role::Stopper && !p->cutOff) return false;
        return true;
    };
    // clang-format on
    runUntil(load, std::min(hardDeadline, Bench::NowNs() + 10'000'000'000), stoppersGone);
    return Report(load, drained) ? 0 : 1;
}
