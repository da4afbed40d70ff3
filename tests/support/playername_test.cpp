#include "support/playername.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

TEST(PlayerNames, AreRefusedWhenTheyCouldPassForTheGameOrBreakARecordAndCompareFolded)
{
    const QString smiles32 = u"\U0001F600"_s.repeated(32); // 64 UTF-16 units, 32 characters
    const struct { QString name; bool allowed; } cases[] = {
        {u"Ann"_s, true}, {u"O'Brien-Smith 2"_s, true}, {u"Zoë"_s, true}, {u"Þóra"_s, true}, {u"Анна"_s, true},
        {u"田中さくら"_s, true}, {u"김민준"_s, true}, {QString(32, u'a'), true}, {smiles32, true},
        {u""_s, false}, {QString(33, u'a'), false}, {smiles32 + u'a', false}, {u" Ann"_s, false}, {u"Ann\t"_s, false},
        {u"\u00A0Ann"_s, false}, {u"[Exit]"_s, false}, {u"[Hub]"_s, false}, {u"** Ann Has Won"_s, false},
        {u"A|b"_s, false}, {u"A;b"_s, false}, {u"Zed@30000"_s, false}, {u"A:b"_s, false}, {u"Aÿb"_s, false},
        {u"A\x01" "b"_s, false}, {u"A\nB"_s, false}, {u"A\u2028B"_s, false}, {u"A\u2029B"_s, false}, {u"\u202Enna"_s, false},
        {u"An\u200Bn"_s, false}, {u"A\uE000"_s, false}, {u"A"_s + QChar(0xD800), false}, {u"A\u0378"_s, false},
        {u"\u0410nn"_s, false}, {u"Ann\u03B1"_s, false}}; // Cyrillic A and Latin nn, Latin and Greek
    for (const auto &c : cases)
        EXPECT_EQ(PlayerName::Refusal(c.name).isEmpty(), c.allowed) << c.name.toStdString();

    const struct { QString a, b; bool same; } pairs[] = {
        {u"Ann"_s, u"ANN"_s, true}, {u"Ann"_s, u"ａｎｎ"_s, true}, {u"Straße"_s, u"STRASSE"_s, true},
        {u"Zoe\u0308"_s, u"Zoë"_s, true}, {u"ǰ"_s, u"J\u030C"_s, true}, {u"Ann"_s, u"\u0410nn"_s, false}};
    for (const auto &c : pairs)
        EXPECT_EQ(PlayerName::SameNameKey(c.a) == PlayerName::SameNameKey(c.b), c.same) << c.a.toStdString();
}

} // namespace
