// SPDX-License-Identifier: GPL-3.0-or-later
// The game link's frames and records, and the invitation line: what the fuzz targets' round trips
// cannot tell, the byte order, the limits and the forms refused.

#include "link/framecodec.h"
#include "link/invitation.h"
#include "link/linkrecord.h"
#include "support/qtprinters.h"

#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray header(quint32 length) { return QByteArray(1, char(length >> 24)) + char(length >> 16) + char(length >> 8) + char(length); }

TEST(Frame, IsTheLengthBigEndianThenTheUtf8BytesUpToTheLimitAndAReaderFailsForGoodOnABrokenStream)
{
    const QString text = QStringLiteral("G\u00FFK7\u00FFC\u00FFChat;hé"), longest(65536, u'a');
    EXPECT_EQ(Frame::Encode(text), header(quint32(text.toUtf8().size())) + text.toUtf8());
    EXPECT_TRUE(Frame::Encode(longest + u'a').isEmpty());
    Frame::Reader whole;
    whole.Feed(Frame::Encode(longest));
    EXPECT_EQ(whole.Next(), longest);
    for (const QByteArray &bytes : {header(65537), header(0xFFFFFFFFu), header(3) + QByteArray("\xED\xA0\x80", 3)}) {
        Frame::Reader reader;
        reader.Feed(bytes);
        EXPECT_TRUE(!reader.Next() && reader.Failed()) << bytes.toHex().toStdString();
        reader.Feed(Frame::Encode(QStringLiteral("fine")));
        EXPECT_EQ(reader.Next(), std::nullopt) << bytes.toHex().toStdString();
    }
}

TEST(LinkRecord, ReadsTheFormsItBuildsEvenWithEmptyFieldsAndRefusesAnyOther)
{
    const QString Y = QStringLiteral("\u00FF"), caption = QStringLiteral("Kalumo Bingo");
    const auto announce = LinkRecord::Parse(LinkRecord::Announce(QStringLiteral("K7"), caption, QString()));
    EXPECT_TRUE(announce && announce->kind == u'A' && announce->key == u"K7" && announce->name.isEmpty());
    EXPECT_EQ(LinkRecord::Parse("G" + Y + "K" + Y + "C" + Y).value().messageText, QString());
    for (const QString &record :
         {QString(), "G" + Y + "K", "X" + Y + "K" + Y + "C" + Y + "x", "G" + Y + "K" + Y + "C", "G" + Y + "K" + Y + "A" + Y + " " + caption,
          "G" + Y + "K" + Y + "CC" + Y + "x", "G" + Y + "K" + Y + "A" + Y + " " + caption + Y + "Ann Other Game"})
        EXPECT_FALSE(LinkRecord::Parse(record)) << record.toStdString();
    EXPECT_TRUE(LinkRecord::CanJoinWith(QString(65000, u'K'), caption, QStringLiteral("Ann")));
    EXPECT_FALSE(LinkRecord::CanJoinWith(QString(70000, u'K'), caption, QStringLiteral("Ann")));
}

