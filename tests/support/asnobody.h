// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs part of a test in a forked child, for what must not happen to the test process itself (dying
// mid-write, giving up root, a file size limit), here without the superuser's rights, so that a
// folder's permissions hold even when the tests run as root. The folders the child needs must let
// others in.

#include <cstdlib>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// The child's exit status; 99 when it could not give up root, -1 if it did not exit.
inline int ExitStatusAsNobody(const std::function<int()> &body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(99);
        std::_Exit(body());
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
