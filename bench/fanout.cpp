// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-fanout: a fan-out benchmark. G games of P players on one server over
// loopback; each game's first player, its host, sends records as fast as the
// server takes them: at most W of its own records are on the way at a time,
// a record counting as on the way until it has come back to the host. Every
// player times every record it gets. The same workload runs against
// kalumo-hub (one game per key) or an MQTT broker (one topic per game, one
// subscriber per player, QoS 0).
//
//   kalumo-fanout (--hub PORT | --mqtt PORT) [--tls] [--web] [--games G] [--players P]
//                 [--seconds S] [--warmup S] [--window W] [--bytes N]
//
// With --tls every connection speaks TLS 1.3. With --web every player is a
// browser's: the hub's game link over a WebSocket (webwire.h).
//
// Prints deliveries per second over the measured seconds, the latency p50,
// p99 and maximum, and a RESULT line for scripts. Exits 1 when a player got
// a record twice, out of order or from another game, or one went missing.

#include "hubwire.h"
#include "latency.h"
#include "mqttwire.h"
#include "netloop.h"
#include "webwire.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Options
{
    bool mqtt = false, tls = false, web = false;
    uint16_t port = 0;
    int games = 50, players = 10, window = 8, bytes = 64;
    double seconds = 10, warmup = 1;
};

struct Run;

class Player : public Bench::Connection
{
public:
    Player(Run &run, int game, int index)
        : m_run(run)
        , m_game(game)
        , m_index(index)
        , m_name(NameOf(game, index))
    {}
    static std::string NameOf(int game, int index)
    {
        std::string name = "p";
        name.append(std::to_string(game)).append("_").append(std::to_string(index));
        return name;
    }
    void Start();
    // A frame of the hub's link, over the WebSocket for a browser.
    void SendFrame(const std::string &frame)
    {
        if (!m_web)
            return Send(frame);
        m_web->Send(frame);
        Send(std::exchange(m_web->out, {}));
    }
    bool ready = false;
    uint64_t nextSeq = 0, received = 0, errors = 0;
    bool closed = false;

protected:
    size_t OnData(const char *data, size_t size) override;
    void OnClosed(int) override { closed = true; }

private:
    size_t OnFrames(const char *data, size_t size);
    void record(std::string_view game, std::string_view payload);
    Run &m_run;
    int m_game, m_index;
    std::string m_name;
    std::unique_ptr<WebWire> m_web;
    std::string m_frames; // a browser's messages as the hub's frames, not yet read
};

struct Game
{
    Player *host = nullptr;
    std::string key, topic, hostName;
    uint64_t sent = 0;
    int inFlight = 0;
};

struct Run
{
    Options options;
    Bench::Loop loop;
    std::vector<Game> games;
    std::vector<std::unique_ptr<Player>> players;
    LatencyHistogram latency;
    int64_t measureFrom = 0, measureTo = 0;
    bool sending = false;
    uint64_t measured = 0;

    void Pump(Game &game)
    {
        while (sending && game.inFlight < options.window) {
            char head[64];
            const int n = snprintf(head, sizeof head, "%llu %lld ", static_cast<unsigned long long>(game.sent),
                                   static_cast<long long>(Bench::NowNs()));
            std::string payload(head, size_t(n));
            if (int(payload.size()) < options.bytes)
                payload.append(size_t(options.bytes) - payload.size(), 'x');
            if (options.mqtt)
                game.host->Send(MqttWire::Publish(game.topic, payload));
            else
                game.host->SendFrame(HubWire::Message(game.key, payload));
            ++game.sent;
            ++game.inFlight;
        }
    }
};

void Player::Start()
{
    if (!Open(m_run.loop, m_run.options.port)) {
        perror("connect");
        exit(2);
    }
    const Game &game = m_run.games[size_t(m_game)];
    if (m_run.options.mqtt) {
        Send(MqttWire::Connect(m_name));
        Send(MqttWire::Subscribe(game.topic, 1));
    } else {
        if (m_run.options.web) {
            m_web = std::make_unique<WebWire>();
            Send(WebWire::UpgradeRequest());
        }
        SendFrame(HubWire::Announce(game.key, m_name));
    }
}

size_t Player::OnData(const char *data, size_t size)
{
    if (m_web) {
        if (!m_web->Feed(data, size, m_frames)) {
            fprintf(stderr, "fanout: the hub broke a browser's link\n");
            exit(2);
        }
        if (!m_web->out.empty()) // a pong or a close; nothing, mostly
            Send(std::exchange(m_web->out, {}));
        const size_t used = m_frames.empty() ? 0 : OnFrames(m_frames.data(), m_frames.size());
        m_frames.erase(0, used);
        return size;
    }
    return OnFrames(data, size);
}

size_t Player::OnFrames(const char *data, size_t size)
{
    size_t used;
    if (m_run.options.mqtt) {
        used = MqttWire::Parse(
            data, size, [&](std::string_view topic, std::string_view payload) { record(topic, payload); },
            [&](unsigned char type) { ready = ready || (type & 0xf0) == 0x90; });
    } else {
        used = HubWire::Parse(data, size, [&](std::string_view sender, std::string_view text) {
            if (sender == "[Enter]" || sender == "[Exit]"
                || sender == "[Hub]") { // the hub's own frames, as a window of an earlier release
                ready = ready || (sender == "[Enter]" && text == m_name);
                return;
            }
            record(sender, text);
        });
    }
    if (used == SIZE_MAX) {
        fprintf(stderr, "fanout: broken stream from the server\n");
        exit(2);
    }
    return used;
}

