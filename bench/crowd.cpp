// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-crowd: what a crowd of silent connections from one address costs a
// join from another.
//
//   kalumo-crowd --hub PORT [--tls] --silent N [--joins J] [--pid PID]
//       J joins from 127.0.0.2 one after another, each from its connect to
//       its own arrival in the game; then N connections from 127.0.0.1 that
//       connect and never send a byte, opened as fast as the kernel takes
//       them and held; then J joins again from 127.0.0.2 while they are held.
//       Prints both sets of join times, what the crowd added, and with PID
//       the descriptors the hub holds once the crowd is in.
//
// Prints a RESULT line for scripts; exits 2 when a join fails without the crowd.

#include "hubwire.h"
#include "netloop.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

Bench::Loop loop;
uint16_t port = 0;
constexpr int64_t JoinGivesUpNs = 20'000'000'000; // twice the 10 s a window waits

class Joiner : public Bench::Connection
{
public:
    explicit Joiner(std::string name)
        : m_name(std::move(name))
    {}
    bool joined = false, closed = false;
    const std::string &Name() const { return m_name; }

protected:
    size_t OnData(const char *data, size_t size) override
    {
        return HubWire::Parse(data, size, [&](std::string_view sender, std::string_view text) {
            joined = joined || (sender == "[Enter]" && text == m_name);
        });
    }
    void OnClosed(int) override { closed = true; }

private:
    std::string m_name;
};

// Milliseconds from connect to the join's own arrival; -1 when it failed.
double timeOneJoin(int number)
{
    static int joins = 0;
    Joiner joiner(Bench::Cat("p", std::to_string(joins++)));
    const int64_t start = Bench::NowNs();
    if (!joiner.Open(loop, port))
        return -1;
    joiner.Send(HubWire::Announce(Bench::Cat("crowd", std::to_string(number)), joiner.Name()));
    while (!joiner.joined && !joiner.closed && Bench::NowNs() - start < JoinGivesUpNs)
        loop.Poll(1);
    const double ms = double(Bench::NowNs() - start) / 1e6;
    joiner.Abort();
    return joiner.joined ? ms : -1;
}

// The times of the joins that succeeded; each failure is counted in failed.
std::vector<double> timeJoins(int count, int &failed)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const double ms = timeOneJoin(i);
        if (ms < 0)
            ++failed;
        else
            times.push_back(ms);
    }
    return times;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Connects without a word: the kernel completes the connection whether or
// not the hub has accepted it yet.
std::vector<int> openSilent(int count)
{
    std::vector<int> fds;
    sockaddr_in hub = {};
    hub.sin_family = AF_INET;
    hub.sin_port = htons(port);
    hub.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < count; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            perror("crowd: socket");
            exit(2);
        }
        if (connect(fd, reinterpret_cast<sockaddr *>(&hub), sizeof hub) != 0 && errno != EINPROGRESS) {
            perror("crowd: connect");
            exit(2);
        }
        fds.push_back(fd);
    }
    return fds;
}

int descriptorsOf(long pid)
{
    DIR *dir = opendir(Bench::Cat("/proc/", std::to_string(pid), "/fd").c_str());
    if (!dir)
        return -1;
    int count = 0;
    while (readdir(dir))
        ++count;
    closedir(dir);
    return count - 2; // . and ..
}

void print(const char *what, const std::vector<double> &times)
{
    printf("%-28s p50 %8.1f ms   max %8.1f ms\n", what, median(times), *std::max_element(times.begin(), times.end()));
}

} // namespace

int main(int argc, char **argv)
{
    int silent = 0, joins = 20;
    long pid = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--tls") {
            loop.UseTls();
            continue;
        }
        const double value = Bench::Number("crowd", i + 1 < argc ? argv[++i] : "");
        if (option == "--hub")
            port = uint16_t(value);
        else if (option == "--silent")
            silent = int(value);
        else if (option == "--joins")
            joins = std::max(1, int(value));
        else if (option == "--pid")
            pid = long(value);
        else {
            fprintf(stderr, "crowd: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (port == 0 || silent <= 0) {
        fprintf(stderr, "usage: kalumo-crowd --hub PORT [--tls] --silent N [--joins J] [--pid PID]\n");
        return 2;
    }
    rlimit files = {};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_cur < rlim_t(silent) + 100) {
        fprintf(stderr, "crowd: %d connections need more descriptors than the limit of %lu\n", silent,
                (unsigned long)files.rlim_cur);
        return 2;
    }

    loop.ConnectFrom(0x7f000002);
    int failedAlone = 0, failedCrowded = 0;
    const std::vector<double> alone = timeJoins(joins, failedAlone);
    if (failedAlone > 0) {
        fprintf(stderr, "crowd: %d of %d joins from 127.0.0.2 failed without a crowd\n", failedAlone, joins);
        return 2;
    }
    const int64_t crowdStart = Bench::NowNs();
    const std::vector<int> crowd = openSilent(silent);
    const double crowdMs = double(Bench::NowNs() - crowdStart) / 1e6;
    const std::vector<double> crowded = timeJoins(joins, failedCrowded);
    const int held = pid ? descriptorsOf(pid) : -1;

    print("joins alone", alone);
    printf("%d silent connections from 127.0.0.1 opened in %.0f ms\n", silent, crowdMs);
    if (crowded.empty()) {
        printf("joins beside them: all %d failed (no answer within %.0f s)\n", joins, JoinGivesUpNs / 1e9);
        printf("RESULT added_p50_ms=inf added_max_ms=inf failed=%d hub_fds=%d\n", failedCrowded, held);
        return 0;
    }
    print("joins beside them", crowded);
    const double addedP50 = median(crowded) - median(alone);
    const double addedMax = *std::max_element(crowded.begin(), crowded.end()) - median(alone);
    printf("added to a join: p50 %.1f ms, max %.1f ms; %d of %d failed", addedP50, addedMax, failedCrowded, joins);
    if (held >= 0)
        printf("; the hub holds %d descriptors", held);
    printf("\nRESULT added_p50_ms=%.1f added_max_ms=%.1f failed=%d hub_fds=%d\n", addedP50, addedMax, failedCrowded,
           held);
    for (int fd : crowd)
        close(fd);
    return 0;
}
