#include "game/interval.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

struct IntervalCase
{
    const char *text;
    int milliseconds;
};

void PrintTo(const IntervalCase &c, std::ostream *out) { *out << '"' << c.text << '"'; }

class CallingInterval : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(CallingInterval, ComesFromUpToTwoCharactersOfWholeSeconds)
{
    EXPECT_EQ(Interval::Milliseconds(QString::fromUtf8(GetParam().text)), GetParam().milliseconds)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Table, CallingInterval, ::testing::Values(
    IntervalCase{"10", 10000}, IntervalCase{"5", 5000}, IntervalCase{"32", 32000},
    IntervalCase{"45", 45000}, IntervalCase{"99", 99000},
    IntervalCase{".6", 1000}, IntervalCase{"7.", 7000},
    IntervalCase{"0", 0}, IntervalCase{".5", 0}, IntervalCase{".4", 0},
    IntervalCase{"-5", 10000}, IntervalCase{"-1", 10000},
    IntervalCase{"100", 10000}, IntervalCase{"1.5", 10000},
    IntervalCase{"", 10000}, IntervalCase{"ab", 10000}, IntervalCase{" ", 10000}));

} // namespace
