#include "game/interval.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

TEST(CallingInterval, ComesFromUpToTwoCharactersOfWholeSeconds)
{
    const struct { const char *text; int milliseconds; } cases[] = {
        {"10", 10000}, {"5", 5000}, {"32", 32000}, {"45", 45000}, {"99", 99000}, {".6", 1000}, {"7.", 7000},
        {"0", 0}, {".5", 0}, {".4", 0}, {"-5", 10000}, {"-1", 10000}, {"100", 10000}, {"1.5", 10000},
        {"", 10000}, {"ab", 10000}, {" ", 10000}};
    for (const auto &c : cases)
        EXPECT_EQ(Interval::Milliseconds(QString::fromUtf8(c.text)), c.milliseconds) << '"' << c.text << '"';
}

} // namespace
