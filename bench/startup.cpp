// SPDX-License-Identifier: GPL-3.0-or-later
// kalumo-startup: the start-up benchmark harness. Runs two programs in turn,
// RUNS times each, under the offscreen platform with the probe preloaded, and
// for each run takes the time from just before the process is created until
// the probe reports the first window shown, and the process's peak resident
// memory. Prints the medians and their ratio (first program / second).
//
//   kalumo-startup PROBE RUNS PROGRAM [ARG...] -- PROGRAM [ARG...]
//
// In the arguments "%n" becomes the run's number, so runs need not share a
// game or a name.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

int64_t nowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Sample
{
    double ms = 0;
    double mib = 0;
};

bool runOnce(const std::string &probe, std::vector<std::string> command, int number, Sample &sample)
{
    for (std::string &arg : command) {
        for (size_t at; (at = arg.find("%n")) != std::string::npos;)
            arg.replace(at, 2, std::to_string(number));
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const int64_t start = nowNs();
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        setenv("LD_PRELOAD", probe.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("KALUMO_PROBE_FD", std::to_string(pipeFds[1]).c_str(), 1);
        std::vector<char *> argv;
        for (std::string &arg : command)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    char line[128] = {};
    size_t got = 0;
    for (ssize_t n; got < sizeof line - 1 && (n = read(pipeFds[0], line + got, sizeof line - 1 - got)) > 0;)
        got += size_t(n);
    close(pipeFds[0]);
    int status = 0;
    rusage usage = {};
    wait4(pid, &status, 0, &usage);
    long long shown = 0;
    if (sscanf(line, "shown %lld", &shown) != 1) {
        fprintf(stderr, "startup: %s never showed a window (status %d)\n", command[0].c_str(), status);
        return false;
    }
    sample.ms = double(shown - start) / 1e6;
    sample.mib = double(usage.ru_maxrss) / 1024.0;
    return true;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: kalumo-startup PROBE RUNS PROGRAM [ARG...] -- PROGRAM [ARG...]\n");
        return 2;
    }
    const std::string probe = argv[1];
    const int runs = atoi(argv[2]);
    std::vector<std::string> commands[2];
    int which = 0;
    for (int i = 3; i < argc; ++i) {
        if (!strcmp(argv[i], "--") && which == 0)
            which = 1;
        else
            commands[which].push_back(argv[i]);
    }
    if (runs < 1 || commands[0].empty() || commands[1].empty()) {
        fprintf(stderr, "startup: give a number of runs and two programs\n");
        return 2;
    }
    std::vector<double> ms[2], mib[2];
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < 2; ++p) { // in turn, so drift on a shared machine hits both alike
            Sample sample;
            if (!runOnce(probe, commands[p], run, sample))
                return 1;
            ms[p].push_back(sample.ms);
            mib[p].push_back(sample.mib);
        }
    }
    for (int p = 0; p < 2; ++p) {
        const std::string name = commands[p][0].substr(commands[p][0].rfind('/') + 1);
        printf("%-22s shown after %7.1f ms, peak memory %6.1f MiB (medians of %d runs)\n", name.c_str(), median(ms[p]),
               median(mib[p]), runs);
    }
    printf("ratio: time %.2f x, memory %.2f x\n", median(ms[0]) / median(ms[1]), median(mib[0]) / median(mib[1]));
    printf("RESULT time_ms=%.1f,%.1f memory_mib=%.1f,%.1f\n", median(ms[0]), median(ms[1]), median(mib[0]),
           median(mib[1]));
    return 0;
}
