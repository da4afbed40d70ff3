#include "support/textnum.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

TEST(TextToNumber, ReadsDecimalTextRoundingHalvesToEvenWithinTheTargetsRange)
{
    const std::optional<qint16> no;
    const struct { const char *text; std::optional<qint16> int16; } cases[] = {
        {"7", 7}, {"07", 7}, {" 12 ", 12}, {"\t7\n", 7}, {"+3", 3}, {"-5", -5}, {"0000000000000000000000000007", 7},
        {"7.5", 8}, {"6.5", 6}, {"2.5", 2}, {"-2.5", -2}, {".6", 1}, {"7.", 7}, {"1.4999999", 1},
        {".5", 0}, {".4", 0}, {"-0.4", 0}, {"-0.5", 0}, {"+.5", 0},
        {"32767", 32767}, {"-32768", -32768}, {"32767.4", 32767}, {"-32768.5", -32768},
        {"32768", no}, {"-32769", no}, {"32767.5", no},
        {"", no}, {" ", no}, {"x", no}, {"7x", no}, {"1 2", no}, {".", no}, {"--1", no}, {"1e3", no},
        {"0x10", no}, {"inf", no}, {"nan", no}, {"99999999999999999999999999999", no}};
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(TextNum::ToInt16(text), c.int16) << '"' << c.text << '"';
        // Within 16 bits the 32-bit reading agrees.
        EXPECT_TRUE(!c.int16 || TextNum::ToInt32(text) == *c.int16) << '"' << c.text << '"';
    }
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("-2147483648")), std::numeric_limits<qint32>::min());
    EXPECT_EQ(TextNum::ToInt32(QStringLiteral("2147483648")), std::nullopt);
}

} // namespace
