// The invitation reader on any text a player might paste: what it takes it
// writes back as a line that reads to the same invitation, and what it
// refuses it says why.
#include "fuzzsupport.h"

#include "link/invitation.h"

static void check(const QString &text)
{
    QString why;
    const auto read = Invitation::Parse(text, &why);
    FUZZ_CHECK(read.has_value() == why.isEmpty());
    if (!read)
        return;
    const auto again = Invitation::Parse(read->Text(), nullptr);
    FUZZ_CHECK(again && again->Text() == read->Text() && again->address == read->address && again->port == read->port
               && again->key == read->key && again->hostName == read->hostName && again->fingerprint == read->fingerprint);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    check(QString::fromLatin1(bytes));
    check(QString::fromUtf8(bytes));
    return 0;
}
