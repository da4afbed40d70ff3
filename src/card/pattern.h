// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pattern a card can win with: a name and a list of alternative sets of
// cells (CardCells masks). A card holds the pattern when its marked cells
// contain one of the alternatives: "any line" is the twelve lines, "two
// lines" every union of two different lines, the others a single set each,
// and a pattern the host draws is the set drawn.
//
// Each pattern has a short token, the form it takes in settings and on the
// wire: "line", "2lines", "corners", "x", "frame", "full", or "d" and the
// drawn set as 7 hexadecimal digits ("d1000001").

#include "card/cardmodel.h"

#include <QList>
#include <QString>
#include <optional>

class Pattern
{
public:
    enum class Kind { AnyLine, TwoLines, FourCorners, X, OuterFrame, FullCard, Drawn };

    // A pattern of one of the fixed kinds (for Drawn: the middle cell, until drawn).
    static Pattern Of(Kind kind);
    // A drawn pattern: nothing for an empty set or one with cells beyond the card.
    static std::optional<Pattern> Drawn(CardCells::Set cells);
    // The pattern a token names; nothing for any other text.
    static std::optional<Pattern> FromToken(const QString &token);

    Kind GetKind() const { return m_kind; }
    QString Token() const;
    // "Any line", "Two lines", "Four corners", "An X", "The outer frame",
    // "The full card", "A drawn pattern".
    QString Name() const;
    // The alternatives, in the order a card reports them.
    const QList<CardCells::Set> &Shapes() const { return m_shapes; }
    // One alternative to picture the pattern by: for a pattern of many, a
    // typical one (the middle row; the second and fourth rows).
    CardCells::Set Example() const;

    bool operator==(const Pattern &other) const { return m_kind == other.m_kind && m_shapes == other.m_shapes; }

private:
    Pattern(Kind kind, QList<CardCells::Set> shapes)
        : m_kind(kind)
        , m_shapes(std::move(shapes))
    {}

    Kind m_kind;
    QList<CardCells::Set> m_shapes;
};

// The set of every cell of the card.
inline constexpr CardCells::Set AllCells = (CardCells::Set(1) << CardCells::Count) - 1;
