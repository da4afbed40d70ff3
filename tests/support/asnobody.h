#pragma once
// Runs part of a test in a forked child without the superuser's rights, so
// that a folder's permissions hold even when the tests run as root. The
// folders the child needs must let others in.

#include "support/childprocess.h"

#include <grp.h>

// The child's exit status; 99 when it could not give up root.
inline int ExitStatusAsNobody(const std::function<int()> &body)
{
    return ExitStatusInChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 99;
        return body();
    });
}
