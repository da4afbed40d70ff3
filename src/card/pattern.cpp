// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/pattern.h"

#include <algorithm>

namespace {

constexpr CardCells::Set Corners = CardCells::Cell(0) | CardCells::Cell(4) | CardCells::Cell(20) | CardCells::Cell(24);
constexpr CardCells::Set Frame = CardCells::Row(0) | CardCells::Row(4) | CardCells::Column(0) | CardCells::Column(4);

QList<CardCells::Set> twoLines()
{
    QList<CardCells::Set> unions;
    for (std::size_t first = 0; first < CardCells::Lines.size(); ++first) {
        for (std::size_t second = first + 1; second < CardCells::Lines.size(); ++second)
            unions << (CardCells::Lines[first] | CardCells::Lines[second]);
    }
    return unions;
}

struct Fixed
{
    Pattern::Kind kind;
    const char *token;
    const char *name;
};

const Fixed FixedKinds[] = {
    {Pattern::Kind::AnyLine, "line", "Any line"},
    {Pattern::Kind::TwoLines, "2lines", "Two lines"},
    {Pattern::Kind::FourCorners, "corners", "Four corners"},
    {Pattern::Kind::X, "x", "An X"},
    {Pattern::Kind::OuterFrame, "frame", "The outer frame"},
    {Pattern::Kind::FullCard, "full", "The full card"},
};

} // namespace

Pattern Pattern::Of(Kind kind)
{
    switch (kind) {
    case Kind::AnyLine:
        return {kind, QList<CardCells::Set>(CardCells::Lines.begin(), CardCells::Lines.end())};
    case Kind::TwoLines:
        return {kind, twoLines()};
    case Kind::FourCorners:
        return {kind, {Corners}};
    case Kind::X:
        return {kind, {CardCells::DiagonalFromTopLeft | CardCells::DiagonalFromTopRight}};
    case Kind::OuterFrame:
        return {kind, {Frame}};
    case Kind::FullCard:
        return {kind, {AllCells}};
    case Kind::Drawn:
        break;
    }
    return {Kind::Drawn, {CardCells::Cell(12)}};
}

std::optional<Pattern> Pattern::Drawn(CardCells::Set cells)
{
    if (cells == 0 || (cells & ~AllCells) != 0)
        return std::nullopt;
    return Pattern(Kind::Drawn, {cells});
}

std::optional<Pattern> Pattern::FromToken(const QString &token)
{
    for (const Fixed &fixed : FixedKinds) {
        if (token == QLatin1StringView(fixed.token))
            return Of(fixed.kind);
    }
    // Exactly seven lower-case digits: a token reads one way only.
    const QString digits = token.mid(1);
    const bool hex = std::all_of(digits.begin(), digits.end(),
                                 [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
    if (token.size() != 8 || !token.startsWith(u'd') || !hex)
        return std::nullopt;
    return Drawn(digits.toUInt(nullptr, 16));
}

QString Pattern::Token() const
{
    for (const Fixed &fixed : FixedKinds) {
        if (fixed.kind == m_kind)
            return QString::fromLatin1(fixed.token);
    }
    return QStringLiteral("d%1").arg(m_shapes.value(0), 7, 16, QLatin1Char('0'));
}

QString Pattern::Name() const
{
    for (const Fixed &fixed : FixedKinds) {
        if (fixed.kind == m_kind)
            return QString::fromLatin1(fixed.name);
    }
    return QStringLiteral("A drawn pattern");
}

CardCells::Set Pattern::Example() const
{
    switch (m_kind) {
    case Kind::AnyLine:
        return CardCells::Row(2);
    case Kind::TwoLines:
        return CardCells::Row(1) | CardCells::Row(3);
    case Kind::FourCorners:
    case Kind::X:
    case Kind::OuterFrame:
    case Kind::FullCard:
    case Kind::Drawn:
        break;
    }
    return m_shapes.value(0);
}
