// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The win tallies of one window's run: the member table, read from the
// tally file at start-up and written back at the close (TallyFile says where
// the file lives and when a window may write it).

#include "game/members.h"
#include "game/tallyfile.h"
#include "support/runtimeerror.h"

#include <QByteArray>
#include <QList>
#include <optional>

class Tallies
{
public:
    // programFolder: the running program's; dataFolder: where the file goes
    // when that one cannot be written (empty: nowhere else).
    Tallies(const QString &programFolder, const QString &dataFolder);

    MemberTable &Members() { return m_members; }
    const MemberTable &Members() const { return m_members; }

    // Start-up: fills the table from the file, and gives an empty table its
    // blank entry. The error when the file is there but cannot be read; the
    // table then starts empty, and the file is never written over.
    std::optional<RunTimeError> Load();
    // Saves the wins counted since the last save: at the close, and in the
    // host's window after each win, so that a window that is killed loses
    // none (that save waits less for another window's, and what it could
    // not save is saved with the next). The error when wins could not be
    // saved; the file then keeps what it held.
    std::optional<RunTimeError> Save(int lockWaitMs = TallyFile::LockWaitMs);

private:
    QString m_programFolder, m_dataFolder;
    TallyFile::Paths m_paths;
    TallyFile m_file;
    QList<QByteArray> m_entries; // the file's entries as last read or written
    MemberTable m_members;
};
