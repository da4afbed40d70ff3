#pragma once
// The tally file beside the program (BingoMem.Usr) and when a window may
// write it. Every window started from one folder shares the file, and each
// writes it at its close; so a window writes only when its member table
// changed during the run or no file is there yet, and never over a file that
// it found but could not read. Otherwise a window that closes later would put
// back the counts it loaded and undo another window's wins. A window that
// does write starts from the file as it is at that moment and adds the wins
// of its own run, so two hosts on one folder both keep theirs.

#include <QString>
#include <QStringList>

class MemberTable;

class TallyFile
{
public:
    static inline const QString FileName = QStringLiteral("BingoMem.Usr");

    // Start-up: when `path` names an ordinary file, fills `lstMem` with its
    // entries; otherwise leaves it empty. Throws RunTimeError::FileAccess when
    // the file is there but cannot be read.
    void Load(const QString &path, QStringList &lstMem);

    // Shutdown: rebuilds `lstMem` from the file's current entries and this
    // run's wins (or from the whole table when there is no file or it holds
    // nothing) and writes it to `path` when the rules above allow; returns
    // whether it wrote. Throws
    // RunTimeError::FileAccess when the table's wins could not be saved: the
    // write failed (the old file is left whole) or the file was unreadable at
    // start-up and the table has changed since.
    bool Save(const QString &path, const MemberTable &members, QStringList &lstMem) const;

private:
    bool m_unreadable = false;
};
