#include "support/playername.h"

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

TEST(PlayerNames, AreRefusedWhenTheyCouldPassForTheGameOrBreakARecord)
{
    const QString smiles32 = u"\U0001F600"_s.repeated(32);
    const struct {
        QString name;
        bool allowed;
    } cases[] = {
        {u"Ann"_s, true}, {u"-style"_s, true}, {u"O'Brien-Smith 2"_s, true}, {u"Zoë"_s, true},
        {u"Þóra"_s, true}, {u"Анна"_s, true}, {u"田中さくら"_s, true}, {u"김민준"_s, true},
        {QString(32, u'a'), true}, {smiles32, true}, // 64 UTF-16 units, 32 characters
        {u""_s, false}, {QString(33, u'a'), false}, {smiles32 + u'a', false},
        {u" Ann"_s, false}, {u"Ann "_s, false}, {u"Ann\t"_s, false}, {u"\u00A0Ann"_s, false},
        {u"[Exit]"_s, false}, {u"[Enter]"_s, false}, {u"[Hub]"_s, false},
        {u"*Ann"_s, false}, {u"** Ann Has Won"_s, false},
        {u"A|b"_s, false}, {u"A;b"_s, false}, {u"Zed@30000"_s, false}, {u"A:b"_s, false}, {u"Aÿb"_s, false},
        {u"A\x01" "b"_s, false}, {u"A\nB"_s, false}, {u"A\x7F"_s, false}, {u"A\u2028B"_s, false},
        {u"\u202Enna"_s, false}, {u"An\u200Bn"_s, false}, {u"Ann\uFEFF"_s, false},
        {u"A\uE000"_s, false}, {QStringLiteral(u"A") + QChar(0xD800), false}, {u"A\u0378"_s, false},
        {u"\u0410nn"_s, false}, // Cyrillic A, Latin nn
        {u"Ann\u03B1"_s, false}};
    for (const auto &c : cases) {
        const QString refusal = PlayerName::Refusal(c.name);
        EXPECT_EQ(refusal.isEmpty(), c.allowed) << c.name.toStdString() << ": " << refusal.toStdString();
    }
}

TEST(PlayerNames, AreTheSameAfterCaseFoldingAndCompatibilityNormalisation)
{
    const struct {
        QString a, b;
        bool same;
    } cases[] = {
        {u"Ann"_s, u"ANN"_s, true}, {u"Ann"_s, u"ａｎｎ"_s, true}, {u"Straße"_s, u"STRASSE"_s, true},
        {u"Zoe\u0308"_s, u"Zoë"_s, true}, {u"ǰ"_s, u"J\u030C"_s, true}, {u"ﬁn"_s, u"FIN"_s, true},
        {u"Ann"_s, u"Anne"_s, false}, {u"Ann"_s, u"\u0410nn"_s, false}};
    for (const auto &c : cases)
        EXPECT_EQ(PlayerName::SameNameKey(c.a) == PlayerName::SameNameKey(c.b), c.same) << c.a.toStdString();
}

} // namespace
