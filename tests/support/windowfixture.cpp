#include "support/windowfixture.h"

#include "link/linkrecord.h"

QStringList WindowFixture::SentMessages() const
{
    QStringList messages;
    for (const QString &record : link.sent) {
        const auto parsed = LinkRecord::Parse(record);
        if (parsed && parsed->kind == u'C')
            messages << parsed->messageText;
    }
    return messages;
}
