#include "link/invitation.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Key = u"0123456789abcdef0123456789abcdef"_s, Fp = QString(64, u'e');

TEST(Invitation, ReadsBackWhatItWritesAndRefusesEachMalformedPartWithItsOwnSentence)
{
    for (const Invitation &sent : {Invitation{u"hub.example.org"_s, 47474, Key, u"Éva Ann"_s, QByteArray(32, '\xee')},
                                   Invitation{u"::1"_s, 1, Key, u"a&b=c?#%"_s, QByteArray(32, '\xee')}}) {
        const auto read = Invitation::Parse(u"  "_s + sent.Text() + u"\n"_s, nullptr);
        ASSERT_TRUE(read) << sent.Text().toStdString();
        EXPECT_EQ(read->Text(), sent.Text());
        EXPECT_TRUE(read->address == sent.address && read->port == sent.port && read->key == sent.key
                    && read->hostName == sent.hostName && read->fingerprint == sent.fingerprint);
    }
    const QString tail = u"?host=Ann&fp="_s + Fp, rest = u"/"_s + Key + tail;
    const QString notHex = u"The invitation's game key is not 32 lowercase hexadecimal digits."_s,
                  port = u"The invitation's hub port is missing or not from 1 to 65535."_s,
                  query = u"The invitation's part after \"?\" must be host=NAME&fp=FINGERPRINT."_s;
    const struct { QString text, why; } table[] = {
        {u" "_s, u"The invitation is empty."_s},
        {u"https://10.0.0.1:5"_s + rest, u"This is not an invitation: it does not start with kalumo://."_s},
        {u"kalumo://10.0.0.1:70000"_s + rest, u"The invitation is damaged: its hub address or port cannot be read."_s},
        {u"kalumo://hub example:5"_s + rest, u"The invitation is damaged: its hub address or port cannot be read."_s},
        {u"kalumo://:5"_s + rest, u"The invitation names no hub address."_s},
        {u"kalumo://ann@hub:5"_s + rest, u"The invitation holds more than a hub address, a game and its host."_s},
        {u"kalumo://hub"_s + rest, port},
        {u"kalumo://hub:0"_s + rest, port},
        {u"kalumo://hub:5/"_s + Key.left(31) + tail, notHex},
        {u"kalumo://hub:5/"_s + Key.toUpper() + tail, notHex},
        {u"kalumo://hub:5/"_s + Key + u"/x"_s + tail, notHex},
        {u"kalumo://hub:5/"_s + Key, u"The invitation lacks the host's name or the hub's fingerprint."_s},
        {u"kalumo://hub:5"_s + rest + u"&fp="_s + Fp, query},
        {u"kalumo://hub:5"_s + rest + u"&x=1"_s, query},
        {u"kalumo://hub:5/"_s + Key + u"?host=%FF&fp="_s + Fp, u"The invitation's part after \"?\" is not UTF-8 text."_s},
        {u"kalumo://hub:5/"_s + Key + u"?host=%5BHub%5D&fp="_s + Fp, u"The invitation's host name cannot be used: a name cannot start with \"[\" or \"*\"."_s},
        {u"kalumo://hub:5/"_s + Key + u"?host=Ann&fp="_s + Fp.left(63), u"The invitation's fingerprint is not 64 lowercase hexadecimal digits."_s},
    };
    for (const auto &row : table) {
        QString why;
        EXPECT_FALSE(Invitation::Parse(row.text, &why)) << row.text.toStdString();
        EXPECT_EQ(why, row.why) << row.text.toStdString();
    }
    EXPECT_TRUE(Invitation::IsHex(Invitation::NewKey(), 16));
    EXPECT_NE(Invitation::NewKey(), Invitation::NewKey());
}

} // namespace
