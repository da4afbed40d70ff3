#include "support/textnum.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *text;
    std::optional<qint16> expected;
};

class TextToInt16 : public ::testing::TestWithParam<Case> {};

TEST_P(TextToInt16, ReadsDecimalTextRoundingHalvesToEven)
{
    EXPECT_EQ(TextNum::ToInt16(QString::fromUtf8(GetParam().text)), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Table, TextToInt16, ::testing::Values(
    Case{"7", 7}, Case{"07", 7}, Case{" 12 ", 12}, Case{"+3", 3}, Case{"-5", -5},
    Case{"7.5", 8}, Case{"6.5", 6}, Case{"2.5", 2}, Case{"-2.5", -2}, Case{".6", 1}, Case{"7.", 7},
    Case{".5", 0}, Case{".4", 0}, Case{"-0.4", 0},
    Case{"32767", 32767}, Case{"-32768", -32768}, Case{"32767.4", 32767},
    Case{"32768", std::nullopt}, Case{"-32769", std::nullopt}, Case{"32767.5", std::nullopt},
    Case{"", std::nullopt}, Case{" ", std::nullopt}, Case{"x", std::nullopt}, Case{"7x", std::nullopt},
    Case{"1 2", std::nullopt}, Case{".", std::nullopt}, Case{"--1", std::nullopt}, Case{"1e3", std::nullopt},
    Case{"0x10", std::nullopt}, Case{"inf", std::nullopt}, Case{"nan", std::nullopt},
    Case{"99999999999999999999999999999", std::nullopt}));

TEST(TextToInt32, CoversTheWholeRangeOfALinkNumber)
{
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("-2147483648")), std::numeric_limits<qint32>::min());
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("2147483648")), std::nullopt);
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("77")), 77);
}

} // namespace