TEST(Invitation, ReadsBackWhatItWritesAndRefusesEachMalformedPartWithItsOwnSentence)
{
    const QString key = u"0123456789abcdef0123456789abcdef"_s, fp = QString(64, u'e'), at = u"kalumo://hub:5/"_s, tail = u"?host=Ann&fp="_s + fp;
    const Invitation sent{u"::1"_s, 1, key, u"Éva a&b=c?#%"_s, QByteArray(32, '\xee')};
    const auto read = Invitation::Parse(u"  "_s + sent.Text() + u"\n"_s, nullptr);
    ASSERT_TRUE(read && sent.Text().startsWith(u"kalumo://[::1]:1/"_s)) << sent.Text().toStdString();
    EXPECT_TRUE(read->address == sent.address && read->port == 1 && read->key == key && read->hostName == sent.hostName && read->fingerprint == sent.fingerprint
                && read->Text() == sent.Text());
    // More places: each once, in order, IPv6 in brackets; an invitation with one place is as it always was.
    Invitation several = sent;
    several.SetEndpoints({{u"ann.example"_s, 7}, {u"11.22.33.1"_s, 47474}, {u"2001:db8::5"_s, 7}, {u"ann.example"_s, 7}});
    EXPECT_TRUE(several.Text().startsWith(u"kalumo://ann.example:7/"_s) && several.Text().endsWith(u"&via=11.22.33.1:47474&via=[2001:db8::5]:7"_s));
    EXPECT_EQ(Invitation::Parse(several.Text(), nullptr).value_or(sent).Endpoints(),
              (QList<Invitation::Endpoint>{{u"ann.example"_s, 7}, {u"11.22.33.1"_s, 47474}, {u"2001:db8::5"_s, 7}}));
    // The browser link of the same game: the key and the name after '#', the name's '&', '=' and '#' kept inside it.
    const QUrl link(sent.BrowserLink(u"::1"_s, false));
    const QUrlQuery fragment(link.fragment(QUrl::FullyEncoded));
    EXPECT_TRUE(link.scheme() == u"http"_s && link.host() == u"::1"_s && link.port() == 1 && link.path() == u"/"_s && fragment.queryItemValue(u"key"_s) == key
                && fragment.queryItemValue(u"host"_s, QUrl::FullyDecoded) == sent.hostName)
        << link.toString().toStdString();
    EXPECT_TRUE(sent.BrowserLink(u"hub"_s, true).startsWith(u"https://hub:1/#key="_s));
    // clang-format off
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
        {at + key + tail + u"&fp="_s + fp, u"The invitation's part after \"?\" must be host=NAME&fp=FINGERPRINT, then any via=ADDRESS:PORT."_s},
        {at + key + tail + u"&via=hub"_s, u"The invitation's via=hub is not an ADDRESS:PORT."_s},
        {at + key + tail + u"&via=[::1:5"_s, u"The invitation's via=[::1:5 is not an ADDRESS:PORT."_s},
        {at + key + tail + u"&via=hub:5/x"_s, u"The invitation's via=hub:5/x is not an ADDRESS:PORT."_s},
        {at + key + u"?host=%FF&fp="_s + fp, u"The invitation's part after \"?\" is not UTF-8 text."_s},
        {at + key + u"?host=%5BHub%5D&fp="_s + fp, u"The invitation's host name cannot be used: a name cannot start with \"[\" or \"*\"."_s},
        {at + key + tail.chopped(1), u"The invitation's fingerprint is not 64 lowercase hexadecimal digits."_s},
    };
    // clang-format on
    for (const auto &row : table) {
        QString why;
        EXPECT_FALSE(Invitation::Parse(row.text, &why)) << row.text.toStdString();
        EXPECT_EQ(why, row.why) << row.text.toStdString();
    }
    EXPECT_TRUE(Invitation::IsHex(Invitation::NewKey(), 16) && Invitation::NewKey() != Invitation::NewKey());
}

TEST(Invitation, IsPickedOutOfPastedTextWithoutTheSentenceOrWrappingAroundIt)
{
    const QString line = Invitation{u"::1"_s, 47474, Invitation::NewKey(), u"Ann"_s, QByteArray(32, '\xee')}.Text();
    const QString texts[] = {line,
                             u"Join here: "_s + line + u"."_s,
                             u"\t"_s + line + u"\n"_s,
                             u"(see <"_s + line + u">), then"_s,
                             u"\"KALUMO://"_s + line.mid(9) + u"\"!?"_s,
                             u"«"_s + line + u"»;"_s,
                             u"Two: "_s + line + u"' and kalumo://other"_s,
                             line + u"),.;:!?'"_s};
    for (const QString &text : texts)
        EXPECT_TRUE(Invitation::Find(text).toLower() == line.toLower() && Invitation::Parse(Invitation::Find(text), nullptr)) << text.toStdString();
    EXPECT_EQ(Invitation::Find(u"https://example.org/kalumo: nothing here."_s), QString());
}

} // namespace
