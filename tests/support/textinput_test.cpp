// SPDX-License-Identifier: GPL-3.0-or-later
// What the program reads from text: its command line, numbers, and the names players give.

#include "support/commandline.h"
#include "support/playername.h"
#include "support/textnum.h"

#include <QString>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(CommandLine, CutsAtSingleSpacesIntoAtMostFivePiecesWhetherGivenWholeOrInPieces)
{
    // clang-format off
    const struct { const char *line; QStringList pieces; } cases[] = {
        {"x 77 K7 Ann Ann", {"x", "77", "K7", "Ann", "Ann"}}, {"x 77  Ann Ann", {"x", "77", "", "Ann", "Ann"}},
        {"x 77 K7 Ann Bob Smith", {"x", "77", "K7", "Ann", "Bob Smith"}}, {"x 77 K7", {"x", "77", "K7"}},
        {"x 77 K7 Bob Smith Bob Smith", {"x", "77", "K7", "Bob", "Smith Bob Smith"}}, {"x", {"x"}}, {" ", {"", ""}},
        {"x 77 K7 Ann Ann ", {"x", "77", "K7", "Ann", "Ann "}}, {"", {}}}; // "": a registration run
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.line);
        const CommandLine line(text);
        QStringList pieces;
        for (int i = 0; line.Piece(i); ++i)
            pieces << *line.Piece(i);
        EXPECT_EQ(pieces, c.pieces) << c.line;
        EXPECT_EQ(line.PieceCount(), c.pieces.size()) << c.line;
        EXPECT_FALSE(line.Piece(-1));
        // The chat host may pass the line as one argument or in pieces.
        EXPECT_EQ(CommandLine::FromArguments({text}), text) << c.line;
        EXPECT_EQ(CommandLine::FromArguments(text.split(u' ', Qt::SkipEmptyParts)), text.simplified()) << c.line;
    }
}

TEST(TextToNumber, ReadsDecimalTextRoundingHalvesToEvenWithinTheTargetsRange)
{
    const std::optional<qint16> no;
    // clang-format on
    // clang-format off
    const struct { const char *text; std::optional<qint16> int16; } cases[] = {
        {"7", 7}, {"07", 7}, {" 12 ", 12}, {"\t7\n", 7}, {"+3", 3}, {"-5", -5}, {"0000000000000000000000000007", 7},
        {"7.5", 8}, {"6.5", 6}, {"2.5", 2}, {"-2.5", -2}, {".6", 1}, {"7.", 7}, {"1.4999999", 1},
        {".5", 0}, {".4", 0}, {"-0.4", 0}, {"-0.5", 0}, {"+.5", 0},
        {"32767", 32767}, {"-32768", -32768}, {"32767.4", 32767}, {"-32768.5", -32768},
        {"32768", no}, {"-32769", no}, {"32767.5", no},
        {"", no}, {" ", no}, {"x", no}, {"7x", no}, {"1 2", no}, {".", no}, {"--1", no}, {"1e3", no},
        {"0x10", no}, {"inf", no}, {"nan", no}, {"99999999999999999999999999999", no}};
    // clang-format on
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

TEST(PlayerNames, AreRefusedWhenTheyCouldPassForTheGameOrBreakARecordAndCompareFolded)
{
    const QString smiles32 = u"\U0001F600"_s.repeated(32); // 64 UTF-16 units, 32 characters
    // clang-format off
    const struct { QString name; bool allowed; } cases[] = {
        {u"Ann"_s, true}, {u"O'Brien-Smith 2"_s, true}, {u"Zoë"_s, true}, {u"Þóra"_s, true}, {u"Анна"_s, true},
        {u"田中さくら"_s, true}, {u"김민준"_s, true}, {QString(32, u'a'), true}, {smiles32, true}, {u"Ann\u0967"_s, true}, // a digit of another script is no letter
        {u""_s, false}, {QString(33, u'a'), false}, {smiles32 + u'a', false}, {u" Ann"_s, false}, {u"Ann\t"_s, false},
        {u"\u00A0Ann"_s, false}, {u"[Exit]"_s, false}, {u"[Hub]"_s, false}, {u"** Ann Has Won"_s, false},
        {u"A|b"_s, false}, {u"A;b"_s, false}, {u"Zed@30000"_s, false}, {u"A:b"_s, false}, {u"Aÿb"_s, false},
        {u"A\x01" "b"_s, false}, {u"A\nB"_s, false}, {u"A\u2028B"_s, false}, {u"A\u2029B"_s, false}, {u"\u202Enna"_s, false},
        {u"An\u200Bn"_s, false}, {u"A\uE000"_s, false}, {u"A"_s + QChar(0xD800), false}, {u"A\u0378"_s, false},
        {u"\u0410nn"_s, false}, {u"Ann\u03B1"_s, false}}; // Cyrillic A and Latin nn, Latin and Greek
    for (const auto &c : cases)
        EXPECT_EQ(PlayerName::Refusal(c.name).isEmpty(), c.allowed) << c.name.toStdString();
    // clang-format on

    // clang-format off
    const struct { QString a, b; bool same; } pairs[] = {
        {u"Ann"_s, u"ANN"_s, true}, {u"Ann"_s, u"ａｎｎ"_s, true}, {u"Straße"_s, u"STRASSE"_s, true},
        {u"Zoe\u0308"_s, u"Zoë"_s, true}, {u"ǰ"_s, u"J\u030C"_s, true}, {u"Ann"_s, u"\u0410nn"_s, false}};
    // clang-format on
    for (const auto &c : pairs) EXPECT_EQ(PlayerName::SameNameKey(c.a) == PlayerName::SameNameKey(c.b), c.same) << c.a.toStdString();
}

} // namespace
