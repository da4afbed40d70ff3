// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/members.h"

#include "support/listfile.h"
#include "support/textnum.h"

void MemberTable::Append(const Member &member)
{
    m_entries.append(member);
    m_changed = m_changed || Writable(member.Name);
}

void MemberTable::AddBlankEntryIfEmpty()
{
    // Not a change: a run that only adds the blank entry has nothing new to
    // save over a tally file that another window may have updated.
    if (m_entries.isEmpty())
        m_entries.append(Member{});
}

qint16 MemberTable::RecordWin(const QString &name)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        Member &member = m_entries[i];
        if (member.Name == name && !IsKept(i)) {
            if (member.Wins < MaxWins) {
                ++member.Wins;
                m_changed = true;
                m_winsThisRun.append(name);
                m_bytes.remove(i);
            }
            return member.Wins;
        }
    }
    Append(Member{name, 1});
    if (Writable(name))
        m_winsThisRun.append(name);
    return 1;
}

void MemberTable::LoadTallyEntries(const QList<QByteArray> &entries)
{
    if (entries.isEmpty())
        return;
    m_entries.clear();
    m_kept.clear();
    m_bytes.clear();
    m_changed = false;
    m_winsThisRun.clear();
    for (const QByteArray &bytes : entries) {
        bool utf8 = true;
        const QString entry = ListFile::DecodeText(bytes, &utf8);
        if (!utf8)
            m_bytes.insert(m_entries.size(), bytes);
        // Name before the first "@", count up to the second; anything after
        // a second "@" is not part of the count.
        const QStringList pieces = entry.split(QLatin1Char('@'));
        const std::optional<qint16> wins = pieces.size() >= 2 ? TextNum::ToInt16(pieces.at(1)) : std::nullopt;
        if (!wins)
            m_kept.insert(m_entries.size(), entry);
        m_entries.append(wins ? Member{pieces.at(0), *wins} : Member{});
    }
}

bool MemberTable::Writable(const QString &name) { return !name.contains(QLatin1Char('@')); }

bool MemberTable::Written(qsizetype index) const { return IsKept(index) || Writable(m_entries.at(index).Name); }

QString MemberTable::EntryText(qsizetype index) const
{
    const Member &member = m_entries.at(index);
    return IsKept(index) ? m_kept.value(index) : member.Name + QLatin1Char('@') + QString::number(member.Wins);
}

QList<QByteArray> MemberTable::TallyEntryBytes() const
{
    QList<QByteArray> entries;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (Written(i))
            entries.append(m_bytes.contains(i) ? m_bytes.value(i) : EntryText(i).toUtf8());
    }
    return entries;
}
