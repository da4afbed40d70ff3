#include "card/winlines.h"

#include <algorithm>

namespace WinLines {

QStringList LoadLines()
{
    return {
        QStringLiteral("0-1-2-3-4"),      QStringLiteral("5-6-7-8-9"),      QStringLiteral("10-11-12-13-14"),
        QStringLiteral("15-16-17-18-19"), QStringLiteral("20-21-22-23-24"), QStringLiteral("0-5-10-15-20"),
        QStringLiteral("1-6-11-16-21"),   QStringLiteral("2-7-12-17-22"),   QStringLiteral("3-8-13-18-23"),
        QStringLiteral("4-9-14-19-24"),   QStringLiteral("0-6-12-18-24"),   QStringLiteral("4-8-12-16-20"),
    };
}

namespace {

std::optional<std::array<int, 5>> Cells(const QString &line)
{
    const QStringList pieces = line.split(QLatin1Char('-'));
    if (pieces.size() != 5)
        return std::nullopt;
    std::array<int, 5> cells{};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        cells[i] = pieces[i].toInt(&ok);
        if (!ok || cells[i] < 0 || cells[i] >= 25)
            return std::nullopt;
    }
    return cells;
}

} // namespace

QList<std::array<int, 5>> AllComplete(const QStringList &lines, const std::array<bool, 25> &marked)
{
    QList<std::array<int, 5>> complete;
    for (const QString &line : lines) {
        const auto cells = Cells(line);
        if (cells && std::all_of(cells->begin(), cells->end(), [&](int cell) { return marked[cell]; }))
            complete << *cells;
    }
    return complete;
}

std::optional<std::array<int, 5>> FirstComplete(const QStringList &lines, const std::array<bool, 25> &marked)
{
    const QList<std::array<int, 5>> complete = AllComplete(lines, marked);
    if (complete.isEmpty())
        return std::nullopt;
    return complete.first();
}

} // namespace WinLines
