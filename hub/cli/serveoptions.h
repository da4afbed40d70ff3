// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// serve's options. Its limits come from one table, a row each: the option,
// what --help calls its value and says of it, the least value it takes, and
// the field of Hub::Limits it reads and sets. A new limit is one more row in
// serveoptions.cpp; --help and the check of its value follow from the row,
// and a test fails until the manual page and the usage name it too.

#include "server/hub.h"

#include <optional>
#include <span>

class QCommandLineParser;

namespace ServeOptions {

struct Limit
{
    const char *name; // the option, without its dashes
    const char *valueName; // as --help shows the value
    const char *help; // %1 is the default
    qint64 least;
    qint64 (*get)(const Hub::Limits &limits);
    void (*set)(Hub::Limits &limits, qint64 value);
};

std::span<const Limit> Limits();

// Every option of serve: where it listens, each limit with the default
// limits' value, and TLS with its certificate.
void Add(QCommandLineParser &parser);

// The limits the parsed options set; nothing when a value is not a whole
// number of at least its limit's least, each such value said by LogLine.
std::optional<Hub::Limits> Read(const QCommandLineParser &parser);

} // namespace ServeOptions
