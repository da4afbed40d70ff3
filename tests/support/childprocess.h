#pragma once
// Runs part of a test in a forked child, for what must not happen to the test process itself (dying
// mid-write, giving up root, a file size limit). Returns its exit status, or -1 if it did not exit.

#include <cstdlib>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

inline int ExitStatusInChild(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        std::_Exit(body());
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
