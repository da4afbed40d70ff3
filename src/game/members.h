#pragma once
// The member table: who has won how many games, in the order the players
// were first seen. Entries are only ever appended, never removed or moved.

#include <QString>
#include <QVector>

struct Member
{
    QString Name;
    qint16 Wins = 0;
};

class MemberTable
{
public:
    static constexpr qint16 MaxWins = 32767;

    bool IsEmpty() const { return m_entries.isEmpty(); }
    qsizetype Size() const { return m_entries.size(); }
    const Member &At(qsizetype index) const { return m_entries.at(index); }
    const QVector<Member> &Entries() const { return m_entries; }

    void Append(const Member &member) { m_entries.append(member); }
    // An empty table gets its one blank entry: no name, no wins.
    void AddBlankEntryIfEmpty();

    // Raises the first entry named exactly `name` (case counted), or appends
    // one with a single win; the count stops at MaxWins. Returns the new total.
    qint16 RecordWin(const QString &name);

private:
    QVector<Member> m_entries;
};
