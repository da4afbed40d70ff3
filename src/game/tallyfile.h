// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tally file (BingoMem.Usr), where it lives and when a window may
// write it. It lives beside the program when the program's folder can be
// written, so a copy run from a folder keeps its own tallies; otherwise (an
// installed copy) in the player's data folder. A file already beside an
// installed program is read until the data folder holds one, and that one
// starts from its counts, so no win is lost by the move.
//
// Every window started from one folder shares the file, and each
// writes it at its close; so a window writes only when its member table
// changed during the run or no file is there yet, and never over a file that
// it found but could not read. Otherwise a window that closes later would put
// back the counts it loaded and undo another window's wins. A window that
// does write starts from the file as it is at that moment and adds the wins
// of its own run, so two hosts on one folder both keep theirs. That read,
// merge and replace is done holding a lock file beside the tally file
// (BingoMem.Usr.lock), so two windows closing at once take turns; a lock left
// by a window that died is taken over.

#include <QByteArray>
#include <QList>
#include <QString>

class MemberTable;

class TallyFile
{
public:
    static inline const QString FileName = QStringLiteral("BingoMem.Usr");

    struct Paths
    {
        QString read, write;
    };
    // The file to read at start-up and the one to write at the close, given
    // the program's folder and the player's data folder (empty: none).
    static Paths Locate(const QString &programFolder, const QString &dataFolder);
    // $XDG_DATA_HOME/kalumo, else ~/.local/share/kalumo.
    static QString DataFolder();

    // Start-up: when `path` names an ordinary file, fills `lstMem` with its
    // entries; otherwise leaves it empty. Throws RunTimeError::FileAccess when
    // the file is there but cannot be read.
    void Load(const QString &path, QList<QByteArray> &lstMem);

    // Shutdown: rebuilds `lstMem` from the file's current entries and this
    // run's wins (or from the whole table when there is no file or it holds
    // nothing) and writes it to `path`, making its folder when it is
    // missing, when the rules above allow; returns whether it wrote. Throws
    // RunTimeError::FileAccess when the table's wins could not be saved: the
    // folder, the lock or the write failed (the old file is left whole) or
    // the file was unreadable at start-up and the table has changed since. A table with
    // nothing new to save fails in silence. Waits at most lockWaitMs for
    // another window's save.
    bool Save(const QString &path, const MemberTable &members, QList<QByteArray> &lstMem,
              int lockWaitMs = LockWaitMs) const;

    // How long a window waits for another's save, and the age at which a
    // lock is taken to be left over from a window that hung.
    static constexpr int LockWaitMs = 15000;
    static constexpr int StaleLockMs = 10000;

private:
    void saveLocked(const QString &path, const MemberTable &members, QList<QByteArray> &lstMem, int lockWaitMs) const;

    bool m_unreadable = false;
};
