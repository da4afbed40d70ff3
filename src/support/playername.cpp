// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/playername.h"

#include <QList>

#include <algorithm>
#include <optional>
#include <string_view>

namespace PlayerName {

namespace {

// Japanese and Korean are written in Han together with their own scripts;
// none of these is mistaken for a Latin, Greek or Cyrillic letter.
QChar::Script scriptGroup(char32_t c)
{
    const QChar::Script script = QChar::script(c);
    switch (script) {
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return QChar::Script_Han;
    default:
        return script;
    }
}

} // namespace

QString Refusal(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("a name cannot be empty");
    // A lone surrogate is no character at all: it is refused as one, rather
    // than read as the replacement character toUcs4 would make of it.
    QList<char32_t> chars;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            chars.append(QChar::surrogateToUcs4(c, name.at(++i)));
        else
            chars.append(c.unicode());
    }
    if (chars.size() > MaxLength)
        return QStringLiteral("a name cannot be longer than %1 characters").arg(MaxLength);
    if (QChar::isSpace(chars.first()) || QChar::isSpace(chars.last()))
        return QStringLiteral("a name cannot start or end with a blank");
    if (chars.first() == u'[' || chars.first() == u'*')
        return QStringLiteral("a name cannot start with \"[\" or \"*\"");
    std::optional<QChar::Script> letters;
    for (const char32_t c : chars) {
        if (std::u32string_view(U"|;@:\u00FF").find(c) != std::u32string_view::npos)
            return QStringLiteral("a name cannot hold \"|\", \";\", \"@\", \":\" or \"\u00FF\"");
        if (Hidden(c))
            return QStringLiteral("a name cannot hold control, formatting or private characters");
        const QChar::Script script = scriptGroup(c);
        if (!QChar::isLetter(c) || script == QChar::Script_Common || script == QChar::Script_Inherited)
            continue;
        if (letters && *letters != script)
            return QStringLiteral("a name cannot mix letters of different scripts");
        letters = script;
    }
    return {};
}

QString SameNameKey(const QString &name)
{
    // Qt folds one character to one, so "ß" would stay apart from "SS":
    // upper case first, which maps it to "SS" as full folding does. Folding
    // can undo the normalisation ("ǰ" folds to "j" and a combining caron),
    // so the folded text is normalised once more.
    return name.normalized(QString::NormalizationForm_KC)
        .toUpper()
        .toCaseFolded()
        .normalized(QString::NormalizationForm_KC);
}

bool Hidden(char32_t c)
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
        return false;
    }
}

namespace {

// The blocks of the right-to-left scripts (Hebrew, Arabic, Syriac, Thaana,
// N'Ko, their presentation forms and the historic ones above the BMP) and
// the directional marks. The browser player tests the same ranges.
bool turnsText(char32_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF)
        || (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF) || c == 0x200E || c == 0x200F
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString Shown(const QString &name)
{
    const QList<uint> codePoints = name.toUcs4();
    if (std::none_of(codePoints.begin(), codePoints.end(), [](uint c) { return turnsText(c); }))
        return name;
    return QChar(0x2068) + name + QChar(0x2069);
}

} // namespace PlayerName