void Player::record(std::string_view from, std::string_view payload)
{
    const int64_t now = Bench::NowNs();
    Game &game = m_run.games[size_t(m_game)];
    uint64_t seq = 0;
    long long sentAt = 0;
    const char *end = payload.data() + payload.size();
    auto r = std::from_chars(payload.data(), end, seq);
    if (r.ptr != end)
        r = std::from_chars(r.ptr + 1, end, sentAt);
    const bool ours = from == (m_run.options.mqtt ? game.topic : game.hostName);
    if (!ours || seq != nextSeq || r.ec != std::errc())
        ++errors;
    nextSeq = seq + 1;
    ++received;
    if (now >= m_run.measureFrom && now < m_run.measureTo) {
        m_run.latency.Add(now - sentAt);
        ++m_run.measured;
    }
    if (m_index == 0) {
        --game.inFlight;
        m_run.Pump(game);
    }
}

} // namespace

int main(int argc, char **argv)
{
    Run run;
    Options &o = run.options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--hub" || option == "--mqtt") {
            o.mqtt = option == "--mqtt";
            o.port = uint16_t(Bench::Number("fanout", value));
        } else if (option == "--web") {
            o.web = true;
            continue;
        } else if (option == "--tls") {
            o.tls = true;
            run.loop.UseTls();
            continue;
        } else if (option == "--games") {
            o.games = int(Bench::Number("fanout", value));
        } else if (option == "--players") {
            o.players = int(Bench::Number("fanout", value));
        } else if (option == "--seconds") {
            o.seconds = Bench::Number("fanout", value);
        } else if (option == "--warmup") {
            o.warmup = Bench::Number("fanout", value);
        } else if (option == "--window") {
            o.window = int(Bench::Number("fanout", value));
        } else if (option == "--bytes") {
            o.bytes = int(Bench::Number("fanout", value));
        } else {
            fprintf(stderr,
                    "usage: kalumo-fanout (--hub PORT | --mqtt PORT) [--tls] [--web] [--games G] [--players P] "
                    "[--seconds S] [--warmup S] [--window W] [--bytes N]\n");
            return 2;
        }
        ++i;
    }
    if (!o.port || o.games < 1 || o.players < 1 || o.window < 1 || o.seconds <= 0) {
        fprintf(stderr, "fanout: give a port, and games, players, window and seconds above 0\n");
        return 2;
    }

    run.games.resize(size_t(o.games));
    for (int g = 0; g < o.games; ++g) {
        Game &game = run.games[size_t(g)];
        game.key = std::string("G").append(std::to_string(g));
        game.topic = std::string("kalumo/g").append(std::to_string(g));
        game.hostName = Player::NameOf(g, 0);
        for (int p = 0; p < o.players; ++p)
            run.players.push_back(std::make_unique<Player>(run, g, p));
        run.games[size_t(g)].host = run.players[size_t(g * o.players)].get();
    }
    // Players join one after another, each once the one before is in.
    const int64_t joinDeadline = Bench::NowNs() + 30'000'000'000;
    for (auto &player : run.players) {
        player->Start();
        while (!player->ready && !player->closed && Bench::NowNs() < joinDeadline)
            run.loop.Poll(10);
        if (!player->ready) {
            fprintf(stderr, "fanout: a player could not join\n");
            return 2;
        }
    }

    const int64_t start = Bench::NowNs();
    run.measureFrom = start + int64_t(o.warmup * 1e9);
    run.measureTo = run.measureFrom + int64_t(o.seconds * 1e9);
    run.sending = true;
    for (Game &game : run.games)
        run.Pump(game);
    while (Bench::NowNs() < run.measureTo)
        run.loop.Poll(1);
    run.sending = false;
    // Let what is on the way arrive, for the loss count.
    const int64_t drainDeadline = Bench::NowNs() + 5'000'000'000;
    // clang-format off
    auto onTheWay = [&] {
        for (const Game &game : run.games)
            if (game.inFlight > 0)
                return true;
        return false;
    };
    // clang-format on
    while (onTheWay() && Bench::NowNs() < drainDeadline)
        run.loop.Poll(10);
    for (int i = 0; i < 20; ++i)
        run.loop.Poll(1);

    uint64_t sent = 0, received = 0, errors = 0;
    for (const Game &game : run.games)
        sent += game.sent;
    for (const auto &player : run.players) {
        received += player->received;
        errors += player->errors;
    }
    const uint64_t missing = sent * uint64_t(o.players) > received ? sent * uint64_t(o.players) - received : 0;
    const double rate = double(run.measured) / o.seconds;
    const char *server = o.mqtt ? (o.tls ? "mosquitto/TLS" : "mosquitto")
        : o.web                 ? (o.tls ? "kalumo-hub/WSS" : "kalumo-hub/WS")
                                : (o.tls ? "kalumo-hub/TLS" : "kalumo-hub");
    printf("%-14s %10.0f deliveries/s   latency p50 %6lld us   p99 %6lld us   max %7lld us   "
           "(%d games x %d players, window %d, %.0f s; %llu errors, %llu missing)\n",
           server, rate, static_cast<long long>(run.latency.Percentile(0.5)),
           static_cast<long long>(run.latency.Percentile(0.99)), static_cast<long long>(run.latency.Max()), o.games,
           o.players, o.window, o.seconds, static_cast<unsigned long long>(errors),
           static_cast<unsigned long long>(missing));
    printf("RESULT server=%s rate=%.0f p50=%lld p99=%lld max=%lld errors=%llu missing=%llu\n", server, rate,
           static_cast<long long>(run.latency.Percentile(0.5)), static_cast<long long>(run.latency.Percentile(0.99)),
           static_cast<long long>(run.latency.Max()), static_cast<unsigned long long>(errors),
           static_cast<unsigned long long>(missing));
    return errors || missing ? 1 : 0;
}
