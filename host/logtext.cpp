#include "logtext.h"

#include <QList>

namespace {

bool escaped(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        // Written as itself, a backslash would make an escape ambiguous.
        return c == U'\\';
    }
}

} // namespace

QString LogText(const QString &peerText)
{
    constexpr int MaxChars = 64;
    QString out;
    int count = 0;
    for (const char32_t c : peerText.toUcs4()) {
        if (++count > MaxChars)
            return out + QChar(0x2026);
        if (escaped(c))
            out += QStringLiteral("\\u{%1}").arg(uint(c), 0, 16);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}
