// The hub's record parser on any text a window might send. A record it takes
// must be one the window's own builders would make from the parsed fields.
#include "fuzzsupport.h"

#include "link/linkrecord.h"

namespace {

void check(const QString &record)
{
    const auto parsed = LinkRecord::Parse(record);
    if (!parsed)
        return;
    const QString Y(LinkRecord::Separator);
    FUZZ_CHECK(!parsed->key.contains(LinkRecord::Separator));
    const QString head = QStringLiteral("G") + Y + parsed->key + Y + parsed->kind;
    FUZZ_CHECK(record.startsWith(head));
    switch (parsed->kind.unicode()) {
    case 'C':
        FUZZ_CHECK(LinkRecord::Message(parsed->key, parsed->messageText) == record);
        break;
    case 'A':
        // The last field is the name followed by the field before it.
        FUZZ_CHECK(record.endsWith(parsed->name + record.section(LinkRecord::Separator, -2, -2)));
        break;
    case 'I':
        FUZZ_CHECK(record.size() == head.size() || record.at(head.size()) == LinkRecord::Separator);
        break;
    default:
        FUZZ_CHECK(!"a kind Parse does not know");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    check(QString::fromLatin1(bytes));
    check(QString::fromUtf8(bytes));
    return 0;
}
