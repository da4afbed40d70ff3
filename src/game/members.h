// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The member table: who has won how many games, in the order the players
// were first seen. Entries are only ever appended, never removed or moved.
//
// Between runs the table lives in the tally file as one tally entry per
// member: the name, "@", and the count of wins in decimal ("@0", "Ann@3").
// An entry that does not read that way (no "@", or a count that is not a
// whole number from -32768 to 32767) keeps its place in the table as a kept
// entry: it is written back exactly as it was read and never wins.
//
// An entry whose bytes are not UTF-8 (written in the Windows code page) is
// read as Windows-1252 and written back as the very bytes it was read from
// until a win changes its count; then it is written anew in UTF-8.
//
// A name holding "@" would read back as another name with another count: a
// win under such a name is counted for the run but never written.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
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
    // A kept entry shows as a member with no name and no wins.
    const Member &At(qsizetype index) const { return m_entries.at(index); }
    const QVector<Member> &Entries() const { return m_entries; }
    bool IsKept(qsizetype index) const { return m_kept.contains(index); }

    void Append(const Member &member);
    // An empty table gets its one blank entry: no name, no wins.
    void AddBlankEntryIfEmpty();

    // Raises the first entry named exactly `name` (case counted), or appends
    // one with a single win; the count stops at MaxWins. Returns the new total.
    // A name that cannot be written (see above) changes nothing to save.
    qint16 RecordWin(const QString &name);

    // True once a win or an entry was added since the table was loaded.
    bool ChangedThisRun() const { return m_changed; }
    // The wins counted since the table was loaded, one name per win, in the
    // order they were counted (a win on a count at MaxWins is not among them).
    const QStringList &WinsThisRun() const { return m_winsThisRun; }
    // The table's wins are in the file now: the next save counts only the
    // wins after this one, so a run that saves after each win and again at
    // its close counts each win once.
    void MarkSaved()
    {
        m_changed = false;
        m_winsThisRun.clear();
    }

    // Replaces the table with the tally entries, in their order; an empty
    // list leaves the table as it is.
    void LoadTallyEntries(const QList<QByteArray> &entries);
    // The tally entries of the whole table, in table order, as the bytes to write.
    QList<QByteArray> TallyEntryBytes() const;

private:
    QVector<Member> m_entries;
    static bool Writable(const QString &name);
    bool Written(qsizetype index) const;
    QString EntryText(qsizetype index) const;

    QHash<qsizetype, QString> m_kept; // index -> entry text as read
    QHash<qsizetype, QByteArray> m_bytes; // index -> bytes as read, for entries not in UTF-8
    bool m_changed = false;
    QStringList m_winsThisRun;
};
