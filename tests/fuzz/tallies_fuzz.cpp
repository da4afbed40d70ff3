// The tally file from any bytes: loaded as start-up loads it, a few wins
// recorded, saved as shutdown saves it, and loaded again. Every entry comes
// back as it was: a readable one with its name and count (raised by the
// wins), one that does not read exactly as it was read, in its place. A run
// without a win leaves the file's bytes alone. Names of winners that hold
// "@" are the one thing the file cannot carry, and are left out of the check.
#include "fuzzsupport.h"

#include "game/members.h"
#include "game/tallyfile.h"
#include "support/ridmod.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// Start-up's tally load: the file into the list, the list into the table,
// and the blank entry when nothing was loaded.
MemberTable load(const QString &path, QList<QByteArray> &list)
{
    TallyFile file;
    file.Load(path, list);
    MemberTable table;
    table.LoadTallyEntries(list);
    table.AddBlankEntryIfEmpty();
    return table;
}

// The first `count` entries of both tables agree in every respect.
bool sameEntries(const MemberTable &a, const MemberTable &b, qsizetype count)
{
    if (a.TallyEntries().mid(0, count) != b.TallyEntries().mid(0, count))
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        if (a.IsKept(i) != b.IsKept(i) || a.At(i).Name != b.At(i).Name || a.At(i).Wins != b.At(i).Wins)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    QStringList winners;
    for (int n = input.Byte() % 4; n > 0; --n)
        winners << input.Utf8(32);
    const QByteArray bytes = input.Rest();

    QTemporaryDir folder;
    const QString path = folder.filePath(TallyFile::FileName);
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    QList<QByteArray> list;
    const MemberTable first = load(path, list);
    // Every separator ends one entry, and each entry is one member.
    FUZZ_CHECK(list.size() == bytes.count(RidMod::Separator));
    FUZZ_CHECK(first.Size() == std::max<qsizetype>(list.size(), 1));
    const QList<QByteArray> firstEntries = first.TallyEntryBytes();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (first.IsKept(i))
            FUZZ_CHECK(firstEntries.at(i) == list.at(i));
        else
            FUZZ_CHECK(RidMod::DecodeText(list.at(i)).startsWith(first.At(i).Name + QLatin1Char('@')));
    }

    MemberTable played = first;
    QList<qint16> totals;
    for (const QString &name : std::as_const(winners))
        totals << played.RecordWin(name);
    for (const qint16 total : std::as_const(totals))
        FUZZ_CHECK(total <= MemberTable::MaxWins);

    TallyFile shutdown;
    QList<QByteArray> ignored;
    shutdown.Load(path, ignored);
    const bool wrote = shutdown.Save(path, played, list);
    FUZZ_CHECK(wrote == played.ChangedThisRun());
    if (!wrote)
        FUZZ_CHECK(fileBytes(path) == bytes);

    QList<QByteArray> again;
    const MemberTable second = load(path, again);
    const MemberTable &expected = wrote ? played : first;
    // Entries a win appended under a name with "@" read back differently.
    qsizetype comparable = expected.Size();
    for (qsizetype i = first.Size(); i < expected.Size(); ++i) {
        if (expected.At(i).Name.contains(QLatin1Char('@'))) {
            comparable = i;
            break;
        }
    }
    FUZZ_CHECK(second.Size() >= comparable);
    FUZZ_CHECK(sameEntries(second, expected, comparable));
    if (comparable == expected.Size())
        FUZZ_CHECK(second.Size() == expected.Size());
    return 0;
}
