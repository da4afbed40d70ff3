#include "link/invitation.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Invitation, ReadsBackWhatItWritesAndRefusesEachMalformedPartWithItsOwnSentence)
{
    const QString key = u"0123456789abcdef0123456789abcdef"_s, fp = QString(64, u'e'), at = u"kalumo://hub:5/"_s, tail = u"?host=Ann&fp="_s + fp;
    const Invitation sent{u"::1"_s, 1, key, u"Éva a&b=c?#%"_s, QByteArray(32, '\xee')};
    const auto read = Invitation::Parse(u"  "_s + sent.Text() + u"\n"_s, nullptr);
    ASSERT_TRUE(read && sent.Text().startsWith(u"kalumo://[::1]:1/"_s)) << sent.Text().toStdString();
    EXPECT_TRUE(read->address == sent.address && read->port == 1 && read->key == key && read->hostName == sent.hostName
                && read->fingerprint == sent.fingerprint && read->Text() == sent.Text());
    const struct { QString text, why; } table[] = {
        {u" "_s, u"The invitation is empty."_s},
        {u"https://hub:5/"_s + key + tail, u"This is not an invitation: it does not start with kalumo://."_s},
        {u"kalumo://hub:70000/"_s + key + tail, u"The invitation is damaged: its hub address or port cannot be read."_s},
        {u"kalumo://:5/"_s + key + tail, u"The invitation names no hub address."_s},
        {u"kalumo://ann@hub:5/"_s + key + tail, u"The invitation holds more than a hub address, a game and its host."_s},
        {u"kalumo://hub:0/"_s + key + tail, u"The invitation's hub port is missing or not from 1 to 65535."_s},
        {at + key.left(31) + tail, u"The invitation's game key is not 32 lowercase hexadecimal digits."_s},
        {at + key.toUpper() + tail, u"The invitation's game key is not 32 lowercase hexadecimal digits."_s},
        {at + key, u"The invitation lacks the host's name or the hub's fingerprint."_s},
        {at + key + tail + u"&fp="_s + fp, u"The invitation's part after \"?\" must be host=NAME&fp=FINGERPRINT."_s},
        {at + key + u"?host=%FF&fp="_s + fp, u"The invitation's part after \"?\" is not UTF-8 text."_s},
        {at + key + u"?host=%5BHub%5D&fp="_s + fp, u"The invitation's host name cannot be used: a name cannot start with \"[\" or \"*\"."_s},
        {at + key + tail.chopped(1), u"The invitation's fingerprint is not 64 lowercase hexadecimal digits."_s},
    };
    for (const auto &row : table) {
        QString why;
        EXPECT_FALSE(Invitation::Parse(row.text, &why)) << row.text.toStdString();
        EXPECT_EQ(why, row.why) << row.text.toStdString();
    }
    EXPECT_TRUE(Invitation::IsHex(Invitation::NewKey(), 16) && Invitation::NewKey() != Invitation::NewKey());
}

} // namespace
