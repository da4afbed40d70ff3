// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/tallies.h"

Tallies::Tallies(const QString &programFolder, const QString &dataFolder)
    : m_programFolder(programFolder)
    , m_dataFolder(dataFolder)
{}

std::optional<RunTimeError> Tallies::Load()
{
    std::optional<RunTimeError> failure;
    m_paths = TallyFile::Locate(m_programFolder, m_dataFolder);
    try {
        m_file.Load(m_paths.read, m_entries);
    } catch (const RunTimeError &error) {
        failure = error;
    }
    m_members.LoadTallyEntries(m_entries);
    m_members.AddBlankEntryIfEmpty();
    return failure;
}

std::optional<RunTimeError> Tallies::Save(int lockWaitMs)
{
    try {
        if (m_file.Save(m_paths.write, m_members, m_entries, lockWaitMs))
            m_members.MarkSaved();
    } catch (const RunTimeError &error) {
        return error;
    }
    return std::nullopt;
}
