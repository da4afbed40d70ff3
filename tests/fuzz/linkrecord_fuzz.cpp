// SPDX-License-Identifier: GPL-3.0-or-later
// The hub's record parser on any text a window might send: a record it takes
// is one the window's own builders would make from the parsed fields.
#include "fuzzsupport.h"

#include "link/linkrecord.h"

static void check(const QString &record)
{
    const auto parsed = LinkRecord::Parse(record);
    if (!parsed) return;
    const QString Y(LinkRecord::Separator), head = QStringLiteral("G") + Y + parsed->key + Y + parsed->kind;
    FUZZ_CHECK(!parsed->key.contains(LinkRecord::Separator) && record.startsWith(head));
    if (parsed->kind == u'C')
        FUZZ_CHECK(LinkRecord::Message(parsed->key, parsed->messageText) == record);
    else if (parsed->kind == u'S')
        FUZZ_CHECK(LinkRecord::HostSecret(parsed->key, parsed->secret) == record);
    else if (parsed->kind == u'A') // the last field is the name followed by the field before it
        FUZZ_CHECK(record.endsWith(parsed->name + record.section(LinkRecord::Separator, -2, -2)));
    else
        FUZZ_CHECK(parsed->kind == u'I' && (record.size() == head.size() || record.at(head.size()) == LinkRecord::Separator));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    check(QString::fromLatin1(bytes));
    check(QString::fromUtf8(bytes));
    return 0;
}
